// The fuel scale of an income year and the flat fuel allowance.
#include "FuelScale.h"

#include "NumberText.h"

TFuelScaleRow MakeFuelScaleRow(int32_t classNo, long double dieselRate, long double unleadedRate,
                               long double lpgRate)
{
    return TFuelScaleRow{classNo, dieselRate, unleadedRate, lpgRate};
}

bool BuildFuelScale(TFuelScale &scale, int year)
{
    const TFuelScaleSet *set = FindFuelScaleSet(year);
    if (!set)
        return false;
    BuildFuelScale(scale, *set);
    return true;
}

void BuildFuelScale(TFuelScale &scale, const TFuelScaleSet &set)
{
    // The class numbers written with the rows: cars by their first CV, two-wheelers by class.
    constexpr int32_t ClassNumbers[9] = {3, 5, 8, 10, 12, 49, 50, 3, 6};
    for (int row = 0; row < 5; ++row) {
        const TFuelCarRates &car = set.Cars[row];
        scale[row] = MakeFuelScaleRow(ClassNumbers[row], car.Diesel, car.Unleaded, car.Lpg);
    }
    // Two-wheelers: the fuel does not matter.
    for (int row = 5; row < 9; ++row) {
        const long double rate = set.TwoWheelers[row - 5];
        scale[row] = MakeFuelScaleRow(ClassNumbers[row], rate, rate, rate);
    }
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
