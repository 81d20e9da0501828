// The published scales, one entry per publication: the income years each one serves, its
// figures, and what it says of mopeds and electric vehicles. Every list of years, band limit
// and "from this year on" of the program is read from here.
#pragma once

#include <QList>

#include <array>
#include <cstdint>
#include <span>

// The distance limits of the bands: a limit belongs to the lower band.
struct TBandLimits
{
    long double First;
    long double Second;
};

struct TKmCoefficients
{
    long double Band1Rate, Band2Rate, Band2Fixed, Band3Rate;
};

// The coefficients of one mileage scale: cars 3 CV or less, 4, 5, 6, 7 CV and more;
// motorcycles 1 or 2 CV, 3 to 5 CV, more than 5 CV; mopeds.
struct TKmCoefficientSet
{
    TKmCoefficients Cars[5];
    TKmCoefficients Motorcycles[3];
    TKmCoefficients Mopeds;
    int32_t MopedClassNo;
};

// The mileage scale of a run of income years.
struct TKmScaleSet
{
    int FirstYear;
    int LastYear;
    const TKmCoefficientSet *Coefficients;
    TBandLimits MopedBands;
    bool ElectricKinds;  // electric vehicles are offered
    bool ElectricMarkup; // and their rates and fixed amounts are marked up
    const char16_t *Reference;
};

// Euros per km of one car class: diesel, unleaded, LPG.
struct TFuelCarRates
{
    long double Diesel, Unleaded, Lpg;
};

// The fuel scale of a run of income years: cars 3 to 4 CV, 5 to 7, 8 to 9, 10 to 11, 12 and
// more; two-wheelers under 50 CC, 50 to 125 CC, 3 to 5 CV, over 5 CV (one rate, any fuel).
struct TFuelScaleSet
{
    int FirstYear;
    int LastYear;
    TFuelCarRates Cars[5];
    long double TwoWheelers[4];
    const char16_t *Reference;
};

// The income tax's marginal rates of a year, in %, the unused places negative.
using TMarginalRates = std::array<long double, 6>;

// What the comparison of actual costs ("frais réels") with the 10 % deduction takes from one
// income year's publications. An amount of 0 is one not published for that year.
struct TRealCostsSet
{
    int FirstYear;
    int LastYear;
    long double DeductionMin; // the 10 % deduction's bounds, for each person
    long double DeductionMax;
    // The bounds are those of the revaluation rule of the tax code, not yet read in a
    // publication of the administration.
    bool DeductionComputed;
    long double HomeMealValue;  // the value of a meal taken at home
    long double HomeWorkPerDay; // the flat home-working amounts admitted as costs
    long double HomeWorkPerMonth;
    long double HomeWorkPerYear;
    TMarginalRates MarginalRates;
    const char16_t *DeductionReference;
    const char16_t *MealReference;
    const char16_t *HomeWorkReference; // why there is no flat amount, when there is none
};

std::span<const TKmScaleSet> KmScaleSets();
std::span<const TFuelScaleSet> FuelScaleSets();

std::span<const TRealCostsSet> RealCostsSets();

// The scale serving an income year; nullptr for a year that has none.
const TKmScaleSet *FindKmScaleSet(int year);
const TFuelScaleSet *FindFuelScaleSet(int year);
const TRealCostsSet *FindRealCostsSet(int year);

// All that is published for an income year, looked up once and handed down to the
// calculations; nullptr where a publication is missing.
struct TPublishedYear
{
    int Year = 0;
    const TKmScaleSet *Km = nullptr;
    const TFuelScaleSet *Fuel = nullptr;
    const TRealCostsSet *RealCosts = nullptr;
};

TPublishedYear FindPublishedYear(int year);

// Every income year served, newest first.
QList<int> KmYears();
QList<int> FuelYears();
QList<int> RealCostsYears();

// The oldest income year from which on the mileage scales offer electric vehicles, and the
// one from which on they mark them up; 0 when there is none.
int FirstElectricKindsYear();
int FirstElectricMarkupYear();
