// The detail report of a calculation: its lines, made from plain values, and its drawing.
#pragma once

#include "PageModel.h"
#include "RealCosts.h"
#include "UDeclar.h"

#include <QList>
#include <QString>

#include <cstdint>

// What the mileage report prints, as the page shows it after the calculation.
struct TKmReportInput
{
    QString Year;       // text of the year list
    QString Kind;       // caption of the vehicle kind
    QString Power;      // caption of the power class, empty for mopeds
    QString PerDayText; // the distance per day as typed
    QString DaysText;   // the number of days as typed
    QString AnnualText; // the annual distance as it stands in its field
    QString ResultText; // the amount shown
    int32_t NumOfDays = 0;
    long double DistanceFromDays = 0;
    long double Rate = 0;
    long double Fixed = 0;
    long double Amount = 0;
};

struct TFuelReportInput
{
    QString Year;
    QString Kind;
    QString Fuel;
    bool FuelShown = true; // the fuel only applies to cars
    QString Power;
    QString PerDayText;
    QString DaysText;
    QString AnnualText;
    QString ResultText;
    int32_t NumOfDays = 0;
    long double DistanceFromDays = 0;
    long double Rate = 0;
    long double Amount = 0;
};

struct TReportLine
{
    QString Label; // ends with three blanks
    QString Value;
};

struct TReport
{
    QString Title;
    QString JobTitle;           // the print job's name
    QList<TReportLine> Details; // the last one is the allowance line
    TReportLine Amount;
    QStringList Notes; // remarks under the amount, wrapped to the sheet's width
};

TReport MakeKmReport(const TKmReportInput &input);
TReport MakeFuelReport(const TFuelReportInput &input);
// The comparison of actual costs with the 10 % deduction, as the list of costs a taxpayer keeps:
// each line with its working, the verdict, the year's parameters, and what to declare.
TReport MakeRealCostsReport(int year, const TRealCostsInput &input, const TRealCostsResult &result,
                            const TRealCostsSet &set);

// The job title and the report's title with its year, as documents are named.
QString ReportJobTitle(TTypeCalc typeCalc);
QString ReportDocumentName(TTypeCalc typeCalc, const QString &year);

// The hourglass while it lives, when the program has a screen; the previous pointer afterwards.
class TWaitPointer
{
public:
    TWaitPointer();
    ~TWaitPointer();
    TWaitPointer(const TWaitPointer &) = delete;
    TWaitPointer &operator=(const TWaitPointer &) = delete;

private:
    bool m_set = false;
};

// Draws the one-page report; `recorded` when the target is a recorded page.
void DrawReport(TDrawTarget &target, const TReport &report, bool recorded);
