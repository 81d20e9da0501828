// The mileage scale of an income year and the mileage allowance.
#include "KmScale.h"

#include "NumberText.h"

namespace {

TKmScaleRow rowOf(int32_t classNo, const TKmCoefficients &c)
{
    return MakeKmScaleRow(classNo, c.Band1Rate, c.Band2Rate, c.Band2Fixed, c.Band3Rate);
}

} // namespace

TKmScaleRow MakeKmScaleRow(int32_t classNo, long double band1Rate, long double band2Rate,
                           long double band2Fixed, long double band3Rate)
{
    return TKmScaleRow{classNo, band1Rate, band2Rate, band2Fixed, band3Rate};
}

bool BuildKmScale(TKmScale &scale, int year)
{
    const TKmScaleSet *published = FindKmScaleSet(year);
    if (!published)
        return false;
    BuildKmScale(scale, *published);
    return true;
}

void BuildKmScale(TKmScale &scale, const TKmScaleSet &published)
{
    const TKmCoefficientSet &set = *published.Coefficients;
    // Rows 4 to 10 (7 CV up to 13 CV and more) all carry the "7 CV et plus" coefficients.
    for (int row = 0; row <= 10; ++row)
        scale[row] = rowOf(row + 3, set.Cars[row < 4 ? row : 4]);
    for (int i = 0; i < 3; ++i)
        scale[11 + i] = rowOf(i + 1, set.Motorcycles[i]);
    scale[14] = rowOf(set.MopedClassNo, set.Mopeds);
}

TBandLimits KmBandLimits(TVehicleKind kind, const TKmScaleSet &set)
{
    switch (VehicleGroup(kind)) {
    case TVehicleGroup::Car:
        return {5000, 20000};
    case TVehicleGroup::Motorcycle:
        return {3000, 6000};
    case TVehicleGroup::Moped:
        break;
    }
    return set.MopedBands;
}

long double ComputeKmCost(const TKmScale &scale, TVehicleKind kind, int year, int powerIndex,
                          long double distance, TKmCalcState &last)
{
    return ComputeKmCost(scale, kind, FindKmScaleSet(year), powerIndex, distance, last);
}

long double ComputeKmCost(const TKmScale &scale, TVehicleKind kind, const TKmScaleSet *set,
                          int powerIndex, long double distance, TKmCalcState &last)
{
    long double rate = 0;
    long double fixed = 0;
    long double amount = 0;
    if (kind <= vkElectricMoped && set) {
        const int row = KmScaleRowIndex(kind, powerIndex);
        if (row < 0 || row >= int(scale.size()))
            return 0; // no power class chosen: the last rate and fixed amount stay
        const TKmScaleRow &r = scale[row];
        const TBandLimits limits = KmBandLimits(kind, *set);
        if (distance <= limits.First) {
            rate = r.Band1Rate;
        } else if (distance <= limits.Second) {
            rate = r.Band2Rate;
            fixed = r.Band2Fixed;
        } else {
            rate = r.Band3Rate;
        }
        if (IsElectric(kind) && set->ElectricMarkup) {
            rate = RoundDecimals(rate * ElectricMarkup, 3);
            fixed = RoundDecimals(fixed * ElectricMarkup, 3);
        }
        amount = rate * distance + fixed;
    }
    last.Rate = rate;
    last.Fixed = fixed;
    return amount;
}

QString LongCommuteNote()
{
    return QStringLiteral(
        "Plus de 80 km par jour : au-delà de 40 km entre le domicile et le travail, les frais ne "
        "sont admis que si des circonstances particulières le justifient (emploi, famille, "
        "santé) ; sinon, seuls les 40 premiers kilomètres de chaque trajet comptent "
        "(BOI-RSA-BASE-30-50-30-20 § 10).");
}

QString KmAmountText(long double amount)
{
    return NumberToText(RoundDecimals(amount, 0), 0);
}
