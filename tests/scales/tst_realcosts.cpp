// Actual costs against the 10 % deduction: the bounds of each year, meals, home working, the
// allowances added back, the declared euros, and the limits of the input.
#include "FrenchLocale.h"
#include "RealCosts.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(TRealCostsInput)

namespace {

TRealCostsInput pay(long double salary, long double vehicle = 0, long double allowances = 0)
{
    TRealCostsInput input;
    input.Salary = salary;
    input.Vehicle = vehicle;
    input.Allowances = allowances;
    return input;
}

TRealCostsInput meals(long double count, bool receipts, long double price, long double voucher)
{
    TRealCostsInput input = pay(30000);
    input.Meals = count;
    input.MealReceipts = receipts;
    input.MealPrice = price;
    input.MealVoucher = voucher;
    return input;
}

TRealCostsInput homeWork(bool flat, long double days, long double actual)
{
    TRealCostsInput input = pay(30000);
    input.HomeWorkFlat = flat;
    input.HomeWorkDays = days;
    input.HomeWorkActual = actual;
    return input;
}

} // namespace

class TestRealCosts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }
    void everyYearHasItsParameters();
    void comparison_data();
    void comparison();
    void refusedInput_data();
    void refusedInput();
};

void TestRealCosts::everyYearHasItsParameters()
{
    QCOMPARE(RealCostsYears(), KmYears());
    for (int year : RealCostsYears()) {
        const TRealCostsSet *set = FindRealCostsSet(year);
        QVERIFY(set && set->DeductionMin > 0 && set->DeductionMax > set->DeductionMin);
        QVERIFY(set->HomeMealValue > 0 && set->DeductionReference && set->HomeWorkReference);
        QCOMPARE(HasHomeWorkFlat(*set), year >= 2020 && year <= 2024);
        QCOMPARE(FindPublishedYear(year).RealCosts, set);
    }
}

void TestRealCosts::comparison_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<TRealCostsInput>("input");
    QTest::addColumn<long double>("deduction");
    QTest::addColumn<long double>("total");
    QTest::addColumn<long double>("income10");
    QTest::addColumn<long double>("incomeReal");
    QTest::addColumn<int>("choice"); // 0 actual costs, 1 the 10 %, 2 equal
    QTest::addColumn<QString>("working");

    QTest::newRow("pay below the minimum") << 2024 << pay(3000) << 504.0L << 0.0L << 2496.0L
                                           << 3000.0L << 1 << u"portée au minimum de 504"_s;
    QTest::newRow("pay below the minimum itself")
        << 2024 << pay(400) << 400.0L << 0.0L << 0.0L << 400.0L << 1 << u"limitée au salaire"_s;
    QTest::newRow("no pay") << 2024 << pay(0) << 0.0L << 0.0L << 0.0L << 0.0L << 2 << QString();
    QTest::newRow("at the minimum")
        << 2024 << pay(5040) << 504.0L << 0.0L << 4536.0L << 5040.0L << 1 << QString();
    QTest::newRow("at the maximum")
        << 2024 << pay(144260) << 14426.0L << 0.0L << 129834.0L << 144260.0L << 1 << QString();
    QTest::newRow("above the maximum") << 2024 << pay(200000) << 14426.0L << 0.0L << 185574.0L
                                       << 200000.0L << 1 << u"ramenée au maximum de 14"_s;
    QTest::newRow("2025 minimum of the revaluation rule")
        << 2025 << pay(3000) << 509.0L << 0.0L << 2491.0L << 3000.0L << 1 << QString();
    QTest::newRow("2025 maximum of the revaluation rule")
        << 2025 << pay(200000) << 14555.0L << 0.0L << 185445.0L << 200000.0L << 1 << QString();
    QTest::newRow("2012 minimum") << 2012 << pay(3000) << 421.0L << 0.0L << 2579.0L << 3000.0L << 1
                                  << QString();
    QTest::newRow("2018 maximum") << 2018 << pay(200000) << 12502.0L << 0.0L << 187498.0L
                                  << 200000.0L << 1 << QString();
    QTest::newRow("allowances added back make a tie")
        << 2023 << pay(30000, 4000, 1000) << 3000.0L << 4000.0L << 27000.0L << 27000.0L << 2
        << u"30 000,00 + 1 000,00 (allocations) − 4 000 = 27 000"_s;
    QTest::newRow("vehicle beats the 10 %")
        << 2025 << pay(30000, 4857) << 3000.0L << 4857.0L << 27000.0L << 25143.0L << 0 << QString();
    QTest::newRow("half a euro of costs declared as one")
        << 2024 << pay(30000, 3000.5L) << 3000.0L << 3000.5L << 27000.0L << 26999.0L << 0
        << QString();
    QTest::newRow("meals with receipts and vouchers")
        << 2024 << meals(200, true, 12.5L, 4) << 3000.0L << 630.0L << 27000.0L << 29370.0L << 1
        << u"200 × (12,50 − 5,35 − 4,00 (titre-restaurant)) = 3,15"_s;
    QTest::newRow("meals without receipts")
        << 2024 << meals(200, false, 0, 0) << 3000.0L << 1070.0L << 27000.0L << 28930.0L << 1
        << u"5,35 (sans justificatif)"_s;
    QTest::newRow("meal price below the value of a meal at home")
        << 2024 << meals(200, true, 5, 0) << 3000.0L << 0.0L << 27000.0L << 30000.0L << 1
        << u"prix inférieur à la valeur d'un repas pris au foyer"_s;
    QTest::newRow("voucher above the meal's cost")
        << 2024 << meals(200, true, 8, 5) << 3000.0L << 0.0L << 27000.0L << 30000.0L << 1
        << QString();
    QTest::newRow("2012 meals without receipts")
        << 2012 << meals(100, false, 0, 1) << 3000.0L << 345.0L << 27000.0L << 29655.0L << 1
        << QString();
    QTest::newRow("home working capped") << 2024 << homeWork(true, 250, 0) << 3000.0L << 626.4L
                                         << 27000.0L << 29374.0L << 1 << u"plafonné à 626,40"_s;
    QTest::newRow("home working below the cap")
        << 2023 << homeWork(true, 100, 0) << 3000.0L << 260.0L << 27000.0L << 29740.0L << 1
        << u"100 jours × 2,60"_s;
    QTest::newRow("home working 2020 capped at 550")
        << 2020 << homeWork(true, 230, 0) << 3000.0L << 550.0L << 27000.0L << 29450.0L << 1
        << QString();
    QTest::newRow("home working at its actual amount")
        << 2019 << homeWork(false, 0, 300) << 3000.0L << 300.0L << 27000.0L << 29700.0L << 1
        << u"montant réel : 300,00"_s;
}

void TestRealCosts::comparison()
{
    QFETCH(int, year);
    QFETCH(TRealCostsInput, input);
    QFETCH(long double, deduction);
    QFETCH(long double, total);
    QFETCH(long double, income10);
    QFETCH(long double, incomeReal);
    QFETCH(int, choice);
    QFETCH(QString, working);

    const TRealCostsSet &set = *FindRealCostsSet(year);
    QCOMPARE(CheckRealCostsInput(input, year, set), QString());
    const TRealCostsResult r = ComputeRealCosts(input, set);
    QCOMPARE(r.Deduction10, deduction);
    QCOMPARE(r.Total, total);
    QCOMPARE(r.Income10, income10);
    QCOMPARE(r.IncomeReal, incomeReal);
    QCOMPARE(int(r.Choice), choice);
    QCOMPARE(r.Gap, qAbs(income10 - incomeReal));
    QCOMPARE(r.Declared, RoundDecimals(total, 0));
    QString lines;
    for (const TRealCostsLine &line : RealCostsWorking(input, r, set))
        lines += line.Label + u": "_s + line.Text + u'\n';
    QVERIFY2(lines.replace(QChar(0x202F), u' ').replace(QChar(0x00A0), u' ').contains(working),
             qPrintable(lines));
    // The sentence and the box follow the choice.
    QCOMPARE(RealCostsVerdict(r).startsWith(u"Les frais réels réduisent"_s), choice == 0);
    QCOMPARE(RealCostsDeclaration(r).Label.contains(u"1AK"_s), choice == 0);
}

void TestRealCosts::refusedInput_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<TRealCostsInput>("input");
    QTest::addColumn<QString>("reason");

    QTest::newRow("negative pay") << 2024 << pay(-1) << u"Salaire net imposable négatif"_s;
    QTest::newRow("costs too large")
        << 2024 << pay(1000, 10'000'001) << u"Frais de véhicule trop grand"_s;
    QTest::newRow("meal price too large")
        << 2024 << meals(10, true, 1001, 0) << u"(1 000 € au plus)"_s;
    QTest::newRow("three meals a day")
        << 2025 << meals(731, false, 0, 0)
        << u"Nombre de repas hors limites : 731 (de 0 à 730 en 2025"_s;
    QTest::newRow("more home-working days than the year")
        << 2025 << homeWork(false, 366, 0)
        << u"Nombre de jours de télétravail hors limites : 366 (de 0 à 365 en 2025)"_s;
    QTest::newRow("flat home working before 2020")
        << 2019 << homeWork(true, 10, 0)
        << u"Pas de forfait de télétravail pour les revenus 2019"_s;
    TRealCostsInput rate = pay(30000);
    rate.MarginalRate = 14;
    QTest::newRow("a rate of another year") << 2024 << rate << u"(0, 11, 30, 41 ou 45 %)"_s;
}

void TestRealCosts::refusedInput()
{
    QFETCH(int, year);
    QFETCH(TRealCostsInput, input);
    QFETCH(QString, reason);
    const QString check = CheckRealCostsInput(input, year, *FindRealCostsSet(year));
    QVERIFY2(
        QString(check).replace(QChar(0x202F), u' ').replace(QChar(0x00A0), u' ').contains(reason),
        qPrintable(check));
}

QTEST_GUILESS_MAIN(TestRealCosts)
#include "tst_realcosts.moc"
