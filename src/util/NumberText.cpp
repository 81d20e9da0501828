// Number text and rounding.
#include "NumberText.h"

#include "DecimalDigits.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

TFormatSettings &formatStorage()
{
    static TFormatSettings format = MakeFormatSettings(QLocale::system());
    return format;
}

// Numbers are converted by the C library in the "C" locale, whatever the program's
// LC_NUMERIC is: the decimal separator has been translated to '.' beforehand.
locale_t cLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}

constexpr int MaxTextDigits = 18; // significant digits of every number text
constexpr int ShortTextDigits = 15;

// Writes |x| cut after `decimals` decimals and after `maxSig` significant digits of its
// 18-digit form, a first dropped digit of 5 or more carrying upwards. Returns the length
// written into out (room for 64 characters).
int writeFixed(const TDecimalDigits &d, int decimals, int maxSig, const TFormatSettings &fmt,
               char16_t *out)
{
    // Places from 10^top down to 10^-decimals, one spare place on top for a carry.
    const int k = d.Zero ? 0 : d.Exponent;
    const int top = std::max(k, 0) + 1;
    const int places = top + decimals + 1;
    char digit[64];
    for (int i = 0; i < places; ++i) {
        const int place = top - i;
        const int index = k - place; // index into the significant digits
        digit[i] = (!d.Zero && index >= 0 && index < d.Count && index < maxSig)
                       ? static_cast<char>(d.Digits[index] - '0')
                       : 0;
    }
    const int keep = k + decimals + 1; // significant digits kept by the decimals
    const int firstDropped = std::min(keep, maxSig);
    if (!d.Zero && firstDropped >= 0 && firstDropped < d.Count && d.Digits[firstDropped] >= '5') {
        // Add one unit at the last kept place: 10^-decimals, or the last significant one.
        int i = keep <= maxSig ? places - 1 : (top - (k - (maxSig - 1)));
        while (i >= 0 && ++digit[i] == 10) {
            digit[i] = 0;
            --i;
        }
    }
    bool nonZero = false;
    for (int i = 0; i < places; ++i)
        nonZero = nonZero || digit[i] != 0;

    int len = 0;
    if (d.Negative && nonZero)
        out[len++] = u'-';
    const int intPlaces = top + 1;
    int first = 0;
    while (first < intPlaces - 1 && digit[first] == 0)
        ++first;
    for (int i = first; i < intPlaces; ++i) {
        const int fromRight = intPlaces - i;
        if (i > first && fromRight % 3 == 0 && !fmt.ThousandSeparator.isNull())
            out[len++] = fmt.ThousandSeparator.unicode();
        out[len++] = static_cast<char16_t>(u'0' + digit[i]);
    }
    if (decimals > 0) {
        out[len++] = fmt.DecimalSeparator.unicode();
        for (int i = intPlaces; i < places; ++i)
            out[len++] = static_cast<char16_t>(u'0' + digit[i]);
    }
    return len;
}

// The exponent form of values whose integer part is too long to be written out:
// "1,23456789012345678E+20".
int writeExponent(const TDecimalDigits &d, int maxSig, const TFormatSettings &fmt, char16_t *out)
{
    int count = std::min(d.Count, maxSig);
    int exponent = d.Exponent;
    char digits[24] = {};
    std::copy(d.Digits, d.Digits + count, digits);
    if (count < d.Count && d.Digits[count] >= '5') {
        int i = count - 1;
        while (i >= 0 && ++digits[i] > '9') {
            digits[i] = '0';
            --i;
        }
        if (i < 0) {
            digits[0] = '1';
            ++exponent;
        }
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;
    int len = 0;
    if (d.Negative)
        out[len++] = u'-';
    out[len++] = static_cast<char16_t>(digits[0]);
    if (count > 1) {
        out[len++] = fmt.DecimalSeparator.unicode();
        for (int i = 1; i < count; ++i)
            out[len++] = static_cast<char16_t>(digits[i]);
    }
    out[len++] = u'E';
    out[len++] = exponent < 0 ? u'-' : u'+';
    char buf[8];
    const int n = std::snprintf(buf, sizeof buf, "%02d", std::abs(exponent));
    for (int i = 0; i < n; ++i)
        out[len++] = static_cast<char16_t>(buf[i]);
    return len;
}

int writeNumber(const TDecimalDigits &d, int decimals, int maxSig, const TFormatSettings &fmt,
                char16_t *out)
{
    if (!d.Finite)
        return -1;
    if (!d.Zero && d.Exponent >= maxSig)
        return writeExponent(d, maxSig, fmt, out);
    return writeFixed(d, decimals, maxSig, fmt, out);
}

int writeNumber(long double x, int decimals, int maxSig, const TFormatSettings &fmt, char16_t *out)
{
    return writeNumber(SignificantDigits(x, MaxTextDigits), decimals, maxSig, fmt, out);
}

// What writeFixed writes with `decimals` decimals, as a whole number of 10^-decimals, when
// every digit it keeps is one of the 18 significant digits of d; false otherwise.
bool fixedUnits(const TDecimalDigits &d, int decimals, uint64_t &units)
{
    if (d.Zero) {
        units = 0;
        return true;
    }
    const int keep = d.Exponent + decimals + 1; // the digits at 10^-decimals and above
    if (keep > d.Count || d.Count > MaxTextDigits)
        return false;
    units = 0;
    for (int i = 0; i < keep; ++i)
        units = units * 10 + uint64_t(d.Digits[i] - '0');
    if (keep >= 0 && keep < d.Count && d.Digits[keep] >= '5')
        ++units; // at most 10^18: no overflow
    return true;
}

QString zeroText(int decimals, const TFormatSettings &fmt)
{
    QString text(u'0');
    if (decimals > 0) {
        text += fmt.DecimalSeparator;
        text += QString(decimals, u'0');
    }
    return text;
}

// Powers of ten that the extended format holds exactly (5^27 < 2^64).
constexpr int ExactPowersOfTen = 28;
constexpr std::array<long double, ExactPowersOfTen> exactPowersOfTen()
{
    std::array<long double, ExactPowersOfTen> powers{};
    long double p = 1;
    for (long double &power : powers) {
        power = p;
        p *= 10;
    }
    return powers;
}
constexpr std::array<long double, ExactPowersOfTen> PowersOfTen = exactPowersOfTen();

// "-123.45" with at most 19 significant digits and no exponent: the digits as a whole number
// and one division by an exact power of ten, which rounds the exact quotient once, to the
// nearest, as strtold does. False for any other text.
bool parseShortDecimal(const char *text, long double &value)
{
    const char *p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    uint64_t digits = 0;
    int significant = 0;
    int decimals = -1; // digits after the point, -1 before it
    bool any = false;
    for (; *p; ++p) {
        if (*p == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (*p < '0' || *p > '9')
            return false;
        any = true;
        if (decimals >= 0)
            ++decimals;
        if (digits == 0 && *p == '0')
            continue;
        if (++significant > 19)
            return false;
        digits = digits * 10 + uint64_t(*p - '0');
    }
    if (!any || decimals >= ExactPowersOfTen)
        return false;
    const long double magnitude =
        decimals > 0 ? (long double)digits / PowersOfTen[size_t(decimals)] : (long double)digits;
    value = negative ? -magnitude : magnitude;
    return true;
}

// Reads a plain ASCII number ("-12.5e3") in the "C" locale; false on overflow.
bool parseAscii(const char *text, long double &value)
{
    if (parseShortDecimal(text, value))
        return true;
    errno = 0;
    char *end = nullptr;
    const long double v = strtold_l(text, &end, cLocale());
    if (end == text || *end != '\0')
        return false;
    if (errno == ERANGE && std::isinf(v))
        return false;
    value = v;
    return true;
}

} // namespace

QStringView TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.sliced(begin, end - begin);
}

TFormatSettings MakeFormatSettings(const QLocale &locale)
{
    TFormatSettings fmt;
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    fmt.DecimalSeparator = decimal.isEmpty() ? QChar(u'.') : decimal.at(0);
    fmt.ThousandSeparator = group.isEmpty() ? QChar() : group.at(0);
    if (fmt.ThousandSeparator == fmt.DecimalSeparator)
        fmt.ThousandSeparator = QChar();
    return fmt;
}

void InitNumberFormats(const QLocale &locale)
{
    formatStorage() = MakeFormatSettings(locale);
}

const TFormatSettings &DefaultNumberFormat()
{
    return formatStorage();
}

const TFormatSettings &AppNumberFormat()
{
    return formatStorage();
}

QString StripThousandSeparators(QStringView text)
{
    const QChar sep = AppNumberFormat().ThousandSeparator;
    QString out = text.toString();
    if (!sep.isNull())
        out.remove(sep);
    return out;
}

QString CleanNumberText(QStringView text)
{
    return StripThousandSeparators(TrimBlanks(text));
}

bool TryTextToNumber(QStringView text, long double &value)
{
    const TFormatSettings &fmt = DefaultNumberFormat();
    const QChar thousand = AppNumberFormat().ThousandSeparator;
    const QStringView trimmed = TrimBlanks(text);

    // The accepted form: spaces, sign, digits, separator and digits, exponent, spaces.
    enum class State
    {
        Lead,
        Mantissa,
        Fraction,
        ExpSign,
        ExpDigits,
        Trail
    };
    State state = State::Lead;
    std::string ascii;
    ascii.reserve(static_cast<size_t>(trimmed.size()) + 2);
    bool mantissaDigit = false;
    bool separator = false;
    bool expDigit = false;
    for (const QChar c : trimmed) {
        if (!thousand.isNull() && c == thousand)
            continue;
        const char16_t u = c.unicode();
        const bool digit = u >= u'0' && u <= u'9';
        switch (state) {
        case State::Lead:
            if (u == u' ')
                continue;
            state = State::Mantissa;
            if (u == u'+' || u == u'-') {
                ascii.push_back(static_cast<char>(u));
                continue;
            }
            [[fallthrough]];
        case State::Mantissa:
        case State::Fraction:
            if (digit) {
                ascii.push_back(static_cast<char>(u));
                mantissaDigit = true;
                continue;
            }
            if (c == fmt.DecimalSeparator && state == State::Mantissa) {
                if (!mantissaDigit)
                    ascii.push_back('0'); // a lone separator reads as 0
                ascii.push_back('.');
                separator = true;
                state = State::Fraction;
                continue;
            }
            if ((u == u'e' || u == u'E') && (mantissaDigit || separator)) {
                ascii.push_back('e');
                state = State::ExpSign;
                continue;
            }
            if (u == u' ' && (mantissaDigit || separator)) {
                state = State::Trail;
                continue;
            }
            return false;
        case State::ExpSign:
            state = State::ExpDigits;
            if (u == u'+' || u == u'-') {
                ascii.push_back(static_cast<char>(u));
                continue;
            }
            [[fallthrough]];
        case State::ExpDigits:
            if (digit) {
                ascii.push_back(static_cast<char>(u));
                expDigit = true;
                continue;
            }
            if (u == u' ' && expDigit) {
                state = State::Trail;
                continue;
            }
            return false;
        case State::Trail:
            if (u == u' ')
                continue;
            return false;
        }
    }
    if (!(mantissaDigit || separator))
        return false; // empty text or a lone sign
    if ((state == State::ExpSign || state == State::ExpDigits) && !expDigit)
        return false;
    return parseAscii(ascii.c_str(), value);
}

long double TextToNumber(QStringView text)
{
    long double value = 0;
    if (!TryTextToNumber(text, value))
        return 0;
    return value;
}

QString NumberToText(long double x, int n)
{
    n = std::clamp(n, 0, 18);
    const TFormatSettings &fmt = DefaultNumberFormat();
    char16_t buf[64];
    const int len = writeNumber(x, n, MaxTextDigits, fmt, buf);
    if (len < 0)
        return zeroText(n, fmt);
    return QString(reinterpret_cast<const QChar *>(buf), len);
}

QString NumberToShortText(long double x)
{
    const TFormatSettings &fmt = DefaultNumberFormat();
    char16_t buf[64];
    const int len = writeNumber(x, ShortTextDigits, ShortTextDigits, fmt, buf);
    if (len < 0)
        return QStringLiteral("0");
    // Drop the trailing zeros of the decimals, and the separator when none remains. In the
    // exponent form they are those of the digits before the exponent: "1E+20" stays 10^20.
    QString exponent;
    QString whole = QString::fromUtf16(buf, len);
    if (const qsizetype e = whole.indexOf(u'E'); e >= 0) {
        exponent = whole.sliced(e);
        whole.truncate(e);
    }
    if (!whole.contains(AppNumberFormat().DecimalSeparator))
        return whole + exponent;
    QString text = ReverseText(whole);
    qsizetype zeros = 0;
    while (zeros < text.size() && text.at(zeros) == u'0')
        ++zeros;
    text.remove(0, zeros);
    if (text.startsWith(AppNumberFormat().DecimalSeparator))
        text.remove(0, 1);
    return ReverseText(text) + exponent;
}

QString NormalizeNumberText(QStringView text)
{
    return NumberToShortText(TextToNumber(text));
}

long double RoundDecimals(long double x, int n)
{
    // The value of NumberToText(x, n) read back, without building the locale's text.
    n = std::clamp(n, 0, 18);
    const TDecimalDigits d = SignificantDigits(x, MaxTextDigits);
    uint64_t units = 0;
    if (d.Finite && fixedUnits(d, n, units)) {
        // The text would be those units with n decimals, which reads back as one division by
        // an exact power of ten; a text of zeros reads back as +0.
        const long double value = (long double)units / PowersOfTen[size_t(n)];
        return d.Negative && units != 0 ? -value : value;
    }
    const TFormatSettings plain{QChar(u'.'), QChar()};
    char16_t buf[64];
    const int len = writeNumber(d, n, MaxTextDigits, plain, buf);
    if (len < 0)
        return 0;
    char ascii[64];
    for (int i = 0; i < len; ++i)
        ascii[i] = static_cast<char>(buf[i]);
    ascii[len] = '\0';
    long double value = 0;
    if (!parseAscii(ascii, value))
        return 0;
    return value;
}

long double RoundCents(long double x)
{
    return RoundDecimals(x, 2);
}

int64_t RoundHalfEven(long double x)
{
    if (std::isnan(x))
        return 0;
    constexpr long double limit = 9223372036854775808.0L; // 2^63
    if (x >= limit)
        return INT64_MAX;
    if (x < -limit)
        return INT64_MIN;
    const long double below = std::floor(x);
    const long double fraction = x - below; // exact below 2^63
    int64_t result = static_cast<int64_t>(below);
    if (fraction > 0.5L || (fraction == 0.5L && (result & 1) != 0))
        ++result;
    return result;
}

QString ReverseText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = text.size(); i > 0; --i) {
        const QChar c = text[i - 1];
        // Keep surrogate pairs in their order so the text stays valid.
        if (c.isLowSurrogate() && i > 1 && text[i - 2].isHighSurrogate()) {
            out += text[i - 2];
            out += c;
            --i;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// The significant text of x into out (room for 64 characters); returns its length.
template<typename Char>
int writeSignificant(long double x, int digits, Char decimalSeparator, Char *out)
{
    const TDecimalDigits d = SignificantDigits(x, std::clamp(digits, 1, 21));
    if (!d.Finite || d.Zero) {
        out[0] = '0';
        return 1;
    }
    int count = d.Count;
    while (count > 1 && d.Digits[count - 1] == '0')
        --count;
    int len = 0;
    if (d.Negative)
        out[len++] = '-';
    const int k = d.Exponent;
    if (k < -6 || k > 24) {
        TFormatSettings fmt{QChar(char16_t(decimalSeparator)), QChar()};
        TDecimalDigits trimmed = d;
        trimmed.Negative = false;
        char16_t exponent[64];
        const int written = writeExponent(trimmed, count, fmt, exponent);
        std::copy(exponent, exponent + written, out + len);
        return len + written;
    }
    if (k < 0) {
        out[len++] = '0';
        out[len++] = decimalSeparator;
        for (int i = 0; i < -k - 1; ++i)
            out[len++] = '0';
        for (int i = 0; i < count; ++i)
            out[len++] = Char(d.Digits[i]);
        return len;
    }
    for (int i = 0; i <= k; ++i)
        out[len++] = i < count ? Char(d.Digits[i]) : Char('0');
    if (count > k + 1) {
        out[len++] = decimalSeparator;
        for (int i = k + 1; i < count; ++i)
            out[len++] = Char(d.Digits[i]);
    }
    return len;
}

} // namespace

QString NumberToSignificantText(long double x, int digits, QChar decimalSeparator)
{
    char16_t buf[64];
    const int len = writeSignificant(x, digits, char16_t(decimalSeparator.unicode()), buf);
    return QString(reinterpret_cast<const QChar *>(buf), len);
}

void AppendSignificantText(std::string &out, long double x, int digits, char decimalSeparator)
{
    char ascii[64]; // digits, sign, separator and 'E' only
    out.append(ascii, size_t(writeSignificant(x, digits, decimalSeparator, ascii)));
}
