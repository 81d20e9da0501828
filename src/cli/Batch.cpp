// The batch file of vemora-calc.
#include "Batch.h"

#include "Calculation.h"
#include "NumberText.h"

#include <QString>

#include <array>
#include <charconv>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

enum TColumn
{
    colCalcul,
    colAnnee,
    colType,
    colPuissance,
    colCarburant,
    colStatut,
    colDistance
};
constexpr std::array<std::string_view, 7> ColumnNames{"calcul",    "annee",  "type",    "puissance",
                                                      "carburant", "statut", "distance"};

// Output is gathered and handed on in large pieces.
class TBuffered
{
public:
    explicit TBuffered(const std::function<void(std::string_view)> &sink)
        : m_sink(sink)
    {
        m_buffer.reserve(Flush + 4096);
    }
    ~TBuffered() { flush(); }
    void append(std::string_view text)
    {
        m_buffer.append(text);
        if (m_buffer.size() >= Flush)
            flush();
    }
    void append(const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        append(std::string_view(bytes.constData(), size_t(bytes.size())));
    }
    void flush()
    {
        if (!m_buffer.empty())
            m_sink(m_buffer);
        m_buffer.clear();
    }

private:
    static constexpr size_t Flush = 1 << 16;
    const std::function<void(std::string_view)> &m_sink;
    std::string m_buffer;
};

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

void splitFields(std::string_view line, std::vector<std::string_view> &fields)
{
    fields.clear();
    size_t start = 0;
    while (true) {
        const size_t end = line.find(';', start);
        fields.push_back(
            trimmed(line.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (x != b[i])
            return false;
    }
    return true;
}

QString fieldText(std::string_view field)
{
    return QString::fromUtf8(field.data(), qsizetype(field.size()));
}

// A whole number column; an empty field takes the default.
bool readWhole(std::string_view field, int defaultValue, int &value, const char16_t *name,
               QString &error)
{
    if (field.empty()) {
        value = defaultValue;
        return true;
    }
    const char *begin = field.data();
    const char *end = begin + field.size();
    if (*begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end) {
        error = u"%1 illisible : « %2 »"_s.arg(QString::fromUtf16(name), fieldText(field));
        return false;
    }
    return true;
}

bool readDistanceField(std::string_view distance, TCalcRequest &request, QString &error)
{
    if (distance.empty()) {
        error = u"distance manquante"_s;
        return false;
    }
    request.Distance = fieldText(distance);
    return true;
}

bool readRow(const std::vector<std::string_view> &fields, const std::array<int, 7> &columns,
             TCalcRequest &request, QString &error)
{
    auto field = [&](TColumn c) -> std::string_view {
        const int index = columns[c];
        return index >= 0 && size_t(index) < fields.size() ? fields[size_t(index)]
                                                           : std::string_view();
    };
    request = TCalcRequest();
    const std::string_view calcul = field(colCalcul);
    if (equalsNoCase(calcul, "km")) {
        request.Type = tcKmCost;
    } else if (equalsNoCase(calcul, "carburant")) {
        request.Type = tcFuelCost;
    } else {
        error = u"calcul inconnu : « %1 » (km ou carburant)"_s.arg(fieldText(calcul));
        return false;
    }
    if (field(colType).empty()) {
        error = u"type manquant"_s;
        return false;
    }
    if (!readWhole(field(colAnnee), NewestYear(request.Type), request.Year, u"année", error) ||
        !readWhole(field(colType), 0, request.Kind, u"type", error) ||
        !readWhole(field(colPuissance), 0, request.Power, u"puissance", error))
        return false;
    if (request.Type == tcKmCost)
        return readDistanceField(field(colDistance), request, error);
    // The fuel and the status only matter to the fuel allowance.
    if (!readWhole(field(colCarburant), 0, request.Fuel, u"carburant", error))
        return false;
    const std::string_view statut = field(colStatut);
    if (statut.empty() || equalsNoCase(statut, "pro")) {
        request.Status = tsProfessional;
    } else if (equalsNoCase(statut, "salarie") || statut == "salarié" || statut == "Salarié") {
        request.Status = tsEmployee;
    } else {
        error = u"statut inconnu : « %1 » (pro ou salarie)"_s.arg(fieldText(statut));
        return false;
    }
    return readDistanceField(field(colDistance), request, error);
}

// Numbers of the added columns: the locale's decimal separator, no grouping, so that a
// spreadsheet of the user's language reads them as numbers.
QString columnNumber(long double x, int digits)
{
    return NumberToSignificantText(x, digits, DefaultNumberFormat().DecimalSeparator);
}

} // namespace

int RunBatch(QByteArrayView input, const std::function<void(std::string_view)> &out,
             const std::function<void(std::string_view)> &err)
{
    std::string_view rest(input.data(), size_t(input.size()));
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);

    TBuffered output(out);
    TBuffered errors(err);
    auto nextLine = [&rest](std::string_view &line) {
        if (rest.empty())
            return false;
        const size_t end = rest.find('\n');
        line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return true;
    };

    std::string_view line;
    long lineNo = 0;
    bool header = false;
    while (nextLine(line)) {
        ++lineNo;
        if (!trimmed(line).empty()) {
            header = true;
            break;
        }
    }
    if (!header) {
        errors.append(u"vemora-calc : fichier vide, la ligne d'en-tête manque\n"_s);
        return 2;
    }

    std::vector<std::string_view> fields;
    splitFields(line, fields);
    std::array<int, 7> columns;
    columns.fill(-1);
    for (size_t i = 0; i < fields.size(); ++i) {
        for (size_t c = 0; c < ColumnNames.size(); ++c) {
            if (columns[c] < 0 && equalsNoCase(fields[i], ColumnNames[c]))
                columns[c] = int(i);
        }
    }
    for (TColumn c : {colCalcul, colType, colDistance}) {
        if (columns[c] < 0) {
            errors.append(
                u"vemora-calc : ligne %1 : colonne « %2 » absente de l'en-tête\n"_s.arg(lineNo).arg(
                    QString::fromLatin1(ColumnNames[c].data(), qsizetype(ColumnNames[c].size()))));
            return 2;
        }
    }
    output.append(line);
    output.append(std::string_view(";taux;forfait;montant;affiche;erreur\n"));

    const TInputNames names{u"distance"_s, u"distance par jour"_s, u"jours"_s};
    int status = 0;
    TCalcRequest request;
    TCalcResult result;
    QString error;
    while (nextLine(line)) {
        ++lineNo;
        if (trimmed(line).empty())
            continue;
        splitFields(line, fields);
        output.append(line);
        if (readRow(fields, columns, request, error) &&
            ComputeRequest(request, names, result, error)) {
            output.append(std::string_view(";"));
            output.append(columnNumber(result.Rate, 18));
            output.append(std::string_view(";"));
            if (request.Type == tcKmCost)
                output.append(columnNumber(result.Fixed, 18));
            output.append(std::string_view(";"));
            output.append(columnNumber(result.Amount, 20));
            output.append(std::string_view(";"));
            output.append(result.Shown);
            output.append(std::string_view(";\n"));
            continue;
        }
        status = 1;
        error.replace(u';', u',');
        error.replace(u'\n', u' ');
        output.append(std::string_view(";;;;;"));
        output.append(error);
        output.append(std::string_view("\n"));
        errors.append(u"vemora-calc : ligne %1 : %2\n"_s.arg(lineNo).arg(error));
    }
    return status;
}
