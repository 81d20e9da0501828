// Fuzz target: number texts in the French format, read and written back.
//
// The input is read twice: as UTF-8 text for TextToNumber and NormalizeNumberText, and (its
// first ten bytes) as an extended number for NumberToText, RoundDecimals and
// NumberToShortText, together with the value the text reads as and that value's neighbours.
#include "DecimalDigits.h"
#include "FrenchLocale.h"
#include "FuzzCheck.h"
#include "NumberText.h"

#include <QRegularExpression>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

bool sameValue(long double a, long double b)
{
    return a == b && std::signbit(a) == std::signbit(b);
}

bool isBlank(QChar c)
{
    return c.unicode() <= u' ';
}

// The accepted form as a pattern, independent of the reader's state machine, applied to the
// text without its outer blanks and its thousands separators: spaces, sign, digits, decimal
// comma and digits, exponent, spaces.
const QRegularExpression &numberPattern()
{
    static const QRegularExpression pattern(
        u"^ *([+-]?)([0-9]*)(?:(,)([0-9]*))?(?:[eE]([+-]?[0-9]+))? *$"_s);
    return pattern;
}

// What the text should read as: false when it is not a number.
bool expectedReading(QStringView text, long double &value)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    QString cleaned = text.sliced(begin, end - begin).toString();
    cleaned.remove(AppNumberFormat().ThousandSeparator);
    const QRegularExpressionMatch match = numberPattern().match(cleaned);
    if (!match.hasMatch())
        return false;
    const QString digits = match.captured(2);
    const bool separator = match.hasCaptured(3);
    if (digits.isEmpty() && !separator)
        return false; // a lone sign, or an exponent with nothing before it
    QString ascii =
        match.captured(1) + (digits.isEmpty() ? u"0"_s : digits) + u'.' + match.captured(4);
    if (match.hasCaptured(5))
        ascii += u'e' + match.captured(5);
    // The fuzzer never sets a locale: strtold reads the "C" format.
    const QByteArray bytes = ascii.toLatin1();
    errno = 0;
    char *stop = nullptr;
    const long double v = std::strtold(bytes.constData(), &stop);
    FUZZ_CHECK(stop == bytes.constData() + bytes.size(), u"oracle text "_s + Shown(ascii));
    if (errno == ERANGE && std::isinf(v))
        return false; // too large for the extended format
    value = v;
    return true;
}

void checkReading(QStringView text)
{
    long double value = 0;
    const bool isNumber = TryTextToNumber(text, value);
    const long double plain = TextToNumber(text);
    long double expected = 0;
    const bool expectedNumber = expectedReading(text, expected);
    const QString context = Shown(text.toString());
    FUZZ_CHECK(isNumber == expectedNumber, context);
    if (isNumber) {
        FUZZ_CHECK(std::isfinite(value), context);
        FUZZ_CHECK(sameValue(value, expected),
                   context + u" read "_s + Exact(value) + u" instead of "_s + Exact(expected));
        FUZZ_CHECK(sameValue(plain, value), context);
    } else {
        FUZZ_CHECK(sameValue(plain, 0.0L), context + u" read "_s + Exact(plain));
    }
}

// NumberToText(x, n): a sign only before a value that is not zero, the integer digits grouped
// by threes, exactly n decimals; the exponent form only beyond 18 integer digits.
const QRegularExpression &fixedPattern(int decimals)
{
    static const auto patterns = [] {
        std::array<QRegularExpression, 19> list;
        for (int n = 0; n <= 18; ++n) {
            QString p = u"^-?(0|[1-9][0-9]{0,2}(\u202F[0-9]{3})*)"_s;
            if (n > 0)
                p += u",[0-9]{%1}"_s.arg(n);
            list[size_t(n)] = QRegularExpression(p + u'$');
        }
        return list;
    }();
    return patterns[size_t(decimals)];
}

const QRegularExpression &exponentPattern()
{
    static const QRegularExpression pattern(u"^-?[1-9](,[0-9]*[1-9])?E[+-][0-9]{2,4}$"_s);
    return pattern;
}

bool hasNonZeroDigit(const QString &text)
{
    for (const QChar c : text) {
        if (c == u'E')
            return false;
        if (c >= u'1' && c <= u'9')
            return true;
    }
    return false;
}

void checkNumberToText(long double x)
{
    const long double magnitude = std::fabs(x);
    // Beyond 18 integer digits and below 10^-19 the text is the same for every count of
    // decimals, and the exact conversion of far exponents is slow: the ends are enough there.
    const bool everyCount = std::isfinite(x) && magnitude < 1e18L && magnitude >= 1e-19L;
    for (int n = -1; n <= 19; ++n) {
        if (!everyCount && n > 0 && n < 18)
            continue;
        const int decimals = std::clamp(n, 0, 18);
        const QString text = NumberToText(x, n);
        const QString context =
            Exact(x) + u" with "_s + QString::number(n) + u" decimals: "_s + Shown(text);
        if (n != decimals)
            FUZZ_CHECK(text == NumberToText(x, decimals), context);
        const bool exponent = exponentPattern().match(text).hasMatch();
        FUZZ_CHECK(exponent || fixedPattern(decimals).match(text).hasMatch(), context);
        FUZZ_CHECK(!text.startsWith(u'-') || hasNonZeroDigit(text) || exponent, context);
        if (std::isfinite(x) && magnitude >= 1e18L)
            FUZZ_CHECK(exponent, context);
        if (!std::isfinite(x) || magnitude <= 999999999999999999.0L)
            FUZZ_CHECK(!exponent, context);

        const long double back = TextToNumber(text);
        const long double rounded = RoundDecimals(x, n);
        FUZZ_CHECK(sameValue(back, rounded),
                   context + u" reads "_s + Exact(back) + u", rounded "_s + Exact(rounded));
        // Near the largest extended number the rounded text may not read back (it is then 0).
        if (std::isfinite(x) && magnitude < 1e4932L) {
            const long double unit = exponent ? 0 : 0.5L * std::pow(10.0L, -decimals);
            const long double allowed = unit * (1 + 1e-15L) + magnitude * 1e-17L;
            FUZZ_CHECK(std::fabs(rounded - x) <= allowed,
                       context + u" rounded "_s + Exact(rounded));
        }
    }
}

// NumberToShortText(x) read back and written again gives the same text.
//
// Domain: from 1e15 on the short text takes the exponent form; there the text is only
// checked to read back as the value to 15 significant digits. The exact round trip is
// checked on the fixed form, below 1e15.
void checkShortText(long double x)
{
    static const QRegularExpression form(
        u"^-?(0|[1-9][0-9]{0,2}(\u202F[0-9]{3})*)(,[0-9]{0,14}[1-9])?$"_s);
    const QString text = NumberToShortText(x);
    if (!std::isfinite(x)) {
        FUZZ_CHECK(text == u"0"_s, Exact(x) + u": "_s + Shown(text));
        return;
    }
    const QString context = Exact(x) + u": "_s + Shown(text);
    if (text.contains(u'E')) {
        // The exponent keeps its zeros: "1E+20" is 10^20, not 10^2.
        const long double back = TextToNumber(text);
        FUZZ_CHECK(std::fabs(back - x) <= std::fabs(x) * 1e-14L, context);
        return;
    }
    FUZZ_CHECK(form.match(text).hasMatch(), context);
    FUZZ_CHECK(!text.startsWith(u'-') || hasNonZeroDigit(text), context);
    // Significant digits: from the first to the last that is not zero.
    qsizetype digits = 0;
    qsizetype first = -1;
    qsizetype last = -1;
    for (const QChar c : text) {
        if (!c.isDigit())
            continue;
        if (c != u'0') {
            first = first < 0 ? digits : first;
            last = digits;
        }
        ++digits;
    }
    FUZZ_CHECK(first < 0 || last - first + 1 <= 15, context);
    const long double back = TextToNumber(text);
    if (std::fabs(back) >= 1e15L)
        return;
    FUZZ_CHECK(NumberToShortText(back) == text,
               context + u" read back as "_s + Shown(NumberToShortText(back)));
    const long double allowed = 0.5e-15L * (1 + 1e-9L) + std::fabs(x) * 6e-15L;
    FUZZ_CHECK(std::fabs(back - x) <= allowed, context);
}

// The fast digit generation gives the digits of the exact binary value.
void checkDigits(long double x)
{
    for (const int count : {15, 18, 20}) {
        const TDecimalDigits fast = SignificantDigits(x, count);
        const TDecimalDigits exact = detail::SignificantDigitsByPrintf(x, count);
        FUZZ_CHECK(fast.Finite == exact.Finite && fast.Zero == exact.Zero &&
                       fast.Negative == exact.Negative && fast.Count == exact.Count &&
                       std::memcmp(fast.Digits, exact.Digits, size_t(fast.Count)) == 0 &&
                       (fast.Zero || !fast.Finite || fast.Exponent == exact.Exponent),
                   Exact(x) + u" with "_s + QString::number(count) + u" digits"_s);
    }
}

void checkValue(long double x)
{
    checkNumberToText(x);
    checkShortText(x);
    checkDigits(x);
}

// The extended number in the first ten bytes, when they hold one the processor produces:
// the encodings with a wrong integer bit (unnormals, pseudo-denormals, pseudo-infinities)
// never come out of an operation and are left out.
bool extendedFromBytes(const uint8_t *data, size_t size, long double &x)
{
    if (size < 10)
        return false;
    uint64_t mantissa = 0;
    uint16_t signExponent = 0;
    std::memcpy(&mantissa, data, 8);
    std::memcpy(&signExponent, data + 8, 2);
    const int exponent = signExponent & 0x7FFF;
    const bool integerBit = (mantissa >> 63) != 0;
    if (integerBit != (exponent != 0))
        return false;
    x = 0;
    std::memcpy(&x, data, 10);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    PinFrenchLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString decoded =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // A buffer of the exact size, so that a read past the end is caught by the sanitizer.
    const auto exact = std::make_unique<char16_t[]>(size_t(decoded.size()));
    std::memcpy(exact.get(), decoded.utf16(), size_t(decoded.size()) * sizeof(char16_t));
    const QStringView text(exact.get(), decoded.size());

    checkReading(text);

    const QString normalized = NormalizeNumberText(text);
    const long double value = TextToNumber(text);
    FUZZ_CHECK(normalized == NumberToShortText(value), Shown(decoded));
    // Idempotent on the fixed form (see checkShortText for the domain).
    if (!normalized.contains(u'E') && std::fabs(TextToNumber(normalized)) < 1e15L)
        FUZZ_CHECK(NormalizeNumberText(normalized) == normalized,
                   Shown(decoded) + u" gives "_s + Shown(normalized) + u" then "_s +
                       Shown(NormalizeNumberText(normalized)));

    checkValue(value);
    checkValue(std::nextafter(value, std::numeric_limits<long double>::infinity()));
    checkValue(std::nextafter(value, -std::numeric_limits<long double>::infinity()));
    long double raw = 0;
    if (extendedFromBytes(data, size, raw)) {
        checkValue(raw);
        // The same digits scaled between 2^-80 and 2^80, where the program's distances,
        // rates and amounts live and the decimals of the fixed form matter.
        if (std::isfinite(raw) && raw != 0) {
            int exponent = 0;
            const long double fraction = std::frexp(raw, &exponent);
            checkValue(std::ldexp(fraction, (exponent % 161 + 161) % 161 - 80));
        }
    }
    return 0;
}
