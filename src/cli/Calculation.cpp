// One calculation of the command-line calculator.
#include "Calculation.h"

#include "EntryFields.h"
#include "FuelScale.h"
#include "KmScale.h"
#include "NumberText.h"
#include "Report.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The number text cannot write out integer parts of more than 18 digits.
constexpr long double TooLarge = 1e18L;

// Accepts "." as well as the locale's decimal separator, then reads the text the way the
// entry fields do. Unreadable, negative and too large values are refused.
bool readInput(const QString &text, const QString &name, QString &normalized, QString &error)
{
    normalized = text;
    const QChar separator = DefaultNumberFormat().DecimalSeparator;
    if (separator != u'.')
        normalized.replace(u'.', separator);
    long double value = 0;
    if (!TryTextToNumber(normalized, value)) {
        error = u"Nombre illisible pour %1 : « %2 »"_s.arg(name, text);
        return false;
    }
    if (value < 0) {
        error = u"Nombre négatif pour %1 : %2"_s.arg(name, text);
        return false;
    }
    if (value >= TooLarge) {
        error = u"Valeur trop grande pour %1 : %2"_s.arg(name, text);
        return false;
    }
    return true;
}

bool checkChoices(const TCalcRequest &request, QString &error)
{
    if (request.Type == tcKmCost) {
        if (!IsKmYearOffered(request.Year)) {
            error = u"Année non proposée : %1 (barème kilométrique de %2)"_s.arg(
                QString::number(request.Year), YearRangeText(tcKmCost));
            return false;
        }
        if (!IsVehicleKindOffered(request.Kind, request.Year)) {
            error = u"Type de véhicule non proposé pour l'année %1 : %2 (de 0 à %3)"_s.arg(
                QString::number(request.Year), QString::number(request.Kind),
                QString::number(VehicleKindCount(request.Year) - 1));
            return false;
        }
        const TVehicleKind kind = TVehicleKind(request.Kind);
        const qsizetype powers = PowerCaptions(kind).size();
        if (powers > 0 && (request.Power < 0 || request.Power >= powers)) {
            error = u"Puissance hors limites : %1 (de 0 à %2 pour ce type de véhicule)"_s
                        .arg(request.Power)
                        .arg(powers - 1);
            return false;
        }
        return true;
    }
    if (!IsFuelYearOffered(request.Year)) {
        error = u"Année non proposée : %1 (barème carburant de %2)"_s.arg(
            QString::number(request.Year), YearRangeText(tcFuelCost));
        return false;
    }
    if (request.Kind != fvCar && request.Kind != fvTwoWheeler) {
        error = u"Type de véhicule non proposé : %1 (0 ou 1)"_s.arg(request.Kind);
        return false;
    }
    const qsizetype powers =
        FuelPowerCaptions(TFuelVehicleKind(request.Kind), request.Status).size();
    if (request.Power < 0 || request.Power >= powers) {
        error =
            u"Puissance hors limites : %1 (de 0 à %2 pour ce type de véhicule)"_s.arg(request.Power)
                .arg(powers - 1);
        return false;
    }
    if (request.Kind == fvCar && (request.Fuel < fkDiesel || request.Fuel > fkLpg)) {
        error = u"Carburant hors limites : %1 (de 0 à 2)"_s.arg(request.Fuel);
        return false;
    }
    return true;
}

// The annual distance as the page gets it: typed, or written into the field from days.
bool readDistance(const TCalcRequest &request, const TInputNames &names, long double &distance,
                  TCalcResult &fields, QString &error)
{
    if (!request.ByDays) {
        if (!readInput(request.Distance, names.Distance, fields.AnnualText, error))
            return false;
        distance = DistanceFromText(fields.AnnualText);
        return true;
    }
    QString &perDayText = fields.PerDayText;
    QString &daysText = fields.DaysText;
    if (!readInput(request.PerDay, names.PerDay, perDayText, error) ||
        !readInput(request.Days, names.Days, daysText, error))
        return false;
    if (TextToNumber(daysText) > 2147483647.0L) {
        error = u"Valeur trop grande pour %1 : %2"_s.arg(names.Days, request.Days);
        return false;
    }
    const long double product =
        DistanceFromDays(NumOfDaysFromText(daysText), DistanceByDayFromText(perDayText));
    if (product >= TooLarge) {
        error = u"Distance annuelle trop grande : %1 × %2"_s.arg(request.PerDay, request.Days);
        return false;
    }
    fields.AnnualText = DistanceText(product);
    distance = DistanceFromText(fields.AnnualText);
    return true;
}

void appendJsonString(QString &json, const QString &text)
{
    json += u'"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            json += u'\\';
            json += c;
        } else if (c.unicode() < 0x20) {
            json += u"\\u%1"_s.arg(c.unicode(), 4, 16, QChar(u'0'));
        } else {
            json += c;
        }
    }
    json += u'"';
}

} // namespace

bool ComputeRequest(const TCalcRequest &request, const TInputNames &names, TCalcResult &result,
                    QString &error)
{
    if (!checkChoices(request, error))
        return false;
    long double distance = 0;
    TCalcResult fields;
    if (!readDistance(request, names, distance, fields, error))
        return false;

    result = fields;
    result.Distance = distance;
    if (request.Type == tcKmCost) {
        TKmScale scale;
        BuildKmScale(scale, request.Year);
        const TVehicleKind kind = TVehicleKind(request.Kind);
        TKmCalcState last;
        result.ScaleRow = KmScaleRowIndex(kind, request.Power);
        result.Amount = ComputeKmCost(scale, kind, request.Year, request.Power, distance, last);
        result.Rate = last.Rate;
        result.Fixed = last.Fixed;
        result.Shown = KmAmountText(result.Amount);
    } else {
        TFuelScale scale;
        BuildFuelScale(scale, request.Year);
        const TFuelVehicleKind kind = TFuelVehicleKind(request.Kind);
        TFuelCalcState last;
        result.ScaleRow = FuelScaleRowIndex(kind, request.Power);
        result.Amount =
            ComputeFuelCost(scale, kind, request.Power, TFuelKind(request.Fuel), distance, last);
        result.Rate = last.Rate;
        result.Shown = FuelAmountText(result.Amount);
    }
    if (result.Amount >= TooLarge) {
        error = u"Montant trop grand pour être écrit : distance %1"_s.arg(
            NumberToSignificantText(distance, 18));
        return false;
    }
    return true;
}

TReport RequestReport(const TCalcRequest &request, const TCalcResult &result)
{
    const QString year = QString::number(request.Year);
    const int32_t days = NumOfDaysFromText(result.DaysText);
    const long double fromDays = DistanceFromDays(days, DistanceByDayFromText(result.PerDayText));
    if (request.Type == tcKmCost) {
        const TVehicleKind kind = TVehicleKind(request.Kind);
        const QStringList powers = PowerCaptions(kind);
        TKmReportInput input;
        input.Year = year;
        input.Kind = VehicleKindCaptions(request.Year).value(request.Kind);
        input.Power = powers.value(request.Power);
        input.PerDayText = result.PerDayText;
        input.DaysText = result.DaysText;
        input.AnnualText = result.AnnualText;
        input.ResultText = result.Shown;
        input.NumOfDays = days;
        input.DistanceFromDays = fromDays;
        input.Rate = result.Rate;
        input.Fixed = result.Fixed;
        input.Amount = result.Amount;
        return MakeKmReport(input);
    }
    const TFuelVehicleKind kind = TFuelVehicleKind(request.Kind);
    TFuelReportInput input;
    input.Year = year;
    input.Kind = FuelVehicleKindCaptions().value(request.Kind);
    input.Fuel = FuelKindCaptions().value(request.Fuel);
    input.FuelShown = kind == fvCar;
    input.Power = FuelPowerCaptions(kind, request.Status).value(request.Power);
    input.PerDayText = result.PerDayText;
    input.DaysText = result.DaysText;
    input.AnnualText = result.AnnualText;
    input.ResultText = result.Shown;
    input.NumOfDays = days;
    input.DistanceFromDays = fromDays;
    input.Rate = result.Rate;
    input.Amount = result.Amount;
    return MakeFuelReport(input);
}

QString JsonNumber(long double x)
{
    return NumberToSignificantText(x, 18);
}

QString ResultToJson(const TCalcRequest &request, const TCalcResult &result)
{
    QString json = u"{\"year\":%1,\"kind\":%2,\"power\":%3,\"scale_row\":%4,"_s.arg(
        QString::number(request.Year), QString::number(request.Kind),
        QString::number(request.Power), QString::number(result.ScaleRow));
    json += u"\"distance\":"_s + JsonNumber(result.Distance);
    json += u",\"rate\":"_s + JsonNumber(result.Rate);
    if (request.Type == tcKmCost)
        json += u",\"fixed\":"_s + JsonNumber(result.Fixed);
    json += u",\"amount\":"_s;
    appendJsonString(json, NumberToSignificantText(result.Amount, 20));
    json += u",\"shown\":"_s;
    appendJsonString(json, result.Shown);
    json += u'}';
    return json;
}
