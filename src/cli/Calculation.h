// One calculation of the command-line calculator: its request, its checks and its result.
#pragma once

#include "Classifications.h"
#include "FuelScale.h"
#include "KmScale.h"
#include "PublishedScales.h"
#include "UDeclar.h"

#include <QString>
#include <QStringView>

#include <map>

struct TCalcRequest
{
    TTypeCalc Type = tcKmCost;
    int Year = 0; // the options and the batch put the newest year of the scale when not given
    int Kind = -1;
    bool Electric = false; // the electric kind of the thermal kind given
    int Power = 0;         // rank in the window's list of powers
    bool PowerGiven = false;
    int Cv = -1; // fiscal horsepower, in place of the rank
    int Cc = -1; // cylinder capacity of a two-wheeler (fuel scale), in place of the rank
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

// How the inputs are named in messages ("--distance", "distance").
struct TInputNames
{
    QString Distance;
    QString PerDay;
    QString Days;
};

// The scales of the years met so far, each built once: a batch holds many rows of few years.
class TScaleCache
{
public:
    const TKmScale &Km(const TPublishedYear &year);
    const TFuelScale &Fuel(const TPublishedYear &year);

private:
    std::map<int, TKmScale> m_km;
    std::map<int, TFuelScale> m_fuel;
};

// Checks the request and computes it as the calculator page would. The kind and the power
// given in words, in CV or in cm³ become the ranks of the window's lists in `request`. On a
// bad request returns false with the French reason in `error`. The scales come from `scales`
// when given.
bool ComputeRequest(TCalcRequest &request, const TInputNames &names, TCalcResult &result,
                    QString &error, TScaleCache *scales = nullptr);
// The same with what is published for the request's year, looked up once by the caller.
bool ComputeRequest(TCalcRequest &request, const TPublishedYear &published,
                    const TInputNames &names, TCalcResult &result, QString &error,
                    TScaleCache *scales = nullptr);

// A number of the request as the window's field reads it: readable, not negative, and small
// enough to be written out once rounded to `decimals`; `name` names it in the messages.
bool ReadNumberInput(const QString &text, const QString &name, int decimals, long double &value,
                     QString &error);

// Whole numbers of the options and of the batch (year, kind, power, days...): blanks around,
// an optional '+', digits only.
bool ReadWholeNumber(QStringView text, int &value);
// Distances, read the same in every locale: ',' or '.' as the decimal separator (one at most),
// blanks (space, no-break spaces) as the only grouping. `normalized` is the text as the
// window's field would hold it.
bool ReadDistanceNumber(QStringView text, long double &value, QString &normalized);
// A vehicle kind in words ("automobile", "moto", "cyclomoteur"; "voiture", "deux-roues") or by
// its rank; a fuel in words ("gazole", "sans-plomb", "gpl") or by its rank.
bool ReadKind(TTypeCalc type, QStringView text, int &kind);
bool ReadFuel(QStringView text, int &fuel);
// What ReadKind and ReadFuel accept, as messages say it.
QString KindChoices(TTypeCalc type);
QString FuelChoices();
// The texts an electric flag takes in the batch: oui/non, 1/0, empty for non.
bool ReadYesNo(QStringView text, bool &yes);

// The detail report of a computed request, as the calculator page would print it.
struct TReport;
TReport RequestReport(const TCalcRequest &request, const TCalcResult &result);
TReport RequestReport(const TCalcRequest &request, const TPublishedYear &published,
                      const TCalcResult &result);

// The number text of scripts: `digits` significant digits, '.' as decimal separator.
QString JsonNumber(long double x);
// A text as a JSON string, quoted and escaped.
QString JsonString(const QString &text);
QString ResultToJson(const TCalcRequest &request, const TCalcResult &result);
