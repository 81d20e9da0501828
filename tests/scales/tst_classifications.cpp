// Captions of both pages, scale rows and the reading of the entry fields.
#include "Classifications.h"
#include "EntryFields.h"
#include "FrenchLocale.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestClassifications : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }
    void yearLists();
    void vehicleKindsFollowTheYear();
    void powerLists();
    void fuelPageLists();
    void kmScaleRowIndex_data();
    void kmScaleRowIndex();
    void fuelScaleRowIndex_data();
    void fuelScaleRowIndex();
    void entryFields_data();
    void entryFields();
    void distanceFromDays_data();
    void distanceFromDays();
};

void TestClassifications::yearLists()
{
    const QStringList years = KmYearCaptions();
    QCOMPARE(years.size(), 14);
    QCOMPARE(years.first(), u"2025"_s);
    QCOMPARE(years.last(), u"2012"_s);
    QCOMPARE(FuelYearCaptions(), (QStringList{u"2025"_s, u"2024"_s, u"2023"_s, u"2022"_s}));
    QVERIFY(IsKmYearOffered(2012) && IsKmYearOffered(2023) && IsKmYearOffered(2025));
    QVERIFY(!IsKmYearOffered(2011) && !IsKmYearOffered(2026));
    QVERIFY(IsFuelYearOffered(2022) && IsFuelYearOffered(2024));
    QVERIFY(!IsFuelYearOffered(2021) && !IsFuelYearOffered(2026));
    QCOMPARE(NewestYear(tcKmCost), 2025);
    QCOMPARE(YearRangeText(tcKmCost), u"2012 à 2025"_s);
    QCOMPARE(YearRangeText(tcFuelCost), u"2022 à 2025"_s);
}

void TestClassifications::vehicleKindsFollowTheYear()
{
    QCOMPARE(VehicleKindCaptions(2017),
             (QStringList{u"Automobile"_s, u"Moto"_s, u"Cyclomoteur"_s}));
    QCOMPARE(VehicleKindCaptions(2018),
             (QStringList{u"Automobile thermique"_s, u"Moto thermique"_s,
                          u"Cyclomoteur thermique"_s, u"Automobile électrique"_s,
                          u"Moto électrique (> 4KW)"_s, u"Cyclomoteur électrique (<= 4KW)"_s}));
    QVERIFY(!IsVehicleKindOffered(vkElectricCar, 2017));
    QVERIFY(IsVehicleKindOffered(vkElectricMoped, 2018));
    QVERIFY(!IsVehicleKindOffered(6, 2022));
    QCOMPARE(VehicleKindCaptions(2025), VehicleKindCaptions(2018));
    // No kinds at all for a year without a scale.
    QVERIFY(VehicleKindCaptions(2026).isEmpty());
    QVERIFY(!IsVehicleKindOffered(vkThermalCar, 2011));
    QVERIFY(!IsElectric(vkThermalMoped));
    QVERIFY(IsElectric(vkElectricCar));
    QCOMPARE(ThermalKindOf(vkElectricMotorcycle), vkThermalMotorcycle);
    QCOMPARE(ThermalKindOf(vkThermalCar), vkThermalCar);
}

void TestClassifications::powerLists()
{
    QCOMPARE(PowerLabelCaption(vkElectricCar), u"Puissance administrative du véhicule"_s);
    QCOMPARE(PowerLabelCaption(vkThermalMotorcycle), u"Puissance administrative de la moto"_s);
    QVERIFY(PowerLabelCaption(vkElectricMoped).isEmpty());
    QCOMPARE(PowerCaptions(vkThermalCar),
             (QStringList{u"3 CV et moins"_s, u"4 CV"_s, u"5 CV"_s, u"6 CV"_s, u"7 CV et plus"_s}));
    QCOMPARE(PowerCaptions(vkElectricMotorcycle),
             (QStringList{u"1 ou 2 CV"_s, u"3 à 5 CV"_s, u"Plus de 5 CV"_s}));
    QVERIFY(PowerCaptions(vkThermalMoped).isEmpty());
}

void TestClassifications::fuelPageLists()
{
    QCOMPARE(FuelPowerCaptions(fvCar, tsProfessional).size(), 5);
    QCOMPARE(FuelPowerCaptions(fvCar, tsEmployee),
             (QStringList{u"3 à 4 CV"_s, u"5 à 7 CV et +"_s}));
    QCOMPARE(FuelPowerCaptions(fvTwoWheeler, tsEmployee),
             FuelPowerCaptions(fvTwoWheeler, tsProfessional));
    QCOMPARE(FuelPowerCaptions(fvTwoWheeler, tsProfessional).last(), u"au delà de 5 CV"_s);
    QCOMPARE(FuelKindCaptions(), (QStringList{u"Gazole"_s, u"Super sans plomb"_s, u"GPL"_s}));
    QCOMPARE(TaxpayerStatusCaption(tsEmployee), u"Salarié"_s);
    QVERIFY(TaxpayerStatusCaption(tsProfessional).endsWith(u"soumise à l'impôt sur le revenu"_s));
}

void TestClassifications::kmScaleRowIndex_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("power");
    QTest::addColumn<int>("row");
    QTest::newRow("car 7 CV and more") << int(vkThermalCar) << 4 << 4;
    QTest::newRow("electric car 3 CV") << int(vkElectricCar) << 0 << 0;
    QTest::newRow("electric motorcycle over 5 CV") << int(vkElectricMotorcycle) << 2 << 13;
    QTest::newRow("motorcycle 1 or 2 CV") << int(vkThermalMotorcycle) << 0 << 11;
    QTest::newRow("moped without power") << int(vkThermalMoped) << -1 << 14;
    QTest::newRow("electric moped ignores power") << int(vkElectricMoped) << 3 << 14;
    QTest::newRow("car without power") << int(vkThermalCar) << -1 << -1;
    QTest::newRow("motorcycle without power") << int(vkThermalMotorcycle) << -1 << -1;
    QTest::newRow("unknown kind") << 6 << 0 << -1;
}

void TestClassifications::kmScaleRowIndex()
{
    QFETCH(int, kind);
    QFETCH(int, power);
    QFETCH(int, row);
    QCOMPARE(KmScaleRowIndex(kind, power), row);
}

void TestClassifications::fuelScaleRowIndex_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("power");
    QTest::addColumn<int>("row");
    QTest::newRow("two-wheeler under 50 CC") << int(fvTwoWheeler) << 0 << 5;
    QTest::newRow("two-wheeler over 5 CV") << int(fvTwoWheeler) << 3 << 8;
    QTest::newRow("car 5 to 7 CV") << int(fvCar) << 1 << 1;
    QTest::newRow("car without power") << int(fvCar) << -1 << -1;
    QTest::newRow("unknown kind") << 2 << 0 << -1;
}

void TestClassifications::fuelScaleRowIndex()
{
    QFETCH(int, kind);
    QFETCH(int, power);
    QFETCH(int, row);
    QCOMPARE(FuelScaleRowIndex(kind, power), row);
}

void TestClassifications::entryFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<long double>("distance");
    QTest::addColumn<long double>("byDay");
    QTest::addColumn<int>("days");
    QTest::newRow("half a kilometre goes up") << u"1234,5"_s << 1235.0L << 1234.5L << 1234;
    QTest::newRow("not a number") << u"douze"_s << 0.0L << 0.0L << 0;
    QTest::newRow("empty") << QString() << 0.0L << 0.0L << 0;
    QTest::newRow("1,005 km a day rounds up to 1,01") << u"1,005"_s << 1.0L << 1.01L << 1;
    QTest::newRow("half a day to the even count") << u"2,5"_s << 3.0L << 2.5L << 2;
    QTest::newRow("grouped distance") << Fr(u"12 000"_s) << 12000.0L << 12000.0L << 12000;
    QTest::newRow("day count beyond 32 bits stops at the limit")
        << u"1e12"_s << 1e12L << 1e12L << 2147483647;
}

void TestClassifications::entryFields()
{
    QFETCH(QString, text);
    QFETCH(long double, distance);
    QFETCH(long double, byDay);
    QFETCH(int, days);
    QCOMPARE(DistanceFromText(text), distance);
    QCOMPARE(DistanceByDayFromText(text), byDay);
    QCOMPARE(NumOfDaysFromText(text), days);
}

void TestClassifications::distanceFromDays_data()
{
    QTest::addColumn<QString>("days");
    QTest::addColumn<QString>("byDay");
    QTest::addColumn<long double>("distance");
    QTest::addColumn<QString>("fieldText");
    QTest::newRow("5 days at 10,5 km: 52,5 to the even 52")
        << u"5"_s << u"10,5"_s << 52.0L << u"52"_s;
    QTest::newRow("7 days at 10,5 km: 73,5 to the even 74")
        << u"7"_s << u"10,5"_s << 74.0L << u"74"_s;
    QTest::newRow("218 days at 42,35 km") << u"218"_s << u"42,35"_s << 9232.0L << Fr(u"9 232"_s);
    QTest::newRow("per-day distance rounded first") << u"100"_s << u"1,005"_s << 101.0L << u"101"_s;
}

void TestClassifications::distanceFromDays()
{
    QFETCH(QString, days);
    QFETCH(QString, byDay);
    QFETCH(long double, distance);
    QFETCH(QString, fieldText);
    const long double computed =
        DistanceFromDays(NumOfDaysFromText(days), DistanceByDayFromText(byDay));
    QCOMPARE(computed, distance);
    QCOMPARE(DistanceText(computed), fieldText);
    QCOMPARE(DistanceFromText(DistanceText(computed)), distance);
}

QTEST_GUILESS_MAIN(TestClassifications)
#include "tst_classifications.moc"
