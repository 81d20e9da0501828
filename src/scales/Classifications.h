// Income years, vehicle kinds, power classes, fuels and statuses, with their captions, and
// the records of the last calculation of each page.
#pragma once

#include "UDeclar.h"

#include <QString>
#include <QStringList>

#include <cstdint>

struct TKmScaleSet;

enum TVehicleKind : uint8_t
{
    vkThermalCar,
    vkThermalMotorcycle,
    vkThermalMoped,
    vkElectricCar,
    vkElectricMotorcycle,
    vkElectricMoped
};

enum TFuelVehicleKind : uint8_t
{
    fvCar,
    fvTwoWheeler
};

enum TFuelKind : uint8_t
{
    fkDiesel,
    fkUnleaded,
    fkLpg
};

enum TTaxpayerStatus : uint8_t
{
    tsProfessional,
    tsEmployee
};

// The group of a vehicle kind decides its power list and its distance bands.
enum class TVehicleGroup : uint8_t
{
    Car,
    Motorcycle,
    Moped
};

// Income years of the mileage page and of the fuel page, newest first: the years of the
// published scales.
QStringList KmYearCaptions();
QStringList FuelYearCaptions();
bool IsKmYearOffered(int year);
bool IsFuelYearOffered(int year);
// The income years of a page, newest first; the newest, and the years as a range:
// "2012 à 2025".
QList<int> YearsOf(TTypeCalc type);
int NewestYear(TTypeCalc type);
QString YearRangeText(TTypeCalc type);

// Vehicle kinds offered for an income year: the three thermal ones, and the three electric
// ones too where the year's scale has them; none for a year without a scale. The same from
// the year's mileage scale, once looked up (nullptr: none).
int VehicleKindCount(int year);
QStringList VehicleKindCaptions(int year);
bool IsVehicleKindOffered(int kind, int year);
int VehicleKindCount(const TKmScaleSet *set);
QStringList VehicleKindCaptions(const TKmScaleSet *set);
bool IsVehicleKindOffered(int kind, const TKmScaleSet *set);
bool IsElectric(TVehicleKind kind);
// The thermal kind of the same group (the kind itself when thermal).
TVehicleKind ThermalKindOf(TVehicleKind kind);
TVehicleGroup VehicleGroup(TVehicleKind kind);

// The label above the power list, empty for mopeds (the list is hidden then).
QString PowerLabelCaption(TVehicleKind kind);
QStringList PowerCaptions(TVehicleKind kind);

QStringList FuelVehicleKindCaptions();
QStringList FuelKindCaptions();
QString TaxpayerStatusCaption(TTaxpayerStatus status);
QStringList FuelPowerCaptions(TFuelVehicleKind kind, TTaxpayerStatus status);

// Row of the mileage scale; -1 without a power class for cars and motorcycles.
int KmScaleRowIndex(int kind, int powerIndex);
// Row of the fuel scale; -1 without a power class.
int FuelScaleRowIndex(int kind, int powerIndex);

struct TKmCalcState
{
    uint16_t Year = 0;
    TVehicleKind Kind = vkThermalCar;
    int32_t ScaleRow = -1;
    long double Distance = 0;
    long double Rate = 0;
    long double Fixed = 0;
    long double Amount = 0;
};

struct TFuelCalcState
{
    uint16_t Year = 0;
    TFuelVehicleKind Kind = fvCar;
    TFuelKind Fuel = fkDiesel;
    int32_t ScaleRow = -1;
    long double Distance = 0;
    long double Rate = 0;
    long double Amount = 0;
};
