// Fuzz target: the per-day distance field cleaned while typed (SanitizeNumberText, the text
// rule of SanitizeNumberEdit) and rewritten when left (ReformatNumberText).
//
// Input: two bytes of caret position (little-endian, signed), then the field's text in UTF-8.
#include "FrenchLocale.h"
#include "FuzzCheck.h"
#include "NumberEditRules.h"
#include "NumberText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isBlank(QChar c)
{
    return c.unicode() <= u' ';
}

// The characters that may belong to a number being typed.
bool mayStay(QChar c)
{
    return isDigit(c) || c == u' ' || c == u'-' || c == u'.' || c == u',' ||
           c == AppNumberFormat().ThousandSeparator;
}

QString digitsAndSeparators(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (isDigit(c) || c == AppNumberFormat().ThousandSeparator)
            out += c;
    }
    return out;
}

// True when `kept` can be obtained from `whole` by removing characters.
bool isSubsequence(const QString &kept, const QString &whole)
{
    qsizetype i = 0;
    for (const QChar c : whole) {
        if (i < kept.size() && kept[i] == c)
            ++i;
    }
    return i == kept.size();
}

void checkSanitize(const QString &text, int caret)
{
    const TEditText once = SanitizeNumberText(text, caret);
    const QString &out = once.Text;
    const QString context = Shown(text) + u" caret "_s + QString::number(caret) + u" gives "_s +
                            Shown(out) + u" caret "_s + QString::number(once.Caret);

    for (const QChar c : out)
        FUZZ_CHECK(isDigit(c) || c == u' ' || c == u'-' || c == u',' ||
                       c == AppNumberFormat().ThousandSeparator,
                   context);
    FUZZ_CHECK(out.count(u',') <= 1, context);
    FUZZ_CHECK(out.lastIndexOf(u'-') <= 0, context);
    FUZZ_CHECK(out.isEmpty() || (!isBlank(out.front()) && !isBlank(out.back())), context);
    // The caret stays where it was, or comes to the end of a text now shorter.
    FUZZ_CHECK(once.Caret == std::clamp(caret, 0, int(out.size())), context);

    // Characters are only removed, "." becoming ","; digits and thousands separators all stay.
    QString pointAsComma = text;
    pointAsComma.replace(u'.', u',');
    FUZZ_CHECK(isSubsequence(out, pointAsComma), context);
    FUZZ_CHECK(digitsAndSeparators(out) == digitsAndSeparators(text), context);

    // The first decimal separator stays, with the digits before it.
    const qsizetype first = pointAsComma.indexOf(u',');
    FUZZ_CHECK(out.contains(u',') == (first >= 0), context);
    if (first >= 0)
        FUZZ_CHECK(digitsAndSeparators(out.first(out.indexOf(u','))) ==
                       digitsAndSeparators(text.first(first)),
                   context);

    // A minus sign stays only when it comes first among the characters that may stay.
    qsizetype begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    QChar firstKept;
    for (qsizetype i = begin; i < text.size() && firstKept.isNull(); ++i) {
        if (mayStay(text[i]))
            firstKept = text[i];
    }
    FUZZ_CHECK(out.startsWith(u'-') == (firstKept == u'-'), context);

    // Cleaning again changes nothing.
    const TEditText twice = SanitizeNumberText(out, once.Caret);
    FUZZ_CHECK(twice.Text == out && twice.Caret == once.Caret,
               context + u" then "_s + Shown(twice.Text));
}

// Leaving the field: a readable number with two decimals at most, unchanged when left again.
void checkReformat(const QString &text)
{
    const QString out = ReformatNumberText(text);
    const QString context = Shown(text) + u" gives "_s + Shown(out);
    if (text.isEmpty()) {
        FUZZ_CHECK(out.isEmpty(), context);
        return;
    }
    long double value = 0;
    FUZZ_CHECK(TryTextToNumber(out, value), context);
    const qsizetype separator = out.indexOf(u',');
    if (!out.contains(u'E') && separator >= 0) {
        FUZZ_CHECK(out.size() - separator - 1 <= 2, context);
        FUZZ_CHECK(!out.endsWith(u'0'), context);
    }
    FUZZ_CHECK(ReformatNumberText(out) == out,
               context + u" then "_s + Shown(ReformatNumberText(out)));
}

// A typed character is swallowed or passes, "." turning into the decimal comma, and a second
// comma only passes when the selection holds the first.
void checkTypedChar(QChar key, const QString &text, const QString &selected)
{
    const QChar number = FilterNumberChar(key, text, selected);
    const QString context = Shown(QString(key)) + u" in "_s + Shown(text);
    FUZZ_CHECK(number.isNull() || number == key || (key == u'.' && number == u','), context);
    if (isDigit(key))
        FUZZ_CHECK(number == key, context);
    if (number == u',')
        FUZZ_CHECK(!text.contains(u',') || selected.contains(u','), context);
    const QChar integer = FilterIntegerChar(key, text, selected);
    FUZZ_CHECK(integer.isNull() || (integer == key && key != u',' && key != u'.'), context);
    if (isDigit(key))
        FUZZ_CHECK(integer == key, context);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    PinFrenchLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    int16_t caret = 0;
    std::memcpy(&caret, data, 2);
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    checkSanitize(text, caret);
    const QString cleaned = SanitizeNumberText(text, caret).Text;
    checkReformat(cleaned);
    checkReformat(text);
    if (!text.isEmpty()) {
        // The last character typed into the rest, with a selection from the caret on.
        const QString before = text.first(text.size() - 1);
        const qsizetype from = std::clamp<qsizetype>(caret, 0, before.size());
        checkTypedChar(text.back(), before, before.sliced(from));
    }
    return 0;
}
