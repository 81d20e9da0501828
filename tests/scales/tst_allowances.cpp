// The mileage and fuel scales and the amounts computed from them.
#include "FrenchLocale.h"
#include "FuelScale.h"
#include "KmScale.h"
#include "NumberText.h"
#include "PublishedExamples.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

bool sameRow(const TKmScaleRow &a, const TKmScaleRow &b)
{
    return a.ClassNo == b.ClassNo && a.Band1Rate == b.Band1Rate && a.Band2Rate == b.Band2Rate &&
           a.Band2Fixed == b.Band2Fixed && a.Band3Rate == b.Band3Rate;
}

bool sameScale(const TKmScale &a, const TKmScale &b)
{
    for (size_t i = 0; i < a.size(); ++i) {
        if (!sameRow(a[i], b[i]))
            return false;
    }
    return true;
}

TKmScale scaleOf(int year)
{
    TKmScale scale{};
    BuildKmScale(scale, year);
    return scale;
}

QString amount20(long double amount)
{
    return NumberToSignificantText(amount, 20);
}

} // namespace

class TestAllowances : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }
    void yearsSharingACoefficientSet();
    void scaleRowsOf2022();
    void rebuildReplacesEveryRow();
    void kmWorkedExamples_data();
    void kmWorkedExamples();
    void mopedBandsFollowTheYear_data();
    void mopedBandsFollowTheYear();
    void electricWithoutMarkupBefore2020();
    void kmWithoutPowerKeepsTheLastRate();
    void fuelWorkedExamples_data();
    void fuelWorkedExamples();
    void fuelIgnoresTwoWheelerFuelAndStatus();
    void fuelWithoutPowerKeepsTheLastRate();
    void fuelScaleOfOtherYearsUnchanged();
    void publishedScaleTable();
    void yearWithoutScaleRefused();
    void publishedExamples_data();
    void publishedExamples();
};

void TestAllowances::yearsSharingACoefficientSet()
{
    QVERIFY(sameScale(scaleOf(2016), scaleOf(2014)));
    QVERIFY(sameScale(scaleOf(2016), scaleOf(2015)));
    QVERIFY(sameScale(scaleOf(2016), scaleOf(2017)));
    QVERIFY(sameScale(scaleOf(2019), scaleOf(2020)));
    QVERIFY(sameScale(scaleOf(2025), scaleOf(2022)));
    QVERIFY(sameScale(scaleOf(2023), scaleOf(2022)));
    QVERIFY(!sameScale(scaleOf(2018), scaleOf(2017)));
    QVERIFY(!sameScale(scaleOf(2021), scaleOf(2022)));
    const TKmScale s2012 = scaleOf(2012);
    QCOMPARE(s2012[14].ClassNo, 1);
    QCOMPARE(s2012[14].Band2Fixed, 406.0L);
    QVERIFY(sameRow(scaleOf(2021)[14], MakeKmScaleRow(4, 0.299L, 0.07L, 458, 0.162L)));
}

void TestAllowances::scaleRowsOf2022()
{
    const TKmScale scale = scaleOf(2022);
    for (int row = 4; row <= 10; ++row)
        QVERIFY(sameRow(scale[row], MakeKmScaleRow(row + 3, 0.697L, 0.394L, 1515, 0.47L)));
    QVERIFY(sameRow(scale[0], MakeKmScaleRow(3, 0.529L, 0.316L, 1065, 0.37L)));
    QVERIFY(sameRow(scale[11], MakeKmScaleRow(1, 0.395L, 0.099L, 891, 0.248L)));
    QVERIFY(sameRow(scale[13], MakeKmScaleRow(3, 0.606L, 0.079L, 1583, 0.343L)));
    QVERIFY(sameRow(scale[14], MakeKmScaleRow(4, 0.315L, 0.079L, 711, 0.198L)));
}

void TestAllowances::rebuildReplacesEveryRow()
{
    TKmScale scale{};
    BuildKmScale(scale, 2022);
    BuildKmScale(scale, 2013);
    QVERIFY(sameScale(scale, scaleOf(2013)));
    QVERIFY(sameRow(scale[0], MakeKmScaleRow(3, 0.408L, 0.244L, 820, 0.285L)));
    QCOMPARE(scale[14].ClassNo, 1);
}

void TestAllowances::kmWorkedExamples_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("power");
    QTest::addColumn<long double>("distance");
    QTest::addColumn<long double>("rate");
    QTest::addColumn<long double>("fixed");
    QTest::addColumn<QString>("amount"); // 20 significant digits, where the scale gives them
    QTest::addColumn<QString>("shown");

    QTest::newRow("car 5 CV 12000 km") << 2022 << int(vkThermalCar) << 2 << 12000.0L << 0.357L
                                       << 1395.0L << u"5679"_s << Fr(u"5 679"_s);
    QTest::newRow("electric car 3 CV marked up") << 2022 << int(vkElectricCar) << 0 << 4000.0L
                                                 << 0.635L << 0.0L << u"2540"_s << Fr(u"2 540"_s);
    QTest::newRow("electric moped middle band marked up")
        << 2022 << int(vkElectricMoped) << -1 << 4500.0L << 0.095L << 853.2L << u"1280.7"_s
        << Fr(u"1 281"_s);
    QTest::newRow("electric car 2019 without markup")
        << 2019 << int(vkElectricCar) << 1 << 15000.0L << 0.294L << 1147.0L << u"5557"_s
        << Fr(u"5 557"_s);
    QTest::newRow("car at the 5000 km limit") << 2022 << int(vkThermalCar) << 0 << 5000.0L << 0.529L
                                              << 0.0L << u"2645"_s << Fr(u"2 645"_s);
    QTest::newRow("car just past 5000 km")
        << 2022 << int(vkThermalCar) << 0 << 5001.0L << 0.316L << 1065.0L
        << u"2645.3159999999999998"_s << Fr(u"2 645"_s);
    QTest::newRow("car at the 20000 km limit") << 2022 << int(vkThermalCar) << 0 << 20000.0L
                                               << 0.316L << 1065.0L << u"7385"_s << Fr(u"7 385"_s);
    QTest::newRow("car just past 20000 km") << 2022 << int(vkThermalCar) << 0 << 20001.0L << 0.37L
                                            << 0.0L << u"7400.3700000000000001"_s << Fr(u"7 400"_s);
    QTest::newRow("moped 2022 at the 6000 km limit")
        << 2022 << int(vkThermalMoped) << -1 << 6000.0L << 0.079L << 711.0L << u"1185"_s
        << Fr(u"1 185"_s);
    QTest::newRow("half euro shown rounded up") << 2022 << int(vkThermalCar) << 0 << 2500.0L
                                                << 0.529L << 0.0L << u"1322.5"_s << Fr(u"1 323"_s);
    QTest::newRow("electric motorcycle 2020 marked up")
        << 2020 << int(vkElectricMotorcycle) << 0 << 2000.0L << 0.409L << 0.0L << QString()
        << u"818"_s;
    QTest::newRow("motorcycle at the 3000 km limit")
        << 2022 << int(vkThermalMotorcycle) << 1 << 3000.0L << 0.468L << 0.0L << QString()
        << Fr(u"1 404"_s);
    QTest::newRow("motorcycle at the 6000 km limit")
        << 2022 << int(vkThermalMotorcycle) << 1 << 6000.0L << 0.082L << 1158.0L << QString()
        << Fr(u"1 650"_s);
    QTest::newRow("empty distance")
        << 2022 << int(vkThermalCar) << 3 << 0.0L << 0.665L << 0.0L << u"0"_s << u"0"_s;
    QTest::newRow("negative distance in the first band")
        << 2022 << int(vkThermalCar) << 0 << -100.0L << 0.529L << 0.0L << QString() << u"-53"_s;
}

void TestAllowances::kmWorkedExamples()
{
    QFETCH(int, year);
    QFETCH(int, kind);
    QFETCH(int, power);
    QFETCH(long double, distance);
    QFETCH(long double, rate);
    QFETCH(long double, fixed);
    QFETCH(QString, amount);
    QFETCH(QString, shown);

    TKmCalcState last;
    const long double result =
        ComputeKmCost(scaleOf(year), TVehicleKind(kind), year, power, distance, last);
    QCOMPARE(last.Rate, rate);
    QCOMPARE(last.Fixed, fixed);
    if (!amount.isEmpty())
        QCOMPARE(amount20(result), amount);
    QCOMPARE(KmAmountText(result), shown);
}

// Mopeds had their bands at 2000 and 5000 km up to the income year 2018, at 3000 and
// 6000 km from 2019 on.
void TestAllowances::mopedBandsFollowTheYear_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<long double>("distance");
    QTest::addColumn<QString>("amount"); // to 3 decimals

    QTest::newRow("moped 2017 at the 2000 km limit") << 2017 << 2000.0L << u"538,000"_s;
    QTest::newRow("moped 2017 just past 2000 km") << 2017 << 2001.0L << u"538,063"_s;
    QTest::newRow("moped 2017 in the middle band") << 2017 << 3000.0L << u"601,000"_s;
    QTest::newRow("moped 2017 at the 5000 km limit") << 2017 << 5000.0L << u"727,000"_s;
    QTest::newRow("moped 2017 just past 5000 km") << 2017 << 5001.0L << u"730,146"_s;
    QTest::newRow("moped 2018 in the middle band") << 2018 << 3000.0L << u"601,000"_s;
    QTest::newRow("moped 2012 at the 2000 km limit") << 2012 << 2000.0L << u"532,000"_s;
    QTest::newRow("moped 2019 at the 3000 km limit") << 2019 << 3000.0L << u"816,000"_s;
    QTest::newRow("moped 2019 just past 6000 km") << 2019 << 6001.0L << u"882,147"_s;
}

void TestAllowances::mopedBandsFollowTheYear()
{
    QFETCH(int, year);
    QFETCH(long double, distance);
    QFETCH(QString, amount);
    TKmCalcState last;
    for (TVehicleKind kind : {vkThermalMoped, vkElectricMoped}) {
        if (kind == vkElectricMoped && year < 2018)
            continue;
        QCOMPARE(NumberToText(ComputeKmCost(scaleOf(year), kind, year, -1, distance, last), 3),
                 amount);
    }
}

void TestAllowances::electricWithoutMarkupBefore2020()
{
    for (int year : {2018, 2019}) {
        const TKmScale scale = scaleOf(year);
        for (int kind = vkThermalCar; kind <= vkThermalMoped; ++kind) {
            for (long double d : {1500.0L, 4000.0L, 12000.0L, 30000.0L}) {
                TKmCalcState thermal;
                TKmCalcState electric;
                const long double a = ComputeKmCost(scale, TVehicleKind(kind), year, 1, d, thermal);
                const long double b =
                    ComputeKmCost(scale, TVehicleKind(kind + 3), year, 1, d, electric);
                QCOMPARE(a, b);
                QCOMPARE(thermal.Rate, electric.Rate);
            }
        }
    }
}

void TestAllowances::kmWithoutPowerKeepsTheLastRate()
{
    const TKmScale scale = scaleOf(2022);
    TKmCalcState last;
    ComputeKmCost(scale, vkThermalCar, 2022, 2, 12000, last);
    QCOMPARE(ComputeKmCost(scale, vkThermalCar, 2022, -1, 12000, last), 0.0L);
    QCOMPARE(ComputeKmCost(scale, vkElectricMotorcycle, 2022, -1, 12000, last), 0.0L);
    QCOMPARE(last.Rate, 0.357L);
    QCOMPARE(last.Fixed, 1395.0L);
    // A kind outside the list computes nothing and clears the rate.
    QCOMPARE(ComputeKmCost(scale, TVehicleKind(7), 2022, 0, 12000, last), 0.0L);
    QCOMPARE(last.Rate, 0.0L);
}

void TestAllowances::fuelWorkedExamples_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("power");
    QTest::addColumn<int>("fuel");
    QTest::addColumn<long double>("distance");
    QTest::addColumn<long double>("rate");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("shown");

    QTest::newRow("car 5 to 7 CV diesel, product just below 1260")
        << int(fvCar) << 1 << int(fkDiesel) << 10000.0L << 0.126L << u"1259.9999999999999999"_s
        << Fr(u"1 260"_s);
    QTest::newRow("car 12 CV and more LPG")
        << int(fvCar) << 4 << int(fkLpg) << 15000.0L << 0.116L << u"1740"_s << Fr(u"1 740"_s);
    QTest::newRow("two-wheeler over 5 CV") << int(fvTwoWheeler) << 3 << int(fkUnleaded) << 10000.0L
                                           << 0.136L << u"1360"_s << Fr(u"1 360"_s);
    QTest::newRow("tie 86.5 to the even 86")
        << int(fvCar) << 2 << int(fkUnleaded) << 500.0L << 0.173L << u"86.5"_s << u"86"_s;
    QTest::newRow("tie 25.5 to the even 26")
        << int(fvCar) << 0 << int(fkDiesel) << 250.0L << 0.102L << u"25.5"_s << u"26"_s;
    QTest::newRow("product just below 157.5") << int(fvCar) << 0 << int(fkLpg) << 2500.0L << 0.063L
                                              << u"157.49999999999999999"_s << u"157"_s;
}

void TestAllowances::fuelWorkedExamples()
{
    QFETCH(int, kind);
    QFETCH(int, power);
    QFETCH(int, fuel);
    QFETCH(long double, distance);
    QFETCH(long double, rate);
    QFETCH(QString, amount);
    QFETCH(QString, shown);

    TFuelScale scale{};
    BuildFuelScale(scale, 2022);
    TFuelCalcState last;
    const long double result =
        ComputeFuelCost(scale, TFuelVehicleKind(kind), power, TFuelKind(fuel), distance, last);
    QCOMPARE(last.Rate, rate);
    QCOMPARE(amount20(result), amount);
    QCOMPARE(FuelAmountText(result), shown);
}

void TestAllowances::fuelIgnoresTwoWheelerFuelAndStatus()
{
    TFuelScale scale{};
    BuildFuelScale(scale, 2022);
    TFuelCalcState last;
    for (int power = 0; power < 4; ++power) {
        const long double diesel =
            ComputeFuelCost(scale, fvTwoWheeler, power, fkDiesel, 7000, last);
        QVERIFY(diesel > 0);
        QCOMPARE(ComputeFuelCost(scale, fvTwoWheeler, power, fkUnleaded, 7000, last), diesel);
        QCOMPARE(ComputeFuelCost(scale, fvTwoWheeler, power, fkLpg, 7000, last), diesel);
    }
    // An employee's "5 à 7 CV et +" is the second entry of the list, as "5 à 7 CV" is.
    QCOMPARE(FuelPowerCaptions(fvCar, tsEmployee).indexOf(u"5 à 7 CV et +"_s),
             FuelPowerCaptions(fvCar, tsProfessional).indexOf(u"5 à 7 CV"_s));
}

void TestAllowances::fuelWithoutPowerKeepsTheLastRate()
{
    TFuelScale scale{};
    BuildFuelScale(scale, 2022);
    TFuelCalcState last;
    ComputeFuelCost(scale, fvCar, 3, fkUnleaded, 1000, last);
    QCOMPARE(ComputeFuelCost(scale, fvCar, -1, fkUnleaded, 1000, last), 0.0L);
    QCOMPARE(ComputeFuelCost(scale, fvTwoWheeler, -1, fkUnleaded, 1000, last), 0.0L);
    QCOMPARE(last.Rate, 0.195L);
}

void TestAllowances::fuelScaleOfOtherYearsUnchanged()
{
    TFuelScale scale{};
    BuildFuelScale(scale, 2021);
    QCOMPARE(scale[4].LpgRate, 0.0L);
    BuildFuelScale(scale, 2022);
    BuildFuelScale(scale, 2021);
    QCOMPARE(scale[4].LpgRate, 0.116L);
    QCOMPARE(scale[5].ClassNo, 49);
}

void TestAllowances::publishedScaleTable()
{
    // Each year from the oldest to the newest is served by exactly one entry.
    for (const QList<int> &years : {KmYears(), FuelYears()}) {
        QVERIFY(!years.isEmpty());
        for (int year = years.last(); year <= years.first(); ++year) {
            const auto serves = [year](const auto &set) {
                return year >= set.FirstYear && year <= set.LastYear;
            };
            const bool km = years == KmYears();
            const qsizetype count = km ? std::ranges::count_if(KmScaleSets(), serves)
                                       : std::ranges::count_if(FuelScaleSets(), serves);
            QVERIFY2(count == 1, qPrintable(u"%1: %2 entries"_s.arg(year).arg(count)));
        }
    }
    for (const TKmScaleSet &set : KmScaleSets()) {
        QVERIFY(set.FirstYear <= set.LastYear);
        QVERIFY(set.Coefficients && set.Reference);
        QVERIFY(!set.ElectricMarkup || set.ElectricKinds);
    }
    QCOMPARE(KmYears().first(), 2025);
    QCOMPARE(KmYears().last(), 2012);
    QCOMPARE(FuelYears(), (QList<int>{2025, 2024, 2023, 2022}));
    QCOMPARE(FirstElectricKindsYear(), 2018);
    QCOMPARE(FirstElectricMarkupYear(), 2020);
}

void TestAllowances::yearWithoutScaleRefused()
{
    for (int year : {2011, 2026, 0}) {
        TKmScale km = scaleOf(2021);
        QVERIFY(!BuildKmScale(km, year));
        QVERIFY(sameScale(km, scaleOf(2021))); // left as it was
        TKmCalcState last;
        last.Rate = 1;
        QCOMPARE(ComputeKmCost(km, vkThermalCar, year, 2, 12000, last), 0.0L);
        QCOMPARE(last.Rate, 0.0L);
        TFuelScale fuel{};
        QVERIFY(!BuildFuelScale(fuel, year));
        QCOMPARE(fuel[0].DieselRate, 0.0L);
    }
}

void TestAllowances::publishedExamples_data()
{
    QTest::addColumn<TPublishedExample>("example");
    for (const TPublishedExample &example : PublishedExamples)
        QTest::newRow(example.Name) << example;
}

void TestAllowances::publishedExamples()
{
    QFETCH(TPublishedExample, example);
    long double amount = 0;
    long double rate = 0;
    long double fixed = 0;
    QString shown;
    if (example.Type == tcKmCost) {
        TKmCalcState last;
        amount = ComputeKmCost(scaleOf(example.Year), TVehicleKind(example.Kind), example.Year,
                               example.Power, example.Distance, last);
        rate = last.Rate;
        fixed = last.Fixed;
        shown = KmAmountText(amount);
    } else {
        TFuelScale scale{};
        QVERIFY(BuildFuelScale(scale, example.Year));
        TFuelCalcState last;
        amount = ComputeFuelCost(scale, TFuelVehicleKind(example.Kind), example.Power,
                                 TFuelKind(example.Fuel), example.Distance, last);
        rate = last.Rate;
        shown = FuelAmountText(amount);
    }
    QCOMPARE(rate, example.Rate);
    QCOMPARE(fixed, example.Fixed);
    QCOMPARE(shown, Fr(QString::fromUtf16(example.Shown)));
}

QTEST_GUILESS_MAIN(TestAllowances)
#include "tst_allowances.moc"
