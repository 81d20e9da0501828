// Fuzz target: the batch file of vemora-calc (RunBatch) on arbitrary bytes.
//
// Any bytes give either one French error line and no output (not a batch), or the header
// and one output row per non-blank line, in order, each closed by its computed columns or by
// a French reason that is also reported on the error output with its line number.
#include "Batch.h"
#include "FrenchLocale.h"
#include "FuzzCheck.h"
#include "NumberText.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun
{
    int Status = -1;
    std::string Out;
    std::string Err;
};

TRun run(QByteArrayView input)
{
    TRun result;
    result.Status = RunBatch(
        MemorySource(std::string_view(input.data(), size_t(input.size()))),
        [&result](std::string_view s) {
            result.Out.append(s);
            return true;
        },
        [&result](std::string_view s) {
            result.Err.append(s);
            return true;
        });
    return result;
}

QString text(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// The lines of a file: split at LF, one CR dropped at the end of each, after a byte-order mark.
QList<std::string_view> linesOf(std::string_view file)
{
    if (file.substr(0, 3) == "\xEF\xBB\xBF")
        file.remove_prefix(3);
    QList<std::string_view> lines;
    while (!file.empty()) {
        const size_t end = file.find('\n');
        std::string_view line = file.substr(0, end);
        file = end == std::string_view::npos ? std::string_view() : file.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.append(line);
    }
    return lines;
}

// A line of nothing but blanks, or an empty quoted field, holds no calculation.
bool isBlankLine(std::string_view line)
{
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return true;
    const size_t last = line.find_last_not_of(" \t");
    return line.substr(first, last - first + 1) == "\"\"";
}

// The reasons the calculator gives, in French.
bool isKnownReason(const QString &reason)
{
    static const QStringList starts{u"calcul inconnu : "_s,
                                    u"type manquant"_s,
                                    u"année illisible : "_s,
                                    u"type illisible : "_s,
                                    u"puissance illisible : "_s,
                                    u"carburant illisible : "_s,
                                    u"statut inconnu : "_s,
                                    u"distance manquante"_s,
                                    u"Nombre illisible pour "_s,
                                    u"Nombre négatif pour "_s,
                                    u"Valeur trop grande pour "_s,
                                    u"Année non proposée : "_s,
                                    u"Type de véhicule non proposé"_s,
                                    u"Puissance hors limites : "_s,
                                    u"Carburant hors limites : "_s,
                                    u"Distance annuelle trop grande : "_s,
                                    u"Montant trop grand pour être écrit : "_s};
    for (const QString &start : starts) {
        if (reason.startsWith(start))
            return true;
    }
    return false;
}

bool readsAsNumber(const QString &field, long double &value)
{
    return !field.isEmpty() && TryTextToNumber(field, value) && std::isfinite(value);
}

// The columns added to a computed row: taux;forfait;montant;affiche; with an empty reason.
void checkComputed(const QString &added, const QString &context)
{
    const QStringList fields = added.split(u';');
    FUZZ_CHECK(fields.size() == 6 && fields[0].isEmpty() && fields[5].isEmpty(), context);
    long double rate = 0;
    long double amount = 0;
    long double shown = 0;
    FUZZ_CHECK(readsAsNumber(fields[1], rate) && rate >= 0, context);
    FUZZ_CHECK(readsAsNumber(fields[3], amount) && amount >= 0, context);
    FUZZ_CHECK(readsAsNumber(fields[4], shown), context);
    long double fixed = 0;
    FUZZ_CHECK(fields[2].isEmpty() || readsAsNumber(fields[2], fixed), context);
    // The amount shown is the amount rounded to the euro.
    FUZZ_CHECK(std::fabs(shown - amount) <= 0.5L + amount * 1e-17L, context);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    PinFrenchLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view file(reinterpret_cast<const char *>(data), size);
    const TRun result = run(QByteArrayView(file.data(), qsizetype(file.size())));
    // The error output is text the user reads: valid UTF-8, whatever the input.
    FUZZ_CHECK(QString::fromUtf8(result.Err.data(), qsizetype(result.Err.size())).toStdString() ==
                   result.Err,
               u"error output is not UTF-8"_s);
    const QList<std::string_view> lines = linesOf(file);
    qsizetype header = 0;
    while (header < lines.size() && isBlankLine(lines[header]))
        ++header;

    if (result.Status == 2) {
        FUZZ_CHECK(result.Out.empty(), text(result.Out));
        const QString err = text(result.Err);
        FUZZ_CHECK(err.count(u'\n') == 1 && err.endsWith(u'\n'), err);
        FUZZ_CHECK(err.startsWith(u"vemora-calc : fichier vide"_s) ||
                       (err.startsWith(u"vemora-calc : ligne %1 : colonne « "_s.arg(header + 1)) &&
                        err.endsWith(u" » absente de l'en-tête\n"_s)),
                   err);
        FUZZ_CHECK(err.startsWith(u"vemora-calc : fichier vide"_s) == (header == lines.size()),
                   err);
        return 0;
    }
    FUZZ_CHECK(result.Status == 0 || result.Status == 1, QString::number(result.Status));
    FUZZ_CHECK(header < lines.size(), QString());

    // The header, then one row per non-blank line, each starting with the line as it was.
    std::string_view out = result.Out;
    const std::string_view headerLine = lines[header];
    const std::string_view added = ";taux;forfait;montant;affiche;erreur\n";
    FUZZ_CHECK(out.substr(0, headerLine.size()) == headerLine &&
                   out.substr(headerLine.size(), added.size()) == added,
               text(out.substr(0, 200)));
    out.remove_prefix(headerLine.size() + added.size());
    const QList<std::string_view> errors = [&] {
        QList<std::string_view> list;
        std::string_view err = result.Err;
        while (!err.empty()) {
            const size_t end = err.find('\n');
            FUZZ_CHECK(end != std::string_view::npos, text(err));
            list.append(err.substr(0, end));
            err.remove_prefix(end + 1);
        }
        return list;
    }();
    qsizetype nextError = 0;
    for (qsizetype i = header + 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (isBlankLine(line))
            continue;
        const QString context = u"line %1: "_s.arg(i + 1) + Shown(text(line));
        FUZZ_CHECK(out.substr(0, line.size()) == line, context);
        out.remove_prefix(line.size());
        const size_t end = out.find('\n');
        FUZZ_CHECK(end != std::string_view::npos, context);
        const QString rest = text(out.substr(0, end));
        out.remove_prefix(end + 1);
        if (!rest.startsWith(u";;;;;"_s) || rest.size() == 5) {
            checkComputed(rest, context + u" gives "_s + Shown(rest));
            continue;
        }
        // A row in error: its reason, without ';', also on the error output.
        const QString reason = rest.sliced(5);
        FUZZ_CHECK(!reason.contains(u';') && isKnownReason(reason), context + Shown(reason));
        FUZZ_CHECK(nextError < errors.size(), context);
        const QString expected = u"vemora-calc : ligne %1 : "_s.arg(i + 1) + reason;
        FUZZ_CHECK(text(errors[nextError]) == expected,
                   context + u" reported as "_s + Shown(text(errors[nextError])));
        ++nextError;
    }
    FUZZ_CHECK(out.empty(), u"output after the last row: "_s + Shown(text(out.substr(0, 200))));
    FUZZ_CHECK(nextError == errors.size(), u"more errors than rows in error"_s);
    FUZZ_CHECK((result.Status == 1) == (nextError > 0), QString::number(result.Status));

    // Each row is computed on its own: alone under the header it gives the same columns.
    qsizetype checked = 0;
    std::string_view all = result.Out;
    all.remove_prefix(all.find('\n') + 1);
    for (qsizetype i = header + 1; i < lines.size() && checked < 4; ++i) {
        if (isBlankLine(lines[i]))
            continue;
        ++checked;
        const size_t end = all.find('\n');
        const std::string_view row = all.substr(0, end + 1);
        all.remove_prefix(end + 1);
        std::string alone = "\xEF\xBB\xBF";
        alone.append(headerLine).append("\r\n").append(lines[i]).append("\r\n");
        const TRun single = run(QByteArrayView(alone.data(), qsizetype(alone.size())));
        const std::string_view singleRow =
            std::string_view(single.Out).substr(single.Out.find('\n') + 1);
        FUZZ_CHECK(singleRow == row, u"line %1 alone gives "_s.arg(i + 1) + Shown(text(singleRow)) +
                                         u" instead of "_s + Shown(text(row)));
    }
    return 0;
}
