// The fuel scale of an income year and the flat fuel allowance.
#pragma once

#include "Classifications.h"
#include "PublishedScales.h"

#include <QString>

#include <array>
#include <cstdint>

struct TFuelScaleRow
{
    int32_t ClassNo = 0;
    long double DieselRate = 0;
    long double UnleadedRate = 0;
    long double LpgRate = 0;
};

// Rows 0 to 4: cars by power class; 5 to 8: two-wheelers.
using TFuelScale = std::array<TFuelScaleRow, 9>;

TFuelScaleRow MakeFuelScaleRow(int32_t classNo, long double dieselRate, long double unleadedRate,
                               long double lpgRate);

// Overwrites the 9 rows with the scale of the income year; a year without a fuel scale
// leaves the scale as it was and gives false.
bool BuildFuelScale(TFuelScale &scale, int year);
// The same from the year's published scale, once looked up.
void BuildFuelScale(TFuelScale &scale, const TFuelScaleSet &set);

// The fuel allowance, unrounded. Records the applied rate in `last`, except when no power
// class is chosen (the amount is then 0). The taxpayer status plays no part.
long double ComputeFuelCost(const TFuelScale &scale, TFuelVehicleKind kind, int powerIndex,
                            TFuelKind fuel, long double distance, TFuelCalcState &last);

// The amount as the fuel page shows it: whole euros, a tie going to the even number.
QString FuelAmountText(long double amount);
