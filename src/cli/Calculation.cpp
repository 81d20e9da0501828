// One calculation of the command-line calculator.
#include "Calculation.h"

#include "Csv.h"

#include "EntryFields.h"
#include "NumberEditRules.h"
#include "NumberText.h"
#include "Report.h"

#include <span>

using namespace Qt::Literals::StringLiterals;

namespace {

// The number text cannot write out integer parts of more than 18 digits.
constexpr long double TooLarge = 1e18L;

bool isGroupingBlank(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

bool sameWord(QStringView text, QStringView word)
{
    // Letter case folds one character into one: words of other lengths differ.
    const QStringView trimmed = TrimBlanks(text);
    return trimmed.size() == word.size() && trimmed.compare(word, Qt::CaseInsensitive) == 0;
}

// A number of the request: readable, not negative, and small enough to be written out once
// rounded as the page rounds it; `normalized` is the text as the window's field holds it, and
// `rounded` the value the page reads back from it.
bool readInput(const QString &text, const QString &name, int decimals, QString &normalized,
               long double &rounded, QString &error)
{
    long double value = 0;
    if (!ReadDistanceNumber(text, value, normalized)) {
        error = u"Nombre illisible pour %1 : « %2 »"_s.arg(name, QuotedInMessage(text));
        return false;
    }
    if (value < 0) {
        error = u"Nombre négatif pour %1 : %2"_s.arg(name, QuotedInMessage(text));
        return false;
    }
    rounded = RoundDecimals(value, decimals);
    if (rounded >= TooLarge) {
        error = u"Valeur trop grande pour %1 : %2"_s.arg(name, QuotedInMessage(text));
        return false;
    }
    return true;
}

// The rank of the power list for a power given in CV or in cm³; -1 with the reason when the
// list has no class for it.
int powerFromCvOrCc(const TCalcRequest &r, QString &error)
{
    const int cv = r.Cv;
    if (r.Type == tcKmCost || r.Kind == fvCar) {
        if (r.Cc >= 0) {
            error = u"La cylindrée ne sert qu'aux deux-roues du barème carburant"_s;
            return -1;
        }
        if (cv < 1) {
            error = u"Puissance en CV hors limites : %1 (1 au moins)"_s.arg(cv);
            return -1;
        }
        if (r.Type == tcFuelCost && r.Status == tsEmployee)
            return cv <= 4 ? 0 : 1; // "5 à 7 CV et +"
        if (r.Type == tcFuelCost)
            return cv <= 4 ? 0 : cv <= 7 ? 1 : cv <= 9 ? 2 : cv <= 11 ? 3 : 4;
        if (VehicleGroup(TVehicleKind(r.Kind)) == TVehicleGroup::Motorcycle)
            return cv <= 2 ? 0 : cv <= 5 ? 1 : 2;
        return cv <= 3 ? 0 : cv >= 7 ? 4 : cv - 3;
    }
    if (r.Cc >= 0 && cv >= 0) {
        error = u"Donnez la cylindrée ou la puissance en CV, pas les deux"_s;
        return -1;
    }
    if (r.Cc >= 0) {
        if (r.Cc < 1 || r.Cc > 125) {
            error = u"Cylindrée hors du barème : %1 cm³ (1 à 125 ; au-delà, la puissance se "
                    u"donne en CV)"_s.arg(r.Cc);
            return -1;
        }
        return r.Cc < 50 ? 0 : 1;
    }
    if (cv < 3) {
        error = u"Puissance en CV hors du barème des deux-roues : %1 (3 CV et plus ; jusqu'à "
                u"125 cm³, donnez la cylindrée)"_s.arg(cv);
        return -1;
    }
    return cv <= 5 ? 2 : 3;
}

// Turns the kind and the power into the ranks of the window's lists, then checks them.
bool checkChoices(TCalcRequest &request, const TPublishedYear &published, QString &error)
{
    const bool byClass = request.Cv >= 0 || request.Cc >= 0;
    if (byClass && request.PowerGiven) {
        error = u"La puissance se donne par son rang ou en CV (ou en cm³), pas les deux"_s;
        return false;
    }
    if (request.Type == tcKmCost) {
        if (!published.Km) {
            error = u"Année non proposée : %1 (barème kilométrique de %2)"_s.arg(
                QString::number(request.Year), YearRangeText(tcKmCost));
            return false;
        }
        if (request.Electric && request.Kind >= vkThermalCar && request.Kind <= vkThermalMoped)
            request.Kind += vkElectricCar;
        if (!IsVehicleKindOffered(request.Kind, published.Km)) {
            error = u"Type de véhicule non proposé pour l'année %1 : %2 (de 0 à %3)"_s.arg(
                QString::number(request.Year), QString::number(request.Kind),
                QString::number(VehicleKindCount(published.Km) - 1));
            return false;
        }
        const TVehicleKind kind = TVehicleKind(request.Kind);
        const qsizetype powers = PowerCaptions(kind).size();
        if (powers == 0 && (request.PowerGiven || byClass)) {
            error = u"Un cyclomoteur n'a pas de puissance administrative : ne la donnez pas"_s;
            return false;
        }
        if (byClass && (request.Power = powerFromCvOrCc(request, error)) < 0)
            return false;
        if (powers > 0 && (request.Power < 0 || request.Power >= powers)) {
            error = u"Puissance hors limites : %1 (de 0 à %2 pour ce type de véhicule)"_s
                        .arg(request.Power)
                        .arg(powers - 1);
            return false;
        }
        if (powers == 0)
            request.Power = 0;
        return true;
    }
    if (!published.Fuel) {
        error = u"Année non proposée : %1 (barème carburant de %2)"_s.arg(
            QString::number(request.Year), YearRangeText(tcFuelCost));
        return false;
    }
    if (request.Electric) {
        error = u"Le barème carburant ne connaît pas de véhicule électrique"_s;
        return false;
    }
    if (request.Kind != fvCar && request.Kind != fvTwoWheeler) {
        error = u"Type de véhicule non proposé : %1 (0 ou 1)"_s.arg(request.Kind);
        return false;
    }
    if (byClass && (request.Power = powerFromCvOrCc(request, error)) < 0)
        return false;
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
        return readInput(request.Distance, names.Distance, 0, fields.AnnualText, distance, error);
    }
    QString perDayText;
    long double perDay = 0;
    if (!readInput(request.PerDay, names.PerDay, 2, perDayText, perDay, error))
        return false;
    // The field keeps two decimals when it is left, as the page rewrites it.
    fields.PerDayText = ReformatNumberText(perDayText);
    int days = 0;
    if (!ReadWholeNumber(request.Days, days)) {
        error = u"Nombre de jours illisible pour %1 : « %2 » (un nombre entier est attendu)"_s.arg(
            names.Days, QuotedInMessage(request.Days));
        return false;
    }
    const int most = DaysInYear(request.Year);
    if (days > most) {
        error = u"Nombre de jours trop grand pour %1 : %2 (%3 au plus en %4)"_s.arg(
            names.Days, QString::number(days), QString::number(most),
            QString::number(request.Year));
        return false;
    }
    fields.DaysText = QString::number(days);
    const long double product = DistanceFromDays(days, DistanceByDayFromText(fields.PerDayText));
    if (product >= TooLarge) {
        error = u"Distance annuelle trop grande : %1 × %2"_s.arg(QuotedInMessage(request.PerDay),
                                                                 QuotedInMessage(request.Days));
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

bool ReadNumberInput(const QString &text, const QString &name, int decimals, long double &value,
                     QString &error)
{
    QString normalized;
    return readInput(text, name, decimals, normalized, value, error);
}

bool ReadWholeNumber(QStringView text, int &value)
{
    QStringView t = TrimBlanks(text);
    if (t.startsWith(u'+'))
        t = t.mid(1);
    if (t.isEmpty() || t.size() > 9)
        return false;
    int v = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c.unicode() - u'0');
    }
    value = v;
    return true;
}

bool ReadDistanceNumber(QStringView text, long double &value, QString &normalized)
{
    const QChar decimal = DefaultNumberFormat().DecimalSeparator;
    const QStringView trimmed = TrimBlanks(text);
    normalized.resize(trimmed.size());
    QChar *out = normalized.data();
    int separators = 0;
    for (QChar c : trimmed) {
        if (isGroupingBlank(c))
            continue;
        if (c == u'.' || c == u',') {
            ++separators;
            c = decimal;
        }
        *out++ = c;
    }
    normalized.truncate(out - normalized.constData());
    return separators <= 1 && !normalized.isEmpty() && TryTextToNumber(normalized, value);
}

bool ReadKind(TTypeCalc type, QStringView text, int &kind)
{
    static constexpr QStringView KmWords[] = {u"automobile", u"moto", u"cyclomoteur"};
    static constexpr QStringView FuelWords[] = {u"voiture", u"deux-roues"};
    const auto words = type == tcKmCost ? std::span<const QStringView>(KmWords)
                                        : std::span<const QStringView>(FuelWords);
    for (size_t i = 0; i < words.size(); ++i) {
        if (sameWord(text, words[i])) {
            kind = int(i);
            return true;
        }
    }
    return ReadWholeNumber(text, kind);
}

QString KindChoices(TTypeCalc type)
{
    return type == tcKmCost ? u"automobile, moto, cyclomoteur ou 0 à 5"_s
                            : u"voiture, deux-roues, 0 ou 1"_s;
}

QString FuelChoices()
{
    return u"gazole, sans-plomb, gpl ou 0 à 2"_s;
}

bool ReadFuel(QStringView text, int &fuel)
{
    static constexpr QStringView Words[] = {u"gazole", u"sans-plomb", u"gpl"};
    for (size_t i = 0; i < std::size(Words); ++i) {
        if (sameWord(text, Words[i])) {
            fuel = int(i);
            return true;
        }
    }
    return ReadWholeNumber(text, fuel);
}

bool ReadYesNo(QStringView text, bool &yes)
{
    static constexpr QStringView YesWords[] = {u"oui", u"1"};
    static constexpr QStringView NoWords[] = {u"non", u"0", u""};
    for (QStringView word : YesWords) {
        if (sameWord(text, word)) {
            yes = true;
            return true;
        }
    }
    for (QStringView word : NoWords) {
        if (sameWord(text, word)) {
            yes = false;
            return true;
        }
    }
    return false;
}

const TKmScale &TScaleCache::Km(const TPublishedYear &year)
{
    auto found = m_km.find(year.Year);
    if (found == m_km.end()) {
        found = m_km.emplace(year.Year, TKmScale{}).first;
        BuildKmScale(found->second, *year.Km);
    }
    return found->second;
}

const TFuelScale &TScaleCache::Fuel(const TPublishedYear &year)
{
    auto found = m_fuel.find(year.Year);
    if (found == m_fuel.end()) {
        found = m_fuel.emplace(year.Year, TFuelScale{}).first;
        BuildFuelScale(found->second, *year.Fuel);
    }
    return found->second;
}

bool ComputeRequest(TCalcRequest &request, const TInputNames &names, TCalcResult &result,
                    QString &error, TScaleCache *scales)
{
    return ComputeRequest(request, FindPublishedYear(request.Year), names, result, error, scales);
}

bool ComputeRequest(TCalcRequest &request, const TPublishedYear &published,
                    const TInputNames &names, TCalcResult &result, QString &error,
                    TScaleCache *scales)
{
    Q_ASSERT(published.Year == request.Year);
    if (!checkChoices(request, published, error))
        return false;
    long double distance = 0;
    TCalcResult fields;
    if (!readDistance(request, names, distance, fields, error))
        return false;

    result = std::move(fields);
    result.Distance = distance;
    TScaleCache local;
    TScaleCache &cache = scales ? *scales : local;
    if (request.Type == tcKmCost) {
        const TKmScale &scale = cache.Km(published);
        const TVehicleKind kind = TVehicleKind(request.Kind);
        TKmCalcState last;
        result.ScaleRow = KmScaleRowIndex(kind, request.Power);
        result.Amount = ComputeKmCost(scale, kind, published.Km, request.Power, distance, last);
        result.Rate = last.Rate;
        result.Fixed = last.Fixed;
        result.Shown = KmAmountText(result.Amount);
    } else {
        const TFuelScale &scale = cache.Fuel(published);
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
    return RequestReport(request, FindPublishedYear(request.Year), result);
}

TReport RequestReport(const TCalcRequest &request, const TPublishedYear &published,
                      const TCalcResult &result)
{
    const QString year = QString::number(request.Year);
    const int32_t days = NumOfDaysFromText(result.DaysText);
    const long double fromDays = DistanceFromDays(days, DistanceByDayFromText(result.PerDayText));
    if (request.Type == tcKmCost) {
        const TVehicleKind kind = TVehicleKind(request.Kind);
        const QStringList powers = PowerCaptions(kind);
        TKmReportInput input;
        input.Year = year;
        input.Kind = VehicleKindCaptions(published.Km).value(request.Kind);
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

QString JsonString(const QString &text)
{
    QString json;
    appendJsonString(json, text);
    return json;
}

QString ResultToJson(const TCalcRequest &request, const TCalcResult &result)
{
    // A moped has no power: null rather than a rank nobody gave.
    const bool powerless =
        request.Type == tcKmCost && PowerCaptions(TVehicleKind(request.Kind)).isEmpty();
    QString json = u"{\"year\":%1,\"kind\":%2,\"power\":%3,\"scale_row\":%4,"_s.arg(
        QString::number(request.Year), QString::number(request.Kind),
        powerless ? u"null"_s : QString::number(request.Power), QString::number(result.ScaleRow));
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
