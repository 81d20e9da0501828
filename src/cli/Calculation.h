// One calculation of the command-line calculator: its request, its checks and its result.
#pragma once

#include "Classifications.h"
#include "UDeclar.h"

#include <QString>

struct TCalcRequest
{
    TTypeCalc Type = tcKmCost;
    int Year = 0; // the options and the batch put the newest year of the scale when not given
    int Kind = -1;
    int Power = 0;
    int Fuel = 0;
    TTaxpayerStatus Status = tsProfessional;
    bool ByDays = false;
    QString Distance; // the annual distance, or
    QString PerDay;   // the distance per day
    QString Days;     // and the number of days
};

struct TCalcResult
{
    int ScaleRow = -1;
    long double Distance = 0;
    long double Rate = 0;
    long double Fixed = 0;
    long double Amount = 0;
    QString Shown; // the amount as the calculator page shows it
    // The entry fields as the page would hold them.
    QString PerDayText;
    QString DaysText;
    QString AnnualText;
};

// Checks the request and computes it as the calculator page would. On a bad request returns
// false with the French reason in `error`. `distanceName` and its kin name the inputs in
// messages ("--distance", "distance").
struct TInputNames
{
    QString Distance;
    QString PerDay;
    QString Days;
};
bool ComputeRequest(const TCalcRequest &request, const TInputNames &names, TCalcResult &result,
                    QString &error);

// The detail report of a computed request, as the calculator page would print it.
struct TReport;
TReport RequestReport(const TCalcRequest &request, const TCalcResult &result);

// The number text of scripts: `digits` significant digits, '.' as decimal separator.
QString JsonNumber(long double x);
QString ResultToJson(const TCalcRequest &request, const TCalcResult &result);
