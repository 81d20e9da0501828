// The fuel scale of the income year 2022 and the flat fuel allowance.
#include "FuelScale.h"

#include "NumberText.h"

TFuelScaleRow MakeFuelScaleRow(int32_t classNo, long double dieselRate, long double unleadedRate,
                               long double lpgRate)
{
    return TFuelScaleRow{classNo, dieselRate, unleadedRate, lpgRate};
}

void BuildFuelScale(TFuelScale &scale, int year)
{
    if (year != 2022)
        return;
    scale = {
        MakeFuelScaleRow(3, 0.102L, 0.118L, 0.063L),
        MakeFuelScaleRow(5, 0.126L, 0.145L, 0.078L),
        MakeFuelScaleRow(8, 0.15L, 0.173L, 0.093L),
        MakeFuelScaleRow(10, 0.169L, 0.195L, 0.104L),
        MakeFuelScaleRow(12, 0.188L, 0.217L, 0.116L),
        // Two-wheelers: the fuel does not matter.
        MakeFuelScaleRow(49, 0.038L, 0.038L, 0.038L),
        MakeFuelScaleRow(50, 0.078L, 0.078L, 0.078L),
        MakeFuelScaleRow(3, 0.098L, 0.098L, 0.098L),
        MakeFuelScaleRow(6, 0.136L, 0.136L, 0.136L),
    };
}

long double ComputeFuelCost(const TFuelScale &scale, TFuelVehicleKind kind, int powerIndex,
                            TFuelKind fuel, long double distance, TFuelCalcState &last)
{
    long double rate = 0;
    long double amount = 0;
    if (kind == fvCar || kind == fvTwoWheeler) {
        const int row = FuelScaleRowIndex(kind, powerIndex);
        if (row < 0 || row >= int(scale.size()))
            return 0; // no power class chosen: the last rate stays
        const TFuelScaleRow &r = scale[row];
        if (kind == fvTwoWheeler) {
            rate = r.DieselRate;
        } else if (fuel == fkDiesel) {
            rate = r.DieselRate;
        } else if (fuel == fkUnleaded) {
            rate = r.UnleadedRate;
        } else if (fuel == fkLpg) {
            rate = r.LpgRate;
        }
        amount = rate * distance;
    }
    last.Rate = rate;
    return amount;
}

QString FuelAmountText(long double amount)
{
    return NumberToText(static_cast<long double>(RoundHalfEven(amount)), 0);
}
