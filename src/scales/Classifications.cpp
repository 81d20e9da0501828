// The captions of both calculator pages, as one table of data.
#include "Classifications.h"

#include "PublishedScales.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TVehicleKindInfo
{
    const char16_t *Caption;      // income years whose scale has electric vehicles
    const char16_t *OlderCaption; // the years before them (thermal kinds only)
    TVehicleGroup Group;
};

constexpr std::array<TVehicleKindInfo, 6> VehicleKinds{{
    {u"Automobile thermique", u"Automobile", TVehicleGroup::Car},
    {u"Moto thermique", u"Moto", TVehicleGroup::Motorcycle},
    {u"Cyclomoteur thermique", u"Cyclomoteur", TVehicleGroup::Moped},
    {u"Automobile électrique", nullptr, TVehicleGroup::Car},
    {u"Moto électrique (> 4KW)", nullptr, TVehicleGroup::Motorcycle},
    {u"Cyclomoteur électrique (<= 4KW)", nullptr, TVehicleGroup::Moped},
}};

QStringList listOf(std::initializer_list<const char16_t *> items)
{
    QStringList list;
    list.reserve(qsizetype(items.size()));
    for (const char16_t *item : items)
        list << QString::fromUtf16(item);
    return list;
}

QStringList yearCaptions(const QList<int> &years)
{
    QStringList captions;
    captions.reserve(years.size());
    for (int year : years)
        captions << QString::number(year);
    return captions;
}

} // namespace

QStringList KmYearCaptions()
{
    return yearCaptions(KmYears());
}

QStringList FuelYearCaptions()
{
    return yearCaptions(FuelYears());
}

bool IsKmYearOffered(int year)
{
    return FindKmScaleSet(year) != nullptr;
}

bool IsFuelYearOffered(int year)
{
    return FindFuelScaleSet(year) != nullptr;
}

QList<int> YearsOf(TTypeCalc type)
{
    switch (type) {
    case tcKmCost:
        return KmYears();
    case tcFuelCost:
        return FuelYears();
    case tcRealCosts:
        break;
    }
    return RealCostsYears();
}

int NewestYear(TTypeCalc type)
{
    const QList<int> years = YearsOf(type);
    return years.isEmpty() ? 0 : years.first();
}

QString YearRangeText(TTypeCalc type)
{
    const QList<int> years = YearsOf(type);
    if (years.size() == 1)
        return QString::number(years.first());
    return u"%1 à %2"_s.arg(years.last()).arg(years.first());
}

int VehicleKindCount(int year)
{
    return VehicleKindCount(FindKmScaleSet(year));
}

QStringList VehicleKindCaptions(int year)
{
    return VehicleKindCaptions(FindKmScaleSet(year));
}

bool IsVehicleKindOffered(int kind, int year)
{
    return IsVehicleKindOffered(kind, FindKmScaleSet(year));
}

int VehicleKindCount(const TKmScaleSet *set)
{
    if (!set)
        return 0;
    return set->ElectricKinds ? 6 : 3;
}

QStringList VehicleKindCaptions(const TKmScaleSet *set)
{
    QStringList list;
    const int count = VehicleKindCount(set);
    for (int i = 0; i < count; ++i) {
        list << QString::fromUtf16(set->ElectricKinds ? VehicleKinds[i].Caption
                                                      : VehicleKinds[i].OlderCaption);
    }
    return list;
}

bool IsVehicleKindOffered(int kind, const TKmScaleSet *set)
{
    return kind >= 0 && kind < VehicleKindCount(set);
}

bool IsElectric(TVehicleKind kind)
{
    return kind > vkThermalMoped;
}

TVehicleKind ThermalKindOf(TVehicleKind kind)
{
    return IsElectric(kind) ? TVehicleKind(kind - 3) : kind;
}

TVehicleGroup VehicleGroup(TVehicleKind kind)
{
    return kind < VehicleKinds.size() ? VehicleKinds[kind].Group : TVehicleGroup::Car;
}

QString PowerLabelCaption(TVehicleKind kind)
{
    switch (VehicleGroup(kind)) {
    case TVehicleGroup::Car:
        return u"Puissance administrative du véhicule"_s;
    case TVehicleGroup::Motorcycle:
        return u"Puissance administrative de la moto"_s;
    case TVehicleGroup::Moped:
        break;
    }
    return {};
}

QStringList PowerCaptions(TVehicleKind kind)
{
    // Made once: every batch row asks for them.
    static const QStringList Cars =
        listOf({u"3 CV et moins", u"4 CV", u"5 CV", u"6 CV", u"7 CV et plus"});
    static const QStringList Motorcycles = listOf({u"1 ou 2 CV", u"3 à 5 CV", u"Plus de 5 CV"});
    switch (VehicleGroup(kind)) {
    case TVehicleGroup::Car:
        return Cars;
    case TVehicleGroup::Motorcycle:
        return Motorcycles;
    case TVehicleGroup::Moped:
        break;
    }
    return {};
}

QStringList FuelVehicleKindCaptions()
{
    return listOf({u"Voiture de tourisme", u"Vélomoteurs, scooters et motocyclettes"});
}

QStringList FuelKindCaptions()
{
    return listOf({u"Gazole", u"Super sans plomb", u"GPL"});
}

QString TaxpayerStatusCaption(TTaxpayerStatus status)
{
    if (status == tsEmployee)
        return u"Salarié"_s;
    return u"Entrepreneur individuel, profession libéral, associé de société soumise à "
           u"l'impôt sur le revenu"_s;
}

QStringList FuelPowerCaptions(TFuelVehicleKind kind, TTaxpayerStatus status)
{
    static const QStringList TwoWheelers =
        listOf({u"Inférieure à 50 CC", u"De 50 CC à 125 CC", u"3, 4 et 5 CV", u"au delà de 5 CV"});
    static const QStringList EmployeeCars = listOf({u"3 à 4 CV", u"5 à 7 CV et +"});
    static const QStringList Cars =
        listOf({u"3 à 4 CV", u"5 à 7 CV", u"8 à 9 CV", u"10 à 11 CV", u"12 CV et +"});
    if (kind == fvTwoWheeler)
        return TwoWheelers;
    return status == tsEmployee ? EmployeeCars : Cars;
}

int KmScaleRowIndex(int kind, int powerIndex)
{
    if (kind < 0 || kind > vkElectricMoped)
        return -1;
    switch (VehicleGroup(TVehicleKind(kind))) {
    case TVehicleGroup::Moped:
        return 14;
    case TVehicleGroup::Car:
        return powerIndex < 0 ? -1 : powerIndex;
    case TVehicleGroup::Motorcycle:
        return powerIndex < 0 ? -1 : powerIndex + 11;
    }
    return -1;
}

int FuelScaleRowIndex(int kind, int powerIndex)
{
    if (powerIndex < 0)
        return -1;
    if (kind == fvCar)
        return powerIndex;
    if (kind == fvTwoWheeler)
        return powerIndex + 5;
    return -1;
}
