// The detail report of a calculation: its lines, made from plain values, and its drawing.
#include "Report.h"

#include "EntryFields.h"
#include "KmScale.h"
#include "NumberText.h"

#include <QCursor>
#include <QGuiApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TitleY = 28;
constexpr int LeftEdge = 22;
constexpr int FirstLineY = 45;
constexpr int LineGap = 5;
constexpr int AllowanceGap = 10;

const QString FontFamily = u"Arial"_s;

// "Euro", or "Euros" above one.
QString euros(long double amount)
{
    return amount > 1 ? u" Euros"_s : u" Euro"_s;
}

QString days(const QString &typed, int32_t count)
{
    return typed + (count > 1 ? u" Jours"_s : u" Jour"_s);
}

// The lines the two reports share: distance per day, days and the annual distance.
void addDistanceLines(QList<TReportLine> &lines, const QString &perDayText, const QString &daysText,
                      const QString &annualText, int32_t numOfDays, long double fromDays)
{
    const QString perDay = NormalizeNumberText(perDayText);
    const QString annual = NormalizeNumberText(annualText);
    const bool byDays = fromDays != 0;
    if (byDays) {
        lines.append({u"Distance parcourue par jour :   "_s, perDay + u" Km"_s});
        lines.append({u"Nombre de jours travaillés :   "_s, days(daysText, numOfDays)});
    }
    QString distance = byDays ? perDay + u" x "_s + daysText + u" = "_s : QString();
    lines.append({u"Distance parcourue dans l'année :   "_s, distance + annual + u" Km"_s});
}

TReportLine amountLine(const QString &what, const QString &year, const QString &result)
{
    return {u"Montant des frais %1 pour l'année "_s.arg(what) + year + u" :   "_s,
            result + euros(TextToNumber(result))};
}

} // namespace

QString ReportJobTitle(TTypeCalc typeCalc)
{
    switch (typeCalc) {
    case tcKmCost:
        return u"Impression Frais Kilométriques"_s;
    case tcFuelCost:
        return u"Impression Frais de carburant"_s;
    case tcRealCosts:
        break;
    }
    return u"Impression Frais réels"_s;
}

QString ReportDocumentName(TTypeCalc typeCalc, const QString &year)
{
    const QString title = typeCalc == tcKmCost     ? u"Détail des frais kilométriques"_s
                          : typeCalc == tcFuelCost ? u"Détail des frais forfaitaires de carburant"_s
                                                   : u"Frais réels ou déduction de 10 %"_s;
    if (year.isEmpty())
        return title;
    return typeCalc == tcRealCosts ? title + u" : revenus "_s + year : title + u' ' + year;
}

TReport MakeKmReport(const TKmReportInput &input)
{
    TReport report;
    report.Title = u"Détail des frais kilométriques"_s;
    report.JobTitle = ReportJobTitle(tcKmCost);
    report.Details.append({u"Véhicule :   "_s, input.Kind});
    report.Details.append({u"Puissance :   "_s, input.Power});
    addDistanceLines(report.Details, input.PerDayText, input.DaysText, input.AnnualText,
                     input.NumOfDays, input.DistanceFromDays);
    QString allowance =
        NormalizeNumberText(input.AnnualText) + u" x "_s + NumberToText(input.Rate, 3);
    if (input.Fixed > 0)
        allowance += u" + "_s + NumberToText(input.Fixed, 0);
    allowance += u" = "_s + NumberToText(input.Amount, 2) + euros(input.Amount);
    report.Details.append({u"Frais kilométriques :   "_s, allowance});
    report.Amount = amountLine(u"kilométriques"_s, input.Year, input.ResultText);
    if (DistanceByDayFromText(input.PerDayText) > LongCommutePerDay)
        report.Notes << LongCommuteNote();
    return report;
}

TReport MakeFuelReport(const TFuelReportInput &input)
{
    TReport report;
    report.Title = u"Détail des frais forfaitaires de carburant"_s;
    report.JobTitle = ReportJobTitle(tcFuelCost);
    report.Details.append({u"Type de véhicule :   "_s, input.Kind});
    if (input.FuelShown)
        report.Details.append({u"Carburant :   "_s, input.Fuel});
    report.Details.append({u"Puissance :   "_s, input.Power});
    addDistanceLines(report.Details, input.PerDayText, input.DaysText, input.AnnualText,
                     input.NumOfDays, input.DistanceFromDays);
    report.Details.append({u"Frais forfaitaire de carburant :   "_s,
                           NormalizeNumberText(input.AnnualText) + u" x "_s +
                               NumberToText(input.Rate, 3) + u" = "_s +
                               NumberToText(input.Amount, 2) + euros(input.Amount)});
    report.Amount = amountLine(u"de carburant"_s, input.Year, input.ResultText);
    return report;
}

TReport MakeRealCostsReport(int year, const TRealCostsInput &input, const TRealCostsResult &result,
                            const TRealCostsSet &set)
{
    TReport report;
    report.Title = ReportDocumentName(tcRealCosts, QString::number(year));
    report.JobTitle = ReportJobTitle(tcRealCosts);
    const auto add = [&report](const TRealCostsLine &line) {
        report.Details.append({line.Label + u" :   "_s, line.Text});
    };
    for (const TRealCostsLine &line : RealCostsWorking(input, result, set))
        add(line);
    add({u"Conclusion"_s, RealCostsVerdict(result)});
    for (const TRealCostsLine &line : RealCostsParameters(year, set))
        add(line);
    const TRealCostsLine declaration = RealCostsDeclaration(result);
    report.Amount = {declaration.Label + u" :   "_s, declaration.Text};
    return report;
}

TWaitPointer::TWaitPointer()
    : m_set(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
{
    if (m_set)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitPointer::~TWaitPointer()
{
    if (m_set)
        QGuiApplication::restoreOverrideCursor();
}

namespace {

// How much the report must shrink to fit the sheet's width, with a right margin as wide as the
// left one: 1 when it fits, as on A4 and Letter.
double reportScale(TDrawTarget &target, const TReport &report, bool recorded)
{
    const TDeviceCaps &caps = target.Caps();
    const auto mm = [&caps](int width) { return int(DevToMmX(caps, width)); };
    target.SetFont(FontFamily, PrinterFontSize(12, recorded, caps), true);
    int64_t widest = target.TextWidth(report.Title) + MmToDevX(caps, 2 * LeftEdge);
    target.SetFont(FontFamily, PrinterFontSize(10, recorded, caps), false);
    for (const TReportLine &line : report.Details) {
        target.SetBold(true);
        const int label = mm(target.TextWidth(line.Label));
        target.SetBold(false);
        widest =
            std::max(widest, MmToDevX(caps, 2 * LeftEdge + label) + target.TextWidth(line.Value));
    }
    const int amountLabel = mm(target.TextWidth(report.Amount.Label));
    target.SetFont(FontFamily, PrinterFontSize(12, recorded, caps), true);
    widest = std::max(widest, MmToDevX(caps, 2 * LeftEdge + amountLabel) +
                                  target.TextWidth(report.Amount.Value));
    const int room = caps.Printable.width();
    return widest > room && room > 0 ? double(room) / double(widest) : 1.0;
}

} // namespace

void DrawReport(TDrawTarget &target, const TReport &report, bool recorded)
{
    const TWaitPointer wait; // also restored when drawing fails

    // On a sheet narrower than the report (A5 and smaller), the report shrinks as a whole.
    const double scale = reportScale(target, report, recorded);
    if (scale < 1)
        target.SetDrawScale(scale);
    const TDeviceCaps &caps = target.Caps();
    target.SetFont(FontFamily, PrinterFontSize(12, recorded, caps), true);
    TextOutMm(target, 0, caps.HorzSizeMm, TitleY, report.Title, alCenter);

    target.SetFont(FontFamily, PrinterFontSize(10, recorded, caps), false);
    int y = FirstLineY;
    for (qsizetype i = 0; i < report.Details.size(); ++i) {
        const TReportLine &line = report.Details.at(i);
        target.SetBold(true);
        TextOutMm(target, LeftEdge, 0, y, line.Label, alLeft);
        const int labelHeight = int(DevToMmY(caps, target.TextHeight(line.Label)));
        const int labelWidth = int(DevToMmX(caps, target.TextWidth(line.Label)));
        target.SetBold(false);
        TextOutMm(target, LeftEdge + labelWidth, 0, y, line.Value, alLeft);
        const bool allowance = i == report.Details.size() - 1;
        y += labelHeight + (allowance ? AllowanceGap : LineGap);
    }

    target.SetFont(FontFamily, PrinterFontSize(10, recorded, caps), false);
    TextOutMm(target, LeftEdge, 0, y, report.Amount.Label, alLeft);
    const int amountLabelWidth = int(DevToMmX(caps, target.TextWidth(report.Amount.Label)));
    target.SetFont(FontFamily, PrinterFontSize(12, recorded, caps), true);
    TextOutMm(target, LeftEdge + amountLabelWidth, 0, y, report.Amount.Value, alLeft);

    // The notes, word by word into lines as wide as the sheet allows.
    target.SetFont(FontFamily, PrinterFontSize(9, recorded, caps), false);
    const int64_t room = MmToDevX(caps, caps.HorzSizeMm - 2 * LeftEdge);
    for (const QString &note : report.Notes) {
        y += AllowanceGap;
        QString line;
        for (const QString &word : note.split(u' ')) {
            const QString longer = line.isEmpty() ? word : line + u' ' + word;
            if (!line.isEmpty() && target.TextWidth(longer) > room) {
                TextOutMm(target, LeftEdge, 0, y, line, alLeft);
                y += int(DevToMmY(caps, target.TextHeight(line))) + 1;
                line = word;
            } else {
                line = longer;
            }
        }
        TextOutMm(target, LeftEdge, 0, y, line, alLeft);
    }
}
