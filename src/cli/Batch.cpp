// The batch file of vemora-calc.
#include "Batch.h"

#include "Calculation.h"
#include "NumberText.h"
#include "RealCostsBatch.h"

#include <QString>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

enum TColumn
{
    colCalcul,
    colAnnee,
    colType,
    colElectrique,
    colPuissance,
    colCv,
    colCc,
    colCarburant,
    colStatut,
    colDistance,
    ColumnCount
};
constexpr std::array<std::string_view, ColumnCount> ColumnNames{
    "calcul", "annee", "type",      "electrique", "puissance",
    "cv",     "cc",    "carburant", "statut",     "distance"};

// Output is gathered and handed on in large pieces; after a failed write nothing more goes.
class TBuffered
{
public:
    explicit TBuffered(const TSink &sink)
        : m_sink(sink)
    {
        m_buffer.reserve(Flush + 4096);
    }
    ~TBuffered() { flush(); }
    std::string &text() { return m_buffer; }
    void append(const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        m_buffer.append(bytes.constData(), size_t(bytes.size()));
    }
    // Hands the text on once enough has gathered; false once a write has failed.
    bool lineDone()
    {
        if (m_buffer.size() >= Flush)
            flush();
        return !m_failed;
    }
    bool flush()
    {
        if (!m_buffer.empty() && !m_failed && !m_sink(m_buffer))
            m_failed = true;
        m_buffer.clear();
        return !m_failed;
    }

private:
    static constexpr size_t Flush = 1 << 16;
    const TSink &m_sink;
    std::string m_buffer;
    bool m_failed = false;
};

// A field as text to read: a short ASCII field, the usual one, without an allocation.
class TFieldText
{
public:
    explicit TFieldText(std::string_view field)
    {
        if (field.size() <= std::size(m_ascii) &&
            std::all_of(field.begin(), field.end(), [](char c) { return c > 0; })) {
            std::copy(field.begin(), field.end(), m_ascii);
            m_view = QStringView(m_ascii, qsizetype(field.size()));
        } else {
            m_text = SafeText(field);
            m_view = m_text;
        }
    }
    TFieldText(const TFieldText &) = delete;
    TFieldText &operator=(const TFieldText &) = delete;
    QStringView View() const { return m_view; }

private:
    char16_t m_ascii[32];
    QString m_text;
    QStringView m_view;
};

bool isBlankRecord(const std::vector<std::string_view> &fields)
{
    for (std::string_view field : fields) {
        if (!TrimmedField(field).empty())
            return false;
    }
    return true;
}

// A whole number column; an empty field takes the default.
bool readWhole(std::string_view field, int defaultValue, int &value, const char16_t *name,
               QString &error)
{
    if (TrimmedField(field).empty()) {
        value = defaultValue;
        return true;
    }
    if (!ReadWholeNumber(TFieldText(field).View(), value)) {
        error = u"%1 illisible : « %2 »"_s.arg(QString::fromUtf16(name), QuotedInMessage(field));
        return false;
    }
    return true;
}

bool readRow(const std::vector<std::string_view> &fields,
             const std::array<int, ColumnCount> &columns, TCalcRequest &request, QString &error)
{
    auto field = [&](TColumn c) -> std::string_view {
        const int index = columns[c];
        return index >= 0 && size_t(index) < fields.size() ? fields[size_t(index)]
                                                           : std::string_view();
    };
    request = TCalcRequest();
    const std::string_view calcul = TrimmedField(field(colCalcul));
    if (IsFieldWord(calcul, "km")) {
        request.Type = tcKmCost;
    } else if (IsFieldWord(calcul, "carburant")) {
        request.Type = tcFuelCost;
    } else {
        error = u"calcul inconnu : « %1 » (km ou carburant)"_s.arg(QuotedInMessage(calcul));
        return false;
    }
    const std::string_view type = field(colType);
    if (TrimmedField(type).empty()) {
        error = u"type manquant"_s;
        return false;
    }
    if (!ReadKind(request.Type, TFieldText(type).View(), request.Kind)) {
        error =
            u"type illisible : « %1 » (%2)"_s.arg(QuotedInMessage(type), KindChoices(request.Type));
        return false;
    }
    if (!ReadYesNo(TFieldText(field(colElectrique)).View(), request.Electric)) {
        error = u"electrique illisible : « %1 » (oui ou non)"_s.arg(
            QuotedInMessage(field(colElectrique)));
        return false;
    }
    request.PowerGiven = !TrimmedField(field(colPuissance)).empty();
    if (!readWhole(field(colAnnee), NewestYear(request.Type), request.Year, u"année", error) ||
        !readWhole(field(colPuissance), 0, request.Power, u"puissance", error) ||
        !readWhole(field(colCv), -1, request.Cv, u"cv", error) ||
        !readWhole(field(colCc), -1, request.Cc, u"cc", error))
        return false;
    if (request.Type == tcFuelCost) {
        // The fuel and the status only matter to the fuel allowance.
        const std::string_view fuel = field(colCarburant);
        if (!TrimmedField(fuel).empty() && !ReadFuel(TFieldText(fuel).View(), request.Fuel)) {
            error =
                u"carburant illisible : « %1 » (%2)"_s.arg(QuotedInMessage(fuel), FuelChoices());
            return false;
        }
        const std::string_view statut = TrimmedField(field(colStatut));
        if (statut.empty() || IsFieldWord(statut, "pro")) {
            request.Status = tsProfessional;
        } else if (IsFieldWord(statut, "salarie") || statut == "salarié" || statut == "Salarié") {
            request.Status = tsEmployee;
        } else {
            error = u"statut inconnu : « %1 » (pro ou salarie)"_s.arg(QuotedInMessage(statut));
            return false;
        }
    }
    const std::string_view distance = field(colDistance);
    if (TrimmedField(distance).empty()) {
        error = u"distance manquante"_s;
        return false;
    }
    request.Distance = SafeText(distance);
    return true;
}

// A number of the added columns: the French decimal comma, no grouping, so that a French
// spreadsheet reads it as a number; quoted when the comma is also the separator.
void appendNumber(std::string &line, long double x, int digits, char separator)
{
    const size_t start = line.size();
    AppendSignificantText(line, x, digits, ',');
    if (separator == ',' && line.find(',', start) != std::string::npos) {
        line.insert(start, 1, '"');
        line.push_back('"');
    }
}

// A text column the program adds, quoted when it holds the separator.
void appendText(std::string &line, const QString &text, char separator)
{
    // The amount shown, the usual text here, is short and has no surrogates (whose repair
    // toUtf8 does its own way): encoded without an allocation.
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    char buffer[128];
    if (utf8.requiredSpace(text.size()) <= qsizetype(sizeof buffer) &&
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); })) {
        const char *end = utf8.appendToBuffer(buffer, text);
        AppendCsvField(line, std::string_view(buffer, size_t(end - buffer)), separator);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    AppendCsvField(line, std::string_view(bytes.constData(), size_t(bytes.size())), separator);
}

// A number of a comparison row's columns, written as text with the decimal comma.
QString columnNumber(long double x, int digits)
{
    return NumberToSignificantText(x, digits, u',');
}

// The columns a comparison row adds before erreur: taux, forfait, montant and affiche of its
// vehicle's scale (empty for a vehicle typed), then its results; false with the reason.
bool computeComparison(const std::vector<std::string_view> &fields,
                       const std::array<int, ColumnCount> &columns, const TRealCostsRows &realCosts,
                       const TInputNames &names, QStringList &added, QString &error)
{
    // The vehicle is read as a row of the scale its bareme column names.
    std::array<int, ColumnCount> vehicle = columns;
    vehicle[colCalcul] = realCosts.ScaleColumn();
    TRealCostsRequest comparison;
    TRealCostsCalc calc;
    if (!realCosts.Compute(
            fields, names,
            [&](TCalcRequest &r, QString &e) { return readRow(fields, vehicle, r, e); }, comparison,
            calc, error))
        return false;
    const TCalcRequest &request = comparison.Vehicle;
    const TCalcResult &result = calc.Vehicle;
    added = comparison.VehicleFromScale
                ? QStringList{columnNumber(result.Rate, 18),
                              request.Type == tcKmCost ? columnNumber(result.Fixed, 18) : QString(),
                              columnNumber(result.Amount, 20), result.Shown}
                : QStringList(4);
    added += TRealCostsRows::ResultFields(calc);
    return true;
}

} // namespace

int RunBatch(const TByteSource &input, const TSink &out, const TSink &err)
{
    TCsvReader reader(input);
    TBuffered output(out);
    TBuffered errors(err);
    const char separator = reader.GuessSeparator();
    const std::string_view sep(&separator, 1);
    auto fail = [&](const QString &message) {
        errors.append(u"vemora-calc : "_s + message + u'\n');
        return esRefused;
    };

    TCsvReader::TRecord record;
    while ((record = reader.Next()) == TCsvReader::TRecord::Fields &&
           isBlankRecord(reader.Fields())) {
    }
    switch (record) {
    case TCsvReader::TRecord::Fields:
        break;
    case TCsvReader::TRecord::End:
        return fail(u"fichier vide, la ligne d'en-tête manque"_s);
    case TCsvReader::TRecord::ReadError:
        return fail(u"lecture impossible : "_s + reader.ErrorText());
    case TCsvReader::TRecord::TooLong:
    case TCsvReader::TRecord::Unfinished:
        return fail(u"ligne %1 : la ligne d'en-tête n'est pas lisible (trop longue, ou "
                    u"guillemet jamais fermé)"_s.arg(reader.Line()));
    }

    const std::vector<std::string_view> &header = reader.Fields();
    std::array<int, ColumnCount> columns;
    columns.fill(-1);
    for (size_t i = 0; i < header.size(); ++i) {
        for (size_t c = 0; c < ColumnNames.size(); ++c) {
            if (columns[c] < 0 && IsFieldWord(header[i], ColumnNames[c]))
                columns[c] = int(i);
        }
    }
    // A file of comparisons alone needs no vehicle columns.
    const TRealCostsRows realCosts(header);
    for (TColumn c : {colCalcul, colType, colDistance}) {
        if (columns[c] < 0 && (c == colCalcul || !realCosts.Present())) {
            return fail(u"ligne %1 : colonne « %2 » absente de l'en-tête"_s.arg(reader.Line())
                            .arg(QString::fromLatin1(ColumnNames[c].data(),
                                                     qsizetype(ColumnNames[c].size()))));
        }
    }
    const size_t headerFields = header.size();
    std::string &line = output.text();
    for (size_t i = 0; i < headerFields; ++i) {
        if (i > 0)
            line.append(sep);
        AppendCsvField(line, header[i], separator);
    }
    for (std::string_view name : {"taux", "forfait", "montant", "affiche"}) {
        line.append(sep);
        line.append(name);
    }
    for (std::string_view name : realCosts.ResultColumns()) {
        line.append(sep);
        line.append(name);
    }
    line.append(sep);
    line.append("erreur");
    line.push_back('\n');

    const TInputNames names{u"distance"_s, u"distance par jour"_s, u"jours"_s};
    int status = esDone;
    TCalcRequest request;
    TCalcResult result;
    TScaleCache scales;
    QStringList added;
    QString error;
    while (output.lineDone()) {
        record = reader.Next();
        if (record == TCsvReader::TRecord::End)
            break;
        if (record == TCsvReader::TRecord::ReadError) {
            output.flush();
            return fail(u"lecture impossible : "_s + reader.ErrorText());
        }
        if (record == TCsvReader::TRecord::Fields) {
            const std::vector<std::string_view> &fields = reader.Fields();
            if (isBlankRecord(fields))
                continue;
            for (size_t i = 0; i < fields.size(); ++i) {
                if (i > 0)
                    line.append(sep);
                AppendCsvField(line, fields[i], separator);
            }
            const int calcul = columns[colCalcul];
            if (size_t(calcul) < fields.size() && TRealCostsRows::IsRow(fields[size_t(calcul)])) {
                if (computeComparison(fields, columns, realCosts, names, added, error)) {
                    for (const QString &text : std::as_const(added)) {
                        line.append(sep);
                        appendText(line, text, separator);
                    }
                    line.append(sep).push_back('\n');
                    continue;
                }
            } else if (readRow(fields, columns, request, error) &&
                       ComputeRequest(request, names, result, error, &scales)) {
                line.append(sep);
                appendNumber(line, result.Rate, 18, separator);
                line.append(sep);
                if (request.Type == tcKmCost)
                    appendNumber(line, result.Fixed, 18, separator);
                line.append(sep);
                appendNumber(line, result.Amount, 20, separator);
                line.append(sep);
                appendText(line, result.Shown, separator);
                // The comparisons' columns, empty, then no error.
                line.append(realCosts.ResultColumns().size() + 1, separator);
                line.push_back('\n');
                continue;
            }
        } else {
            // Nothing of the record is kept: empty fields in place of the header's.
            for (size_t i = 1; i < headerFields; ++i)
                line.append(sep);
            error = record == TCsvReader::TRecord::TooLong
                        ? u"ligne trop longue (plus de 64 Kio), non lue"_s
                        : u"guillemet ouvert jamais fermé : la fin du fichier n'est pas lue"_s;
        }
        status = esRowsInError;
        for (size_t i = 0; i < 5 + realCosts.ResultColumns().size(); ++i)
            line.append(sep);
        appendText(line, error, separator);
        line.push_back('\n');
        errors.append(u"vemora-calc : ligne %1 : %2\n"_s.arg(reader.Line())
                          .arg(QString(error).replace(u'\n', u' ')));
    }
    if (!output.flush())
        return esOutputFailed;
    return status;
}
