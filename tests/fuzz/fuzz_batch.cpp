// Fuzz target: the batch file of vemora-calc, its CSV reader and writer, on arbitrary bytes.
//
// The streaming reader gives the records that a plain reading of the whole text gives, in
// whatever pieces the bytes come; fields written back read the same; RunBatch refuses a file
// with one French line, or writes the header and one row per record, computed or closed by a
// French reason that the error output repeats with the record's line, each row the same as
// computed alone under the header. In the input, "\x01 k c" stands for the byte c repeated
// (k + 1) × 256 times, so that short inputs make records over 64 KiB.
#include "Batch.h"
#include "Csv.h"
#include "FrenchLocale.h"
#include "FuzzCheck.h"
#include "NumberText.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using TKind = TCsvReader::TRecord;
constexpr size_t Unlimited = size_t(-1);
// The reader guesses the separator from what its buffer holds: the first 64 KiB.
constexpr size_t GuessWindow = 64 * 1024;

struct TRecordRead
{
    TKind Kind = TKind::Fields;
    long Line = 0;
    size_t Begin = 0; // the record's bytes in the text, its end of line included
    size_t End = 0;
    std::vector<std::string> Fields; // none unless Kind is Fields
};

struct TFileRead
{
    char Separator = ';';
    std::vector<TRecordRead> Records;
};

QString text(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

template<typename TFields> QString shownFields(const TFields &fields)
{
    QStringList shown;
    for (std::string_view field : fields)
        shown.append(Shown(text(field.substr(0, 100))));
    return u'[' + shown.join(u' ') + u']';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A column name or a word of the batch, compared without case (ASCII letters only).
bool isWord(std::string_view field, std::string_view word)
{
    field = trimmed(field);
    return std::equal(field.begin(), field.end(), word.begin(), word.end(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? char(a + 32) : a) == b;
    });
}

bool isBlankRecord(const TRecordRead &r)
{
    return r.Kind == TKind::Fields && std::all_of(r.Fields.begin(), r.Fields.end(),
                                                  [](const auto &f) { return trimmed(f).empty(); });
}

std::string repaired(std::string_view field)
{
    const QByteArray bytes = SafeText(field).toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// The separator of the first line holding more than blanks; every quote opens or closes.
char separatorOf(std::string_view lines)
{
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i <= lines.size(); ++i) {
        if (i < lines.size()) {
            quoted ^= lines[i] == '"';
            if (lines[i] != '\n' || quoted)
                continue;
        }
        const std::string_view line = lines.substr(start, i - start);
        start = i + 1;
        if (line.find_first_not_of(" \t\r") == std::string_view::npos)
            continue;
        bool inQuotes = false;
        bool comma = false;
        for (char c : line) {
            inQuotes ^= c == '"';
            if (!inQuotes && c == ';')
                return ';';
            comma = comma || (!inQuotes && c == ',');
        }
        return comma ? ',' : ';';
    }
    return ';';
}

// The whole text read at once, field by field: what the streaming reader must give.
TFileRead readWhole(std::string_view t, size_t limit, char separator = 0)
{
    TFileRead file;
    const size_t n = t.size();
    size_t i = t.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    file.Separator = separator ? separator : separatorOf(t.substr(i, std::min(n, GuessWindow) - i));
    const char sep = file.Separator;
    long line = 1;
    while (i < n) {
        TRecordRead r;
        r.Line = line;
        r.Begin = i;
        size_t bytes = 0;
        for (bool more = true; more && r.Kind == TKind::Fields;) {
            std::string field;
            size_t j = i;
            while (j < n && isBlank(t[j]))
                ++j;
            if (j < n && t[j] == '"') {
                // Quoted: up to a quote that is not the first of a pair, then blanks dropped.
                for (i = j + 1; r.Kind == TKind::Fields;) {
                    const size_t q = t.find('"', i);
                    if (q == std::string_view::npos) {
                        r.Kind = TKind::Unfinished; // wins over the length
                        i = n;
                    } else {
                        field.append(t.substr(i, q - i));
                        i = q + 1;
                        if (i == n || t[i] != '"')
                            break;
                        field.push_back(t[i++]);
                    }
                }
                while (i < n && isBlank(t[i]))
                    ++i;
            }
            // Bytes as they are, after a closing quote as well: up to a separator, LF, CR LF.
            while (i < n && t[i] != sep && t[i] != '\n' && t.substr(i, 2) != "\r\n")
                field.push_back(t[i++]);
            bytes += field.size();
            r.Fields.push_back(std::move(field));
            more = i < n && t[i] == sep;
            i = std::min(n, i + (t.substr(i, 2) == "\r\n" ? 2 : 1));
        }
        line += long(std::count(t.begin() + long(r.Begin), t.begin() + long(i), '\n'));
        r.End = i;
        if (r.Kind == TKind::Fields && bytes > limit)
            r.Kind = TKind::TooLong;
        if (r.Kind != TKind::Fields)
            r.Fields.clear();
        file.Records.push_back(std::move(r));
    }
    return file;
}

// The text in pieces of 1 to 16 bytes, their sizes taken from the input bytes in turn.
TByteSource pieces(std::string_view t, std::string_view sizes)
{
    return [t, sizes, k = size_t(0)](char *buffer, size_t size, QString &) mutable {
        const size_t n =
            std::min({size, t.size(), 1 + size_t(uint8_t(sizes[k++ % sizes.size()]) % 16)});
        if (n > 0)
            std::memcpy(buffer, t.data(), n);
        t.remove_prefix(n);
        return std::ptrdiff_t(n);
    };
}

void checkReader(TByteSource source, const TFileRead &expected, const QString &how)
{
    TCsvReader reader(std::move(source));
    FUZZ_CHECK(reader.GuessSeparator() == expected.Separator, how + u": separator"_s);
    for (const TRecordRead &r : expected.Records) {
        const TKind kind = reader.Next();
        const auto &fields = reader.Fields();
        FUZZ_CHECK(kind == r.Kind && reader.Line() == r.Line &&
                       std::equal(fields.begin(), fields.end(), r.Fields.begin(), r.Fields.end()),
                   how + u": record of kind %1 on line %2 %3, expected kind %4 on line %5 %6"_s
                             .arg(int(kind))
                             .arg(reader.Line())
                             .arg(shownFields(fields))
                             .arg(int(r.Kind))
                             .arg(r.Line)
                             .arg(shownFields(r.Fields)));
    }
    FUZZ_CHECK(reader.Next() == TKind::End && reader.Next() == TKind::End, how + u": end"_s);
}

struct TRun
{
    int Status = -1;
    std::string Out;
    std::string Err;
};

TRun runBatch(const TByteSource &source, bool outFails = false)
{
    TRun run;
    run.Status = RunBatch(
        source, [&](std::string_view s) { return run.Out.append(s), !outFails; },
        [&](std::string_view s) { return run.Err.append(s), true; });
    return run;
}

bool isUtf8(const std::string &bytes)
{
    return text(bytes).toUtf8() == QByteArrayView(bytes.data(), qsizetype(bytes.size()));
}

// The reasons the calculator gives, in French.
bool isKnownReason(const QString &reason)
{
    static const QStringList starts{u"calcul inconnu : « "_s,
                                    u"type manquant"_s,
                                    u"type illisible : « "_s,
                                    u"electrique illisible : « "_s,
                                    u"année illisible : « "_s,
                                    u"puissance illisible : « "_s,
                                    u"cv illisible : « "_s,
                                    u"cc illisible : « "_s,
                                    u"carburant illisible : « "_s,
                                    u"statut inconnu : « "_s,
                                    u"distance manquante"_s,
                                    u"La cylindrée ne sert qu'au"_s,
                                    u"Puissance en CV hors "_s,
                                    u"Donnez la cylindrée ou la puissance en CV, pas les deux"_s,
                                    u"Cylindrée hors du barème : "_s,
                                    u"La puissance se donne par son rang ou en CV"_s,
                                    u"Année non proposée : "_s,
                                    u"Type de véhicule non proposé"_s,
                                    u"Un cyclomoteur n'a pas de puissance administrative"_s,
                                    u"Puissance hors limites : "_s,
                                    u"Le barème carburant ne connaît pas de véhicule électrique"_s,
                                    u"Carburant hors limites : "_s,
                                    u"Nombre illisible pour distance : « "_s,
                                    u"Nombre négatif pour distance : "_s,
                                    u"Valeur trop grande pour distance : "_s,
                                    u"Montant trop grand pour être écrit : distance "_s};
    return std::any_of(starts.begin(), starts.end(),
                       [&](const QString &start) { return reason.startsWith(start); });
}

bool isNumber(const std::string &field, long double &value)
{
    return !field.empty() && TryTextToNumber(text(field), value) && std::isfinite(value);
}

// RunBatch on the text: refused as the header says, or one row per record in order.
void checkBatch(std::string_view t, const TFileRead &in, std::string_view data)
{
    const TRun run = runBatch(MemorySource(t));
    const TRun inPieces = runBatch(pieces(t, data));
    FUZZ_CHECK(inPieces.Status == run.Status && inPieces.Out == run.Out && inPieces.Err == run.Err,
               u"read in pieces: "_s + Shown(text(inPieces.Err)));
    FUZZ_CHECK(runBatch(MemorySource(t), true).Status == (run.Status == 2 ? 2 : 3), QString());
    FUZZ_CHECK(isUtf8(run.Err) && isUtf8(run.Out) && run.Out.find('\0') == std::string::npos,
               Shown(text(run.Err)));

    const std::vector<TRecordRead> &records = in.Records;
    size_t h = 0;
    while (h < records.size() && isBlankRecord(records[h]))
        ++h;
    QString refusal;
    size_t calcul = 0;
    if (h == records.size())
        refusal = u"fichier vide, la ligne d'en-tête manque"_s;
    else if (records[h].Kind != TKind::Fields)
        refusal = u"ligne %1 : la ligne d'en-tête n'est pas lisible (trop longue, ou guillemet "
                  u"jamais fermé)"_s.arg(records[h].Line);
    for (const char *name : {"calcul", "type", "distance"}) {
        if (!refusal.isEmpty())
            break;
        const std::vector<std::string> &header = records[h].Fields;
        const auto at = std::find_if(header.begin(), header.end(),
                                     [&](const std::string &f) { return isWord(f, name); });
        if (at == header.end())
            refusal = u"ligne %1 : colonne « %2 » absente de l'en-tête"_s.arg(records[h].Line)
                          .arg(QLatin1StringView(name));
        calcul = calcul ? calcul : size_t(at - header.begin()) + 1;
    }
    if (!refusal.isEmpty()) {
        FUZZ_CHECK(run.Status == 2 && run.Out.empty() &&
                       text(run.Err) == u"vemora-calc : "_s + refusal + u'\n',
                   QString::number(run.Status) + u' ' + Shown(text(run.Err)));
        return;
    }
    FUZZ_CHECK(run.Status == 0 || run.Status == 1, QString::number(run.Status));

    // The output read back: the header repaired and the added columns, then the rows.
    const TRecordRead &header = records[h];
    const TFileRead out = readWhole(run.Out, Unlimited, in.Separator);
    std::vector<std::string> expected;
    for (const std::string &f : header.Fields)
        expected.push_back(repaired(f));
    for (const char *name : {"taux", "forfait", "montant", "affiche", "erreur"})
        expected.push_back(name);
    FUZZ_CHECK(!out.Records.empty() && out.Records[0].Fields == expected,
               u"header "_s + Shown(text(run.Out.substr(0, 200))));
    QList<std::string_view> errors;
    for (std::string_view err = run.Err; !err.empty();
         err.remove_prefix(errors.back().size() + 1)) {
        errors.append(err.substr(0, err.find('\n')));
        FUZZ_CHECK(errors.back().size() < err.size(), Shown(text(err)));
    }
    size_t row = 1;
    qsizetype reported = 0;
    for (size_t i = h + 1; i < records.size(); ++i) {
        const TRecordRead &r = records[i];
        if (isBlankRecord(r))
            continue;
        const QString context =
            u"record of line %1 %2 gives "_s.arg(r.Line).arg(shownFields(r.Fields));
        FUZZ_CHECK(row < out.Records.size(), context + u"no row"_s);
        const TRecordRead &o = out.Records[row++];
        std::vector<std::string> given(r.Kind == TKind::Fields ? r.Fields.size()
                                                               : header.Fields.size());
        if (r.Kind == TKind::Fields)
            std::transform(r.Fields.begin(), r.Fields.end(), given.begin(), repaired);
        const std::string *added = o.Fields.data() + given.size();
        FUZZ_CHECK(o.Fields.size() == given.size() + 5 &&
                       std::equal(given.begin(), given.end(), o.Fields.begin()),
                   context + shownFields(o.Fields));
        long double rate = 0, fixed = 0, amount = 0, shown = 0;
        if (added[4].empty()) {
            // Computed: rate, fixed part (mileage only), amount, the amount to the euro.
            const bool km = r.Kind == TKind::Fields && isWord(r.Fields[calcul - 1], "km");
            FUZZ_CHECK(r.Kind == TKind::Fields && isNumber(added[0], rate) && rate >= 0 &&
                           (km ? isNumber(added[1], fixed) && fixed >= 0 : added[1].empty()) &&
                           isNumber(added[2], amount) && amount >= 0 && isNumber(added[3], shown) &&
                           std::fabs(shown - amount) <= 0.5L + amount * 1e-17L,
                       context + shownFields(o.Fields));
        } else {
            const QString reason = text(added[4]);
            FUZZ_CHECK(
                added[0].empty() && added[1].empty() && added[2].empty() && added[3].empty() &&
                    (r.Kind == TKind::TooLong
                         ? reason == u"ligne trop longue (plus de 64 Kio), non lue"_s
                     : r.Kind == TKind::Unfinished
                         ? reason ==
                               u"guillemet ouvert jamais fermé : la fin du fichier n'est pas lue"_s
                         : isKnownReason(reason)),
                context + shownFields(o.Fields));
            std::string line = "vemora-calc : ligne " + std::to_string(r.Line) + " : " + added[4];
            std::replace(line.begin(), line.end(), '\n', ' ');
            FUZZ_CHECK(reported < errors.size() && errors[reported++] == line,
                       context + u"the report "_s + Shown(text(line)));
        }
        // The first rows alone under the header (after a line that sets the separator).
        if (row <= 5) {
            const std::string alone = std::string{in.Separator, '\n'}
                                          .append(t.substr(header.Begin, header.End - header.Begin))
                                          .append(t.substr(r.Begin, r.End - r.Begin));
            const std::string_view outHeader(run.Out.data(), out.Records[0].End);
            const std::string single = runBatch(MemorySource(alone)).Out;
            FUZZ_CHECK(single.substr(0, outHeader.size()) == outHeader &&
                           single.substr(outHeader.size()) ==
                               run.Out.substr(o.Begin, o.End - o.Begin),
                       context + u"alone "_s + Shown(text(single)));
        }
    }
    FUZZ_CHECK(row == out.Records.size() && reported == errors.size() &&
                   run.Status == (reported ? 1 : 0),
               u"%1 rows, %2 reports, status %3"_s.arg(out.Records.size())
                   .arg(errors.size())
                   .arg(run.Status));
}

// The text of an input, its "\x01 k c" repeats written out, up to 256 KiB of them.
std::string expanded(std::string_view data)
{
    std::string t;
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\x01' && i + 2 < data.size() && t.size() < 4 * TCsvReader::MaxRecordBytes) {
            t.append((size_t(uint8_t(data[i + 1])) + 1) * 256, data[i + 2]);
            i += 2;
        } else {
            t.push_back(data[i]);
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
    const TFileRead in = readWhole(t, TCsvReader::MaxRecordBytes);
    checkReader(MemorySource(t), in, u"whole"_s);
    if (!data.empty())
        checkReader(pieces(t, data), in, u"in pieces"_s);

    // Fields written back, with either separator, read the same once repaired.
    for (const char separator : {';', ','}) {
        std::string file = "\xEF\xBB\xBF"; // so that a first field may begin with one
        std::vector<std::vector<std::string>> written;
        for (const TRecordRead &r : in.Records) {
            std::vector<std::string> fields;
            for (const std::string &f : r.Fields)
                fields.push_back(repaired(f));
            size_t bytes = 0;
            for (const std::string &f : fields)
                bytes += f.size();
            if (r.Kind != TKind::Fields || bytes > TCsvReader::MaxRecordBytes)
                continue;
            for (size_t k = 0; k < fields.size(); ++k)
                AppendCsvField(file.append(k ? 1 : 0, separator), r.Fields[k], separator);
            file.append(written.size() % 2 ? "\r\n" : "\n");
            written.push_back(std::move(fields));
        }
        TCsvReader reader(MemorySource(file));
        reader.SetSeparator(separator);
        for (const std::vector<std::string> &fields : written) {
            FUZZ_CHECK(reader.Next() == TKind::Fields &&
                           std::equal(fields.begin(), fields.end(), reader.Fields().begin(),
                                      reader.Fields().end()),
                       u"written "_s + shownFields(fields) + u" read "_s +
                           shownFields(reader.Fields()));
        }
        FUZZ_CHECK(reader.Next() == TKind::End, Shown(text(file.substr(0, 300))));
    }

    if (!data.empty())
        checkBatch(t, in, data);
    return 0;
}
