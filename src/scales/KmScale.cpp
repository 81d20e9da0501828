// The mileage scales of the income years 2012 to 2022 and the mileage allowance.
#include "KmScale.h"

#include "NumberText.h"

namespace {

struct TCoefficients
{
    long double Band1Rate, Band2Rate, Band2Fixed, Band3Rate;
};

// One published scale: cars 3 CV or less, 4, 5, 6, 7 CV and more; motorcycles 1 or 2 CV,
// 3 to 5 CV, more than 5 CV; mopeds.
struct TCoefficientSet
{
    TCoefficients Cars[5];
    TCoefficients Motorcycles[3];
    TCoefficients Mopeds;
    int32_t MopedClassNo;
};

constexpr TCoefficientSet Set2022{
    {{0.529L, 0.316L, 1065, 0.37L},
     {0.606L, 0.34L, 1330, 0.407L},
     {0.636L, 0.357L, 1395, 0.427L},
     {0.665L, 0.374L, 1457, 0.447L},
     {0.697L, 0.394L, 1515, 0.47L}},
    {{0.395L, 0.099L, 891, 0.248L}, {0.468L, 0.082L, 1158, 0.275L}, {0.606L, 0.079L, 1583, 0.343L}},
    {0.315L, 0.079L, 711, 0.198L},
    4};

constexpr TCoefficientSet Set2021{
    {{0.502L, 0.3L, 1007, 0.35L},
     {0.575L, 0.323L, 1262, 0.387L},
     {0.603L, 0.339L, 1320, 0.405L},
     {0.631L, 0.355L, 1382, 0.425L},
     {0.661L, 0.374L, 1435, 0.446L}},
    {{0.375L, 0.094L, 845, 0.234L}, {0.444L, 0.078L, 1099, 0.261L}, {0.575L, 0.075L, 1502, 0.325L}},
    {0.299L, 0.07L, 458, 0.162L},
    4};

constexpr TCoefficientSet Set2019{
    {{0.456L, 0.273L, 915, 0.318L},
     {0.523L, 0.294L, 1147, 0.352L},
     {0.548L, 0.308L, 1200, 0.368L},
     {0.574L, 0.323L, 1256, 0.386L},
     {0.601L, 0.34L, 1301, 0.405L}},
    {{0.341L, 0.085L, 768, 0.213L}, {0.404L, 0.071L, 999, 0.237L}, {0.523L, 0.068L, 1365, 0.295L}},
    {0.272L, 0.064L, 416, 0.147L},
    4};

constexpr TCoefficientSet Set2018{
    {{0.451L, 0.27L, 906, 0.315L},
     {0.518L, 0.291L, 1136, 0.349L},
     {0.543L, 0.305L, 1188, 0.364L},
     {0.568L, 0.32L, 1244, 0.382L},
     {0.595L, 0.337L, 1288, 0.401L}},
    {{0.338L, 0.084L, 760, 0.211L}, {0.4L, 0.07L, 989, 0.235L}, {0.518L, 0.067L, 1351, 0.292L}},
    {0.269L, 0.063L, 412, 0.146L},
    4};

constexpr TCoefficientSet Set2014{
    {{0.41L, 0.245L, 824, 0.286L},
     {0.493L, 0.277L, 1082, 0.332L},
     {0.543L, 0.305L, 1188, 0.364L},
     {0.568L, 0.32L, 1244, 0.382L},
     {0.595L, 0.337L, 1288, 0.401L}},
    {{0.338L, 0.084L, 760, 0.211L}, {0.4L, 0.07L, 989, 0.235L}, {0.518L, 0.067L, 1351, 0.292L}},
    {0.269L, 0.063L, 412, 0.146L},
    4};

constexpr TCoefficientSet Set2013{
    {{0.408L, 0.244L, 820, 0.285L},
     {0.491L, 0.276L, 1077, 0.33L},
     {0.54L, 0.303L, 1182, 0.362L},
     {0.565L, 0.318L, 1238, 0.38L},
     {0.592L, 0.335L, 1282, 0.399L}},
    {{0.336L, 0.084L, 756, 0.21L}, {0.398L, 0.07L, 984, 0.234L}, {0.515L, 0.067L, 1344, 0.291L}},
    {0.268L, 0.063L, 410, 0.145L},
    1};

constexpr TCoefficientSet Set2012{
    {{0.405L, 0.242L, 818, 0.283L},
     {0.487L, 0.274L, 1063, 0.327L},
     {0.536L, 0.3L, 1180, 0.359L},
     {0.561L, 0.316L, 1223, 0.377L},
     {0.587L, 0.332L, 1278, 0.396L}},
    {{0.333L, 0.083L, 750, 0.208L}, {0.395L, 0.069L, 978, 0.232L}, {0.511L, 0.067L, 1332, 0.289L}},
    {0.266L, 0.063L, 406, 0.144L},
    1};

const TCoefficientSet &coefficientsOf(int year)
{
    switch (year) {
    case 2022:
        return Set2022;
    case 2021:
        return Set2021;
    case 2019:
    case 2020:
        return Set2019;
    case 2018:
        return Set2018;
    case 2014:
    case 2015:
    case 2016:
    case 2017:
        return Set2014;
    case 2013:
        return Set2013;
    default:
        return Set2012;
    }
}

TKmScaleRow rowOf(int32_t classNo, const TCoefficients &c)
{
    return MakeKmScaleRow(classNo, c.Band1Rate, c.Band2Rate, c.Band2Fixed, c.Band3Rate);
}

// Mopeds had their bands at 2000 and 5000 km up to the income year 2018.
constexpr int LastYearOfOldMopedBands = 2018;

} // namespace

TKmScaleRow MakeKmScaleRow(int32_t classNo, long double band1Rate, long double band2Rate,
                           long double band2Fixed, long double band3Rate)
{
    return TKmScaleRow{classNo, band1Rate, band2Rate, band2Fixed, band3Rate};
}

void BuildKmScale(TKmScale &scale, int year)
{
    const TCoefficientSet &set = coefficientsOf(year);
    // Rows 4 to 10 (7 CV up to 13 CV and more) all carry the "7 CV et plus" coefficients.
    for (int row = 0; row <= 10; ++row)
        scale[row] = rowOf(row + 3, set.Cars[row < 4 ? row : 4]);
    for (int i = 0; i < 3; ++i)
        scale[11 + i] = rowOf(i + 1, set.Motorcycles[i]);
    scale[14] = rowOf(set.MopedClassNo, set.Mopeds);
}

TBandLimits KmBandLimits(TVehicleKind kind, int year)
{
    switch (VehicleGroup(kind)) {
    case TVehicleGroup::Car:
        return {5000, 20000};
    case TVehicleGroup::Motorcycle:
        return {3000, 6000};
    case TVehicleGroup::Moped:
        break;
    }
    if (year <= LastYearOfOldMopedBands)
        return {2000, 5000};
    return {3000, 6000};
}

long double ComputeKmCost(const TKmScale &scale, TVehicleKind kind, int year, int powerIndex,
                          long double distance, TKmCalcState &last)
{
    long double rate = 0;
    long double fixed = 0;
    long double amount = 0;
    if (kind <= vkElectricMoped) {
        const int row = KmScaleRowIndex(kind, powerIndex);
        if (row < 0 || row >= int(scale.size()))
            return 0; // no power class chosen: the last rate and fixed amount stay
        const TKmScaleRow &r = scale[row];
        const TBandLimits limits = KmBandLimits(kind, year);
        if (distance <= limits.First) {
            rate = r.Band1Rate;
        } else if (distance <= limits.Second) {
            rate = r.Band2Rate;
            fixed = r.Band2Fixed;
        } else {
            rate = r.Band3Rate;
        }
        if (IsElectric(kind) && year > 2019) {
            rate = RoundDecimals(rate * ElectricMarkup, 3);
            fixed = RoundDecimals(fixed * ElectricMarkup, 3);
        }
        amount = rate * distance + fixed;
    }
    last.Rate = rate;
    last.Fixed = fixed;
    return amount;
}

QString KmAmountText(long double amount)
{
    return NumberToText(RoundDecimals(amount, 0), 0);
}
