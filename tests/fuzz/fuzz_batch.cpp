// Fuzz target: the batch file of vemora-calc, its CSV reader and writer, on arbitrary bytes.
//
// The streaming reader gives the records of a plain reading of the whole text, in whatever
// pieces the bytes come; fields written back read the same; RunBatch refuses a file with one
// French line, or writes the header and one row per record, computed or with a French reason
// also reported with the record's line, each row as computed alone. In the input, "\x01 k c"
// stands for c repeated (k + 1) × 256 times, so that short inputs make records over 64 KiB.
#include "Batch.h"
#include "FrenchLocale.h"
#include "FuzzCheck.h"
#include "NumberText.h"
#include "RealCostsRequest.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using TKind = TCsvReader::TRecord;
using TFields = std::vector<std::string>;

struct TRecordRead
{
    TKind Kind = TKind::Fields;
    long Line = 0;
    size_t Begin = 0; // the record's bytes in the text, its end of line included
    size_t End = 0;
    TFields Fields; // none unless Kind is Fields
};

using TRecords = std::vector<TRecordRead>;

// Bytes as text: what is not UTF-8 becomes U+FFFD; a leading U+FEFF is a character as any.
QString text(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

std::string repaired(std::string_view field)
{
    return text(field).replace(QChar(0), QChar(QChar::ReplacementCharacter)).toUtf8().toStdString();
}

template<typename T> QString shown(const T &fields)
{
    QStringList list;
    for (std::string_view f : fields)
        list.append(Shown(text(f.substr(0, 80))));
    return list.join(u' ');
}

// A column name or a word of the batch, with blanks around, in any case (ASCII letters).
bool isWord(std::string_view field, std::string_view word)
{
    field.remove_prefix(std::min(field.size(), field.find_first_not_of(" \t")));
    field = field.substr(0, field.find_last_not_of(" \t") + 1);
    return std::equal(field.begin(), field.end(), word.begin(), word.end(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? char(a + 32) : a) == b;
    });
}

bool isBlankRecord(const TRecordRead &r)
{
    return r.Kind == TKind::Fields && std::all_of(r.Fields.begin(), r.Fields.end(),
                                                  [](const auto &f) { return isWord(f, ""); });
}

// The separator of the first line holding more than blanks, quotes and separators (such a
// line is a blank record, not the header; between quotes, separators and line breaks are
// content), after a byte-order mark, within the first 64 KiB (what the reader's buffer holds);
// every quote opens or closes.
char separatorOf(std::string_view t)
{
    bool quoted = false, content = false, semicolon = false, comma = false;
    for (const char c : t.substr(0, 64 * 1024).substr(t.starts_with("\xEF\xBB\xBF") ? 3 : 0)) {
        quoted = quoted != (c == '"');
        if (c == '\n' && !quoted) {
            if (content)
                break;
            semicolon = comma = false; // a blank line: the next one is looked at
        }
        content = content || std::string_view(quoted ? " \t\"" : " \t\r\n\";,").find(c) ==
                                 std::string_view::npos;
        semicolon = semicolon || (!quoted && c == ';');
        comma = comma || (!quoted && c == ',');
    }
    return semicolon || !comma ? ';' : ',';
}

// The whole text read at once, field by field: what the streaming reader must give.
TRecords readWhole(std::string_view t, char separator, size_t limit)
{
    TRecords records;
    const size_t n = t.size();
    size_t i = t.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    const char stops[] = {separator, '\n', '\r', 0};
    for (long line = 1; i < n;) {
        TRecordRead r{TKind::Fields, line, i, 0, {}};
        size_t bytes = 0;
        for (bool more = true; more && r.Kind == TKind::Fields;) {
            std::string field;
            size_t j = t.find_first_not_of(" \t", i);
            if (j < n && t[j] == '"') {
                // Quoted: up to a quote that is not the first of a pair, then blanks dropped.
                for (i = j + 1; r.Kind == TKind::Fields; field.push_back(t[i++])) {
                    j = t.find('"', i);
                    r.Kind = j == std::string_view::npos ? TKind::Unfinished : TKind::Fields;
                    field.append(t.substr(i, j - i));
                    i = std::min(n, j) + 1;
                    if (i >= n || t[i] != '"')
                        break;
                }
                i = std::min(n, t.find_first_not_of(" \t", i));
            }
            // Bytes as they are, after a closing quote as well: up to a separator, LF, CR LF.
            while (i < n && t[i] != separator && t[i] != '\n' && t.substr(i, 2) != "\r\n") {
                const size_t stop = std::min(n, t.find_first_of(stops, i + 1));
                field.append(t.substr(i, stop - i));
                i = stop;
            }
            bytes += field.size();
            r.Fields.push_back(std::move(field));
            more = i < n && t[i] == separator;
            i = std::min(n, i + (t.substr(i, 2) == "\r\n" ? 2 : 1));
        }
        line += long(std::count(t.begin() + long(r.Begin), t.begin() + long(i), '\n'));
        r.End = i;
        if (r.Kind == TKind::Fields && bytes > limit) // an unfinished quote wins over the length
            r.Kind = TKind::TooLong;
        if (r.Kind != TKind::Fields)
            r.Fields.clear();
        records.push_back(std::move(r));
    }
    return records;
}

// The text in pieces of 1 to 16 bytes, their sizes taken from the input bytes in turn.
TByteSource pieces(std::string_view t, std::string_view sizes)
{
    return [t, sizes, k = size_t(0)](char *buffer, size_t size, QString &) mutable {
        const size_t n = std::min({size, t.size(), 1 + size_t(sizes[k++ % sizes.size()] & 15)});
        std::copy_n(t.begin(), n, buffer);
        t.remove_prefix(n);
        return std::ptrdiff_t(n);
    };
}

void checkReader(TByteSource source, char separator, const TRecords &expected, const QString &how)
{
    TCsvReader reader(std::move(source));
    FUZZ_CHECK(reader.GuessSeparator() == separator, how);
    for (const TRecordRead &r : expected) {
        const TKind kind = reader.Next();
        const auto &f = reader.Fields();
        FUZZ_CHECK(kind == r.Kind && reader.Line() == r.Line &&
                       std::equal(f.begin(), f.end(), r.Fields.begin(), r.Fields.end()),
                   how + u": line %1 kind %2 "_s.arg(r.Line).arg(int(r.Kind)) + shown(r.Fields) +
                       u" read as line %1 kind %2 "_s.arg(reader.Line()).arg(int(kind)) + shown(f));
    }
    FUZZ_CHECK(reader.Next() == TKind::End && reader.Next() == TKind::End, how);
}

// Records of UTF-8 text written with the separator given read back the same.
void checkWrittenBack(const TRecords &records, char separator)
{
    // A line that sets the separator, after a mark so that a field may begin with U+FEFF.
    std::string file = std::string("\xEF\xBB\xBFx") + separator + '\n';
    TRecords written{{TKind::Fields, 1, 0, 0, {"x", ""}}};
    long line = 2;
    for (const TRecordRead &r : records) {
        const auto isText = [](const std::string &f) { return repaired(f) == f; };
        if (r.Kind != TKind::Fields || !std::all_of(r.Fields.begin(), r.Fields.end(), isText))
            continue;
        written.push_back({TKind::Fields, line, 0, 0, r.Fields});
        const size_t begin = file.size();
        for (size_t k = 0; k < r.Fields.size(); ++k)
            AppendCsvField(file.append(k ? 1 : 0, separator), r.Fields[k], separator);
        file.append(written.size() % 2 ? "\r\n" : "\n");
        line += long(std::count(file.begin() + long(begin), file.end(), '\n'));
    }
    checkReader(MemorySource(file), separator, written, u"written back"_s);
}

struct TRun
{
    int Status = -1;
    std::string Out;
    std::string Err;
};

TRun runBatch(const TByteSource &source)
{
    TRun run;
    run.Status = RunBatch(
        source, [&](std::string_view s) { return run.Out.append(s), true; },
        [&](std::string_view s) { return run.Err.append(s), true; });
    return run;
}

// The reasons a row is not computed, in French.
bool isKnownReason(const QString &reason, TKind kind)
{
    static const QStringList starts =
        u"calcul inconnu : «|type manquant|type illisible : «|electrique illisible : «|année "
        u"illisible : «|puissance illisible : «|cv illisible : «|cc illisible : «|carburant "
        u"illisible : «|statut inconnu : «|distance manquante|La cylindrée ne sert qu'au|Puissance "
        u"en CV hors |Donnez la cylindrée ou la puissance en CV, pas les deux|Cylindrée hors du "
        u"barème : |La puissance se donne par son rang ou en CV|Année non proposée : |Type de "
        u"véhicule non proposé|Un cyclomoteur n'a pas de puissance administrative|Puissance hors "
        u"limites : |Le barème carburant ne connaît pas de véhicule électrique|Carburant hors "
        u"limites : |Nombre illisible pour distance : «|Nombre négatif pour distance : |Valeur "
        u"trop grande pour distance : |Montant trop grand pour être écrit : distance |bareme "
        u"inconnu : «|type va avec bareme (km ou carburant)|distance va avec bareme (km ou "
        u"carburant)|salaire manquant|frais_vehicule ne se combine pas avec bareme|prix_repas va "
        u"avec repas|titres_restaurant va avec repas|Donnez teletravail_jours ou "
        u"teletravail_reel, pas les deux|Salaire net imposable trop grand : |Allocations et "
        u"remboursements de l'employeur trop grand : |Frais de véhicule trop grand : |Montant "
        u"réel du télétravail trop grand : |Autres frais trop grand : |Prix moyen d'un repas "
        u"trop grand : |Part de l'employeur dans un titre-restaurant trop grand : |Nombre de "
        u"repas hors limites : |Nombre de jours de télétravail hors limites : |Pas de forfait "
        u"de télétravail pour les revenus |Taux marginal inconnu en "_s.split(u'|') +
        [] {
            QStringList columns; // each amount and count of a comparison, misread
            for (std::string_view name : RealCostsFieldNames) {
                const QString n = QString::fromLatin1(name.data(), qsizetype(name.size()));
                columns << u"Nombre illisible pour %1 : «"_s.arg(n)
                        << u"Nombre négatif pour %1 : "_s.arg(n)
                        << u"Valeur trop grande pour %1 : "_s.arg(n);
            }
            return columns;
        }();
    if (kind != TKind::Fields) {
        return reason ==
               (kind == TKind::TooLong
                    ? u"ligne trop longue (plus de 64 Kio), non lue"_s
                    : u"guillemet ouvert jamais fermé : la fin du fichier n'est pas lue"_s);
    }
    return std::any_of(starts.begin(), starts.end(),
                       [&](const auto &s) { return reason.startsWith(s); });
}

// A figure of the added columns: a number, not negative unless said.
bool isNumber(const std::string &field, long double &value, bool signedNumber = false)
{
    return !field.empty() && TryTextToNumber(text(field), value) && std::isfinite(value) &&
           (signedNumber || value >= 0);
}

// The result columns of a comparison: amounts to the cent, the two taxable pays in whole
// euros, their gap and the choice it makes, the euros to declare only when they win.
bool isComparison(const std::string *c, long double scaleAmount, bool scaled)
{
    long double vehicle = 0, meals = 0, homeWork = 0, total = 0, deduction = 0, income10 = 0,
                incomeReal = 0, gap = 0, x = 0;
    const bool numbers = isNumber(c[0], vehicle) && isNumber(c[1], meals) &&
                         isNumber(c[2], homeWork) && isNumber(c[3], total) &&
                         isNumber(c[4], deduction) && isNumber(c[5], income10, true) &&
                         isNumber(c[6], incomeReal, true) && isNumber(c[7], gap);
    const std::string choice = incomeReal < income10   ? "frais-reels"
                               : incomeReal > income10 ? "10%"
                                                       : "egal";
    return numbers && total + 0.005L >= vehicle + meals + homeWork &&
           gap == std::fabs(income10 - incomeReal) && c[8] == choice &&
           (choice == "frais-reels" ? isNumber(c[9], x) && x == std::round(total) : c[9].empty()) &&
           (c[10].empty() || isNumber(c[10], x)) &&
           (!scaled || std::fabs(vehicle - scaleAmount) <= 0.005L + scaleAmount * 1e-17L);
}

// RunBatch on the text: refused as the header says, or one row per record, in order.
void checkBatch(std::string_view t, char separator, const TRecords &in)
{
    const TRun run = runBatch(MemorySource(t));
    FUZZ_CHECK(text(run.Err).toUtf8().toStdString() == run.Err &&
                   text(run.Out).toUtf8().toStdString() == run.Out &&
                   run.Out.find('\0') == std::string::npos,
               Shown(text(run.Err)));

    const auto header = std::find_if_not(in.begin(), in.end(), isBlankRecord);
    auto column = [&](const char *name) {
        const auto at = std::find_if(header->Fields.begin(), header->Fields.end(),
                                     [&](const auto &f) { return isWord(f, name); });
        return size_t(at - header->Fields.begin());
    };
    // A file with a salaire column may hold comparisons alone, and has their result columns.
    const bool comparisons = header != in.end() && header->Kind == TKind::Fields &&
                             column("salaire") < header->Fields.size();
    const size_t results = comparisons ? 11 : 0;
    QString refusal;
    if (header == in.end())
        refusal = u"fichier vide, la ligne d'en-tête manque"_s;
    else if (header->Kind != TKind::Fields)
        refusal = u"ligne %1 : la ligne d'en-tête n'est pas lisible (trop longue, ou guillemet "
                  u"jamais fermé)"_s.arg(header->Line);
    for (const char *name : {"calcul", "type", "distance"}) {
        if (refusal.isEmpty() && column(name) == header->Fields.size() &&
            (!comparisons || name == std::string_view("calcul")))
            refusal = u"ligne %1 : colonne « %2 » absente de l'en-tête"_s.arg(header->Line)
                          .arg(QLatin1StringView(name));
    }
    if (!refusal.isEmpty()) {
        FUZZ_CHECK(run.Status == 2 && run.Out.empty() &&
                       text(run.Err) == u"vemora-calc : "_s + refusal + u'\n',
                   QString::number(run.Status) + u' ' + Shown(text(run.Err)));
        return;
    }

    // The output read back: the header repaired and the columns added, then the rows.
    const TRecords out = readWhole(run.Out, separator, size_t(-1));
    TFields expected(header->Fields.size());
    std::transform(header->Fields.begin(), header->Fields.end(), expected.begin(), repaired);
    expected.insert(expected.end(), {"taux", "forfait", "montant", "affiche"});
    if (comparisons) {
        expected.insert(expected.end(),
                        {"vehicule", "frais_repas", "frais_teletravail", "frais_reels",
                         "deduction_10", "revenu_10", "revenu_frais_reels", "ecart", "choix",
                         "a_declarer", "impot_evite"});
    }
    expected.push_back("erreur");
    FUZZ_CHECK(!out.empty() && out[0].Fields == expected,
               u"header "_s + Shown(text(run.Out.substr(0, 200))));
    QList<QByteArray> errors = QByteArray::fromStdString(run.Err).split('\n');
    FUZZ_CHECK(errors.takeLast().isEmpty(), Shown(text(run.Err)));
    const size_t calcul = column("calcul");
    const size_t bareme = column("bareme"); // the header's size when it has none
    size_t row = 1;
    qsizetype reported = 0;
    for (auto r = header + 1; r != in.end(); ++r) {
        if (isBlankRecord(*r))
            continue;
        const auto context = [&] {
            return u"line %1 "_s.arg(r->Line) + shown(r->Fields) + u" gives "_s;
        };
        FUZZ_CHECK(row < out.size(), context() + u"no row"_s);
        const TRecordRead &o = out[row++];
        TFields given(r->Kind == TKind::Fields ? r->Fields.size() : header->Fields.size());
        std::transform(r->Fields.begin(), r->Fields.end(), given.begin(), repaired);
        FUZZ_CHECK(o.Fields.size() == given.size() + 5 + results &&
                       std::equal(given.begin(), given.end(), o.Fields.begin()),
                   context() + shown(o.Fields));
        const std::string *added = o.Fields.data() + given.size();
        const std::string &reason = added[4 + results];
        const auto empty = [](const std::string *begin, size_t n) {
            return std::all_of(begin, begin + n, [](const std::string &f) { return f.empty(); });
        };
        long double rate = 0, fixed = 0, amount = 0, euros = 0;
        if (reason.empty()) {
            // Computed: the rate, the fixed amount of a mileage, the amount and it to the euro;
            // for a comparison, those of its vehicle's scale or none, then its results.
            const bool compared = r->Kind == TKind::Fields && calcul < r->Fields.size() &&
                                  isWord(r->Fields[calcul], "frais-reels");
            const bool hasScale = bareme < header->Fields.size() && bareme < r->Fields.size();
            const bool km = compared ? hasScale && isWord(r->Fields[bareme], "km")
                                     : calcul < r->Fields.size() && isWord(r->Fields[calcul], "km");
            const bool scaled = !compared || (hasScale && !isWord(r->Fields[bareme], ""));
            FUZZ_CHECK(r->Kind == TKind::Fields && calcul < r->Fields.size() &&
                           (!scaled ? empty(added, 4)
                                    : (isNumber(added[0], rate) &&
                                       (km ? isNumber(added[1], fixed) : added[1].empty()) &&
                                       isNumber(added[2], amount) && isNumber(added[3], euros) &&
                                       std::fabs(euros - amount) <= 0.5L + amount * 1e-17L)) &&
                           (compared ? comparisons && isComparison(added + 4, amount, scaled)
                                     : empty(added + 4, results)),
                       context() + shown(o.Fields));
        } else {
            FUZZ_CHECK(empty(added, 4 + results) && isKnownReason(text(reason), r->Kind),
                       context() + shown(o.Fields));
            std::string line = "vemora-calc : ligne " + std::to_string(r->Line) + " : " + reason;
            std::replace(line.begin(), line.end(), '\n', ' ');
            FUZZ_CHECK(reported < errors.size() && errors[reported++].toStdString() == line,
                       context() + u"the report "_s + Shown(text(line)));
        }
        // The first rows alone under the header, after a line that sets the separator; unless
        // a quote the header opens is closed only by a later line: alone, the text then guesses
        // another separator.
        if (row <= 5) {
            const std::string alone =
                std::string{separator, '\n'}
                    .append(t.substr(header->Begin, header->End - header->Begin))
                    .append(t.substr(r->Begin, r->End - r->Begin));
            const std::string single =
                separatorOf(alone) == separator ? runBatch(MemorySource(alone)).Out : std::string{};
            const size_t head = out[0].End;
            FUZZ_CHECK(separatorOf(alone) != separator ||
                           (single.substr(0, head) == run.Out.substr(0, head) &&
                            single.substr(head) == run.Out.substr(o.Begin, o.End - o.Begin)),
                       context() + u"alone "_s + Shown(text(single)));
        }
    }
    FUZZ_CHECK(row == out.size() && reported == errors.size() && run.Status == (reported ? 1 : 0),
               u"status %1"_s.arg(run.Status));
}

// The text of an input, its "\x01 k c" repeats written out while it is under 128 KiB.
std::string expanded(std::string_view data)
{
    std::string t;
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] != '\x01' || i + 2 >= data.size() ||
            t.size() >= 2 * TCsvReader::MaxRecordBytes) {
            t.push_back(data[i]);
        } else {
            t.append((size_t(uint8_t(data[i + 1])) + 1) * 256, data[i + 2]);
            i += 2;
        }
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    PinFrenchLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const std::string_view data(reinterpret_cast<const char *>(bytes), size);
    const std::string t = expanded(data);
    const std::string_view sizes = data.empty() ? "\x0F" : data;
    const char separator = separatorOf(t);
    const TRecords in = readWhole(t, separator, TCsvReader::MaxRecordBytes);
    checkReader(MemorySource(t), separator, in, u"whole"_s);
    checkReader(pieces(t, sizes), separator, in, u"in pieces"_s);
    checkWrittenBack(in, size % 2 ? ';' : ',');
    checkBatch(t, separator, in);
    return 0;
}
