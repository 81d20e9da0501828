// The mileage scale of an income year and the mileage allowance.
#pragma once

#include "Classifications.h"
#include "PublishedScales.h"

#include <QString>

#include <array>
#include <cstdint>

struct TKmScaleRow
{
    int32_t ClassNo = 0;
    long double Band1Rate = 0;
    long double Band2Rate = 0;
    long double Band2Fixed = 0;
    long double Band3Rate = 0;
};

// Rows 0 to 10: cars of 3 CV or less up to 13 CV or more; 11 to 13: motorcycles; 14: mopeds.
using TKmScale = std::array<TKmScaleRow, 15>;

// The markup of electric vehicles, in the years whose scale applies it.
inline constexpr long double ElectricMarkup = 1.2L;

TKmScaleRow MakeKmScaleRow(int32_t classNo, long double band1Rate, long double band2Rate,
                           long double band2Fixed, long double band3Rate);

// Overwrites all 15 rows with the coefficients of the income year. A year without a published
// scale leaves the scale as it was and gives false.
bool BuildKmScale(TKmScale &scale, int year);
// The same from the year's published scale, once looked up.
void BuildKmScale(TKmScale &scale, const TKmScaleSet &set);

TBandLimits KmBandLimits(TVehicleKind kind, const TKmScaleSet &set);

// The mileage allowance, unrounded. Records the applied rate and fixed amount in `last`,
// except when a car or motorcycle has no power class (the amount is then 0). A kind outside
// the list or a year without a published scale computes nothing: 0, rate and fixed 0.
long double ComputeKmCost(const TKmScale &scale, TVehicleKind kind, int year, int powerIndex,
                          long double distance, TKmCalcState &last);
// The same with the year's published scale, once looked up (nullptr: none).
long double ComputeKmCost(const TKmScale &scale, TVehicleKind kind, const TKmScaleSet *set,
                          int powerIndex, long double distance, TKmCalcState &last);

// The amount as the mileage page shows it: whole euros, halves away from zero.
QString KmAmountText(long double amount);

// A daily distance above one round trip of 40 km each way: the home–work distance is then
// admitted only for particular circumstances, otherwise for its first 40 km.
inline constexpr long double LongCommutePerDay = 80;
QString LongCommuteNote();
