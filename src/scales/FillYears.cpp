// Build tool: copies a text file with the income years of the published scales in place of
// its {{MARKERS}}, so that the home page, the manual pages and the shell completion offer
// exactly the years the calculator serves.
#include "Classifications.h"
#include "PublishedScales.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

QString yearList(const QList<int> &years)
{
    QStringList words;
    for (int year : years)
        words << QString::number(year);
    return words.join(u' ');
}

QHash<QString, QString> markers()
{
    return {
        {u"KM_YEARS"_s, YearRangeText(tcKmCost)},
        {u"FUEL_YEARS"_s, YearRangeText(tcFuelCost)},
        {u"KM_YEAR_LIST"_s, yearList(KmYears())},
        {u"FUEL_YEAR_LIST"_s, yearList(FuelYears())},
        {u"KM_NEWEST"_s, QString::number(NewestYear(tcKmCost))},
        {u"FUEL_NEWEST"_s, QString::number(NewestYear(tcFuelCost))},
        {u"RC_YEARS"_s, YearRangeText(tcRealCosts)},
        {u"RC_YEAR_LIST"_s, yearList(RealCostsYears())},
        {u"RC_NEWEST"_s, QString::number(NewestYear(tcRealCosts))},
        {u"FIRST_ELECTRIC_YEAR"_s, QString::number(FirstElectricKindsYear())},
        {u"FIRST_MARKUP_YEAR"_s, QString::number(FirstElectricMarkupYear())},
    };
}

int fail(const QString &message)
{
    std::fputs(qPrintable(u"vemora_fill_years : "_s + message + u'\n'), stderr);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return fail(u"usage : vemora_fill_years MODÈLE SORTIE"_s);
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly))
        return fail(input.fileName() + u" : "_s + input.errorString());
    const QString text = QString::fromUtf8(input.readAll());

    const QHash<QString, QString> values = markers();
    static const QRegularExpression marker(u"\\{\\{([A-Z_]+)\\}\\}"_s);
    QString filled;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &match : marker.globalMatch(text)) {
        const auto value = values.constFind(match.captured(1));
        if (value == values.constEnd())
            return fail(u"marqueur inconnu dans %1 : %2"_s.arg(input.fileName(), match.captured()));
        filled += QStringView(text).mid(done, match.capturedStart() - done);
        filled += *value;
        done = match.capturedEnd();
    }
    filled += QStringView(text).mid(done);

    QFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        output.write(filled.toUtf8()) < 0 || !output.flush())
        return fail(output.fileName() + u" : "_s + output.errorString());
    return 0;
}
