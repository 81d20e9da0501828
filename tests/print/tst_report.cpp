// The detail reports: their lines and where they land on a recorded page.
#include "FrenchLocale.h"
#include "Report.h"
#include "ReportExamples.h"

#include <QFontMetricsF>
#include <QTest>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(TReport)

namespace {

// A report text with French digit grouping: only the blanks between two digits are
// thousands separators.
QString frText(const QString &text)
{
    QString out = text;
    for (qsizetype i = 1; i + 1 < out.size(); ++i) {
        if (out.at(i) == u' ' && out.at(i - 1).isDigit() && out.at(i + 1).isDigit())
            out[i] = QChar(FrenchThousands);
    }
    return out;
}

// A mileage report on a distance typed for the year.
TKmReportInput kmForYear(const QString &annual, long double rate, long double fixed,
                         long double amount, const QString &result)
{
    TKmReportInput input = KmWorkedExample();
    input.PerDayText.clear();
    input.DaysText.clear();
    input.NumOfDays = 0;
    input.DistanceFromDays = 0;
    input.AnnualText = annual;
    input.Rate = rate;
    input.Fixed = fixed;
    input.Amount = amount;
    input.ResultText = result;
    return input;
}

TKmReportInput mopedWithoutPower()
{
    TKmReportInput input = kmForYear(Fr(u"3 000"_s), 0.315L, 0, 945, u"945"_s);
    input.Kind = u"Cyclomoteur thermique"_s;
    input.Power.clear();
    return input;
}

TFuelReportInput twoWheelerByDays()
{
    TFuelReportInput input;
    input.Year = u"2022"_s;
    input.Kind = u"Vélomoteurs, scooters et motocyclettes"_s;
    input.FuelShown = false;
    input.Power = u"Inférieure à 50 CC"_s;
    input.PerDayText = u"25,5"_s;
    input.DaysText = u"200"_s;
    input.AnnualText = Fr(u"5 100"_s);
    input.ResultText = u"163"_s;
    input.NumOfDays = 200;
    input.DistanceFromDays = 5100;
    input.Rate = 0.032L;
    input.Amount = 163.2L;
    return input;
}

QStringList labelsOf(const TReport &report)
{
    QStringList labels;
    for (const TReportLine &line : report.Details)
        labels << line.Label;
    return labels << report.Amount.Label;
}

QStringList valuesOf(const TReport &report)
{
    QStringList values;
    for (const TReportLine &line : report.Details)
        values << line.Value;
    return values << report.Amount.Value;
}

TRecordedPage recorded(const TReport &report, const TDeviceCaps &caps = VirtualA4Sheet())
{
    TRecordedPage page;
    {
        TRecordingTarget target(page, caps);
        DrawReport(target, report, true);
    }
    return page;
}

int cellHeight(const QFont &font)
{
    const QFontMetricsF metrics(font);
    return int(std::lround(metrics.ascent() + metrics.descent()));
}

int textWidth(const QFont &font, const QString &text)
{
    return int(std::lround(QFontMetricsF(font).horizontalAdvance(text)));
}

// A target that keeps, for each drawn text, the font size and weight it was drawn with.
class TFontLog : public TDrawTarget
{
public:
    const TDeviceCaps &Caps() const override { return m_caps; }
    void SetFont(const QString &, int size, bool bold) override
    {
        m_size = size;
        m_bold = bold;
    }
    void SetBold(bool bold) override { m_bold = bold; }
    int TextWidth(const QString &text) const override { return 40 * int(text.size()); }
    int TextHeight(const QString &) const override { return 111; }
    void TextOut(int, int, const QString &text) override
    {
        Drawn << u"%1 %2 %3"_s.arg(m_size).arg(m_bold ? u"bold"_s : u"regular"_s, text);
    }

    QStringList Drawn;

private:
    TDeviceCaps m_caps = VirtualA4Sheet();
    int m_size = 0;
    bool m_bold = false;
};

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }
    void reportLines_data();
    void reportLines();
    void titles_data();
    void titles();
    void drawnLayout_data();
    void drawnLayout();
    void smallSheetKeepsTheAmount();
    void fontsOfEachText_data();
    void fontsOfEachText();
};

void TestReport::reportLines_data()
{
    QTest::addColumn<TReport>("report");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("values");

    const QString kmAmountLabel = u"Montant des frais kilométriques pour l'année 2022 :   "_s;
    const QString fuelAmountLabel = u"Montant des frais de carburant pour l'année 2022 :   "_s;
    // The mileage labels with the lines of the distance per day.
    const QStringList kmLabelsByDays{u"Véhicule :   "_s,
                                     u"Puissance :   "_s,
                                     u"Distance parcourue par jour :   "_s,
                                     u"Nombre de jours travaillés :   "_s,
                                     u"Distance parcourue dans l'année :   "_s,
                                     u"Frais kilométriques :   "_s,
                                     kmAmountLabel};

    QTest::newRow("mileage worked example")
        << MakeKmReport(KmWorkedExample()) << kmLabelsByDays
        << QStringList{u"Automobile thermique"_s,
                       u"5 CV"_s,
                       u"30 Km"_s,
                       u"220 Jours"_s,
                       frText(u"30 x 220 = 6 600 Km"_s),
                       frText(u"6 600 x 0,357 + 1 395 = 3 751,20 Euros"_s),
                       frText(u"3 751 Euros"_s)};

    QTest::newRow("fuel worked example")
        << MakeFuelReport(FuelWorkedExample())
        << QStringList{u"Type de véhicule :   "_s,
                       u"Carburant :   "_s,
                       u"Puissance :   "_s,
                       u"Distance parcourue dans l'année :   "_s,
                       u"Frais forfaitaire de carburant :   "_s,
                       fuelAmountLabel}
        << QStringList{u"Voiture de tourisme"_s,
                       u"Gazole"_s,
                       u"5 à 7 CV"_s,
                       frText(u"10 000 Km"_s),
                       frText(u"10 000 x 0,126 = 1 260,00 Euros"_s),
                       frText(u"1 260 Euros"_s)};

    TKmReportInput oneDay = kmForYear(u"30"_s, 0.606L, 0, 18.18L, u"18"_s);
    oneDay.PerDayText = u"30"_s;
    oneDay.DaysText = u"1"_s;
    oneDay.NumOfDays = 1;
    oneDay.DistanceFromDays = 30;
    QTest::newRow("mileage for a single day")
        << MakeKmReport(oneDay) << kmLabelsByDays << QStringList{u"Automobile thermique"_s,
                                                                 u"5 CV"_s,
                                                                 u"30 Km"_s,
                                                                 u"1 Jour"_s,
                                                                 u"30 x 1 = 30 Km"_s,
                                                                 u"30 x 0,606 = 18,18 Euros"_s,
                                                                 u"18 Euros"_s};

    const QStringList kmByYearLabels{u"Véhicule :   "_s, u"Puissance :   "_s,
                                     u"Distance parcourue dans l'année :   "_s,
                                     u"Frais kilométriques :   "_s, kmAmountLabel};
    QTest::newRow("mileage of exactly one euro")
        << MakeKmReport(kmForYear(u"2"_s, 0.5L, 0, 1, u"1"_s)) << kmByYearLabels
        << QStringList{u"Automobile thermique"_s, u"5 CV"_s, u"2 Km"_s, u"2 x 0,500 = 1,00 Euro"_s,
                       u"1 Euro"_s};
    QTest::newRow("mileage just above one euro")
        << MakeKmReport(kmForYear(u"2"_s, 0.505L, 0, 1.01L, u"1"_s)) << kmByYearLabels
        << QStringList{u"Automobile thermique"_s, u"5 CV"_s, u"2 Km"_s, u"2 x 0,505 = 1,01 Euros"_s,
                       u"1 Euro"_s};
    QTest::newRow("mileage beyond the last band without fixed part")
        << MakeKmReport(kmForYear(Fr(u"25 000"_s), 0.427L, 0, 10675, Fr(u"10 675"_s)))
        << kmByYearLabels
        << QStringList{u"Automobile thermique"_s, u"5 CV"_s, frText(u"25 000 Km"_s),
                       frText(u"25 000 x 0,427 = 10 675,00 Euros"_s), frText(u"10 675 Euros"_s)};
    QTest::newRow("moped keeps an empty power line")
        << MakeKmReport(mopedWithoutPower()) << kmByYearLabels
        << QStringList{u"Cyclomoteur thermique"_s, QString(), frText(u"3 000 Km"_s),
                       frText(u"3 000 x 0,315 = 945,00 Euros"_s), u"945 Euros"_s};

    QTest::newRow("two-wheeler fuel by days has no fuel line")
        << MakeFuelReport(twoWheelerByDays())
        << QStringList{u"Type de véhicule :   "_s,
                       u"Puissance :   "_s,
                       u"Distance parcourue par jour :   "_s,
                       u"Nombre de jours travaillés :   "_s,
                       u"Distance parcourue dans l'année :   "_s,
                       u"Frais forfaitaire de carburant :   "_s,
                       fuelAmountLabel}
        << QStringList{u"Vélomoteurs, scooters et motocyclettes"_s,
                       u"Inférieure à 50 CC"_s,
                       u"25,5 Km"_s,
                       u"200 Jours"_s,
                       frText(u"25,5 x 200 = 5 100 Km"_s),
                       frText(u"5 100 x 0,032 = 163,20 Euros"_s),
                       u"163 Euros"_s};
}

void TestReport::reportLines()
{
    QFETCH(TReport, report);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, values);

    QCOMPARE(labelsOf(report), labels);
    QCOMPARE(valuesOf(report), values);
}

void TestReport::titles_data()
{
    QTest::addColumn<TReport>("report");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("jobTitle");
    QTest::addColumn<QString>("documentName");

    QTest::newRow("mileage") << MakeKmReport(KmWorkedExample())
                             << u"Détail des frais kilométriques"_s
                             << u"Impression Frais Kilométriques"_s
                             << u"Détail des frais kilométriques 2022"_s;
    QTest::newRow("fuel") << MakeFuelReport(FuelWorkedExample())
                          << u"Détail des frais forfaitaires de carburant"_s
                          << u"Impression Frais de carburant"_s
                          << u"Détail des frais forfaitaires de carburant 2022"_s;
}

void TestReport::titles()
{
    QFETCH(TReport, report);
    QFETCH(QString, title);
    QFETCH(QString, jobTitle);
    QFETCH(QString, documentName);

    QCOMPARE(report.Title, title);
    QCOMPARE(report.JobTitle, jobTitle);
    const TTypeCalc type =
        report.Title == u"Détail des frais kilométriques"_s ? tcKmCost : tcFuelCost;
    QCOMPARE(ReportJobTitle(type), jobTitle);
    QCOMPARE(ReportDocumentName(type, u"2022"_s), documentName);
    QCOMPARE(ReportDocumentName(type, QString()), title);
}

void TestReport::drawnLayout_data()
{
    QTest::addColumn<TReport>("report");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("bottomsMm");

    // Title at 28 mm, the first line at 45 mm, then the label's 5 mm and a 5 mm gap per line,
    // a 10 mm gap after the allowance line.
    const QString kmAmountLabel = u"Montant des frais kilométriques pour l'année 2022 :   "_s;
    QTest::newRow("mileage worked example")
        << MakeKmReport(KmWorkedExample())
        << QStringList{u"Détail des frais kilométriques"_s,
                       u"Véhicule :   "_s,
                       u"Automobile thermique"_s,
                       u"Puissance :   "_s,
                       u"5 CV"_s,
                       u"Distance parcourue par jour :   "_s,
                       u"30 Km"_s,
                       u"Nombre de jours travaillés :   "_s,
                       u"220 Jours"_s,
                       u"Distance parcourue dans l'année :   "_s,
                       frText(u"30 x 220 = 6 600 Km"_s),
                       u"Frais kilométriques :   "_s,
                       frText(u"6 600 x 0,357 + 1 395 = 3 751,20 Euros"_s),
                       kmAmountLabel,
                       frText(u"3 751 Euros"_s)}
        << QList<int>{28, 45, 45, 55, 55, 65, 65, 75, 75, 85, 85, 95, 95, 110, 110};

    // Without days the per-day lines are left out and the rest moves up; the moped's
    // empty power draws its label only.
    QTest::newRow("moped by year without power")
        << MakeKmReport(mopedWithoutPower())
        << QStringList{u"Détail des frais kilométriques"_s,
                       u"Véhicule :   "_s,
                       u"Cyclomoteur thermique"_s,
                       u"Puissance :   "_s,
                       u"Distance parcourue dans l'année :   "_s,
                       frText(u"3 000 Km"_s),
                       u"Frais kilométriques :   "_s,
                       frText(u"3 000 x 0,315 = 945,00 Euros"_s),
                       kmAmountLabel,
                       u"945 Euros"_s}
        << QList<int>{28, 45, 45, 55, 65, 65, 75, 75, 90, 90};

    QTest::newRow("fuel worked example")
        << MakeFuelReport(FuelWorkedExample())
        << QStringList{u"Détail des frais forfaitaires de carburant"_s,
                       u"Type de véhicule :   "_s,
                       u"Voiture de tourisme"_s,
                       u"Carburant :   "_s,
                       u"Gazole"_s,
                       u"Puissance :   "_s,
                       u"5 à 7 CV"_s,
                       u"Distance parcourue dans l'année :   "_s,
                       frText(u"10 000 Km"_s),
                       u"Frais forfaitaire de carburant :   "_s,
                       frText(u"10 000 x 0,126 = 1 260,00 Euros"_s),
                       u"Montant des frais de carburant pour l'année 2022 :   "_s,
                       frText(u"1 260 Euros"_s)}
        << QList<int>{28, 45, 45, 55, 55, 65, 65, 75, 75, 85, 85, 100, 100};

    QTest::newRow("two-wheeler fuel by days")
        << MakeFuelReport(twoWheelerByDays())
        << QStringList{u"Détail des frais forfaitaires de carburant"_s,
                       u"Type de véhicule :   "_s,
                       u"Vélomoteurs, scooters et motocyclettes"_s,
                       u"Puissance :   "_s,
                       u"Inférieure à 50 CC"_s,
                       u"Distance parcourue par jour :   "_s,
                       u"25,5 Km"_s,
                       u"Nombre de jours travaillés :   "_s,
                       u"200 Jours"_s,
                       u"Distance parcourue dans l'année :   "_s,
                       frText(u"25,5 x 200 = 5 100 Km"_s),
                       u"Frais forfaitaire de carburant :   "_s,
                       frText(u"5 100 x 0,032 = 163,20 Euros"_s),
                       u"Montant des frais de carburant pour l'année 2022 :   "_s,
                       u"163 Euros"_s}
        << QList<int>{28, 45, 45, 55, 55, 65, 65, 75, 75, 85, 85, 95, 95, 110, 110};
}

void TestReport::drawnLayout()
{
    QFETCH(TReport, report);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, bottomsMm);

    const TRecordedPage page = recorded(report);
    const TDeviceCaps &caps = page.Caps();
    const QList<TTextOp> &ops = page.Operations();
    QStringList drawn;
    for (const TTextOp &op : ops)
        drawn << op.Text;
    QCOMPARE(drawn, texts);

    const int left = int(MmToDevX(caps, 22));
    for (qsizetype i = 0; i < ops.size(); ++i) {
        const TTextOp &op = ops.at(i);
        const QString where =
            u"%1 at (%2, %3)"_s.arg(op.Text).arg(op.Position.x()).arg(op.Position.y());
        QVERIFY2(op.Position.y() + cellHeight(op.Font) == MmToDevY(caps, bottomsMm.at(i)),
                 qPrintable(where));
        int x = left;
        if (i == 0) {
            x = (caps.Printable.width() - textWidth(op.Font, op.Text)) / 2;
        } else if (!op.Text.endsWith(u"   "_s)) {
            // A value starts on the whole millimetre after its label.
            const TTextOp &label = ops.at(i - 1);
            x = int(MmToDevX(caps, 22 + DevToMmX(caps, textWidth(label.Font, label.Text))));
        }
        QVERIFY2(op.Position.x() == x, qPrintable(where + u", expected x %1"_s.arg(x)));
    }

    // The amount: its label regular 10 pt, its value bold 12 pt (cells of 111 and 133 dots,
    // give or take the dot a whole pixel size of the font may cost).
    const TTextOp &amountLabel = ops.at(ops.size() - 2);
    const TTextOp &amountValue = ops.last();
    QVERIFY(!amountLabel.Font.bold());
    QVERIFY(amountValue.Font.bold());
    QVERIFY(qAbs(cellHeight(amountLabel.Font) - 111) <= 1);
    QVERIFY(qAbs(cellHeight(amountValue.Font) - 133) <= 1);
}

// On A5, narrower than the report, the whole report shrinks: every text, the amount included,
// lies within the printable area, in the same order and proportions.
void TestReport::smallSheetKeepsTheAmount()
{
    TDeviceCaps a5;
    a5.HorzSizeMm = 136;
    a5.VertSizeMm = 198;
    a5.LogPixelsX = a5.LogPixelsY = 600;
    a5.PhysicalWidth = 3496;
    a5.PhysicalHeight = 4961;
    a5.Printable = QRect(142, 142, 3212, 4677);
    const TReport report = MakeKmReport(KmWorkedExample());
    const TRecordedPage small = recorded(report, a5);
    const TRecordedPage a4 = recorded(report);
    QCOMPARE(small.Caps().Printable, a5.Printable);
    QCOMPARE(small.Operations().size(), a4.Operations().size());
    for (qsizetype i = 0; i < small.Operations().size(); ++i) {
        const TTextOp &op = small.Operations().at(i);
        QCOMPARE(op.Text, a4.Operations().at(i).Text);
        const int right = op.Position.x() + textWidth(op.Font, op.Text);
        QVERIFY2(op.Position.x() >= 0 && right <= a5.Printable.width(),
                 qPrintable(u"%1 ends at %2"_s.arg(op.Text).arg(right)));
        QVERIFY(op.Position.y() + cellHeight(op.Font) <= a5.Printable.height());
        QVERIFY(op.Font.pixelSize() < a4.Operations().at(i).Font.pixelSize());
    }
    QCOMPARE(small.Operations().last().Text, Fr(u"3 751"_s) + u" Euros"_s);
}

void TestReport::fontsOfEachText_data()
{
    QTest::addColumn<bool>("recordedPage");
    QTest::addColumn<QStringList>("drawn");

    // Sizes as PrinterFontSize gives them: points on the printer, cell sizes when recorded.
    QTest::newRow("printer") << false
                             << QStringList{u"12 bold Détail des frais kilométriques"_s,
                                            u"10 bold Véhicule :   "_s,
                                            u"10 regular Cyclomoteur thermique"_s,
                                            u"10 bold Puissance :   "_s,
                                            u"10 bold Distance parcourue dans l'année :   "_s,
                                            frText(u"10 regular 3 000 Km"_s),
                                            u"10 bold Frais kilométriques :   "_s,
                                            frText(u"10 regular 3 000 x 0,315 = 945,00 Euros"_s),
                                            u"10 regular Montant des frais kilométriques pour "
                                            u"l'année 2022 :   "_s,
                                            u"12 bold 945 Euros"_s};
    QTest::newRow("recorded page")
        << true
        << QStringList{u"-100 bold Détail des frais kilométriques"_s,
                       u"-83 bold Véhicule :   "_s,
                       u"-83 regular Cyclomoteur thermique"_s,
                       u"-83 bold Puissance :   "_s,
                       u"-83 bold Distance parcourue dans l'année :   "_s,
                       frText(u"-83 regular 3 000 Km"_s),
                       u"-83 bold Frais kilométriques :   "_s,
                       frText(u"-83 regular 3 000 x 0,315 = 945,00 Euros"_s),
                       u"-83 regular Montant des frais kilométriques pour l'année 2022 :   "_s,
                       u"-100 bold 945 Euros"_s};
}

void TestReport::fontsOfEachText()
{
    QFETCH(bool, recordedPage);
    QFETCH(QStringList, drawn);

    TFontLog target;
    DrawReport(target, MakeKmReport(mopedWithoutPower()), recordedPage);
    QCOMPARE(target.Drawn, drawn);
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
