// Number text and rounding.
#include "NumberText.h"

#include "DecimalDigits.h"

#include <algorithm>
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

int writeNumber(long double x, int decimals, int maxSig, const TFormatSettings &fmt, char16_t *out)
{
    const TDecimalDigits d = SignificantDigits(x, MaxTextDigits);
    if (!d.Finite)
        return -1;
    if (!d.Zero && d.Exponent >= maxSig)
        return writeExponent(d, maxSig, fmt, out);
    return writeFixed(d, decimals, maxSig, fmt, out);
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

// Reads a plain ASCII number ("-12.5e3") in the "C" locale; false on overflow.
bool parseAscii(const char *text, long double &value)
{
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
    const TFormatSettings plain{QChar(u'.'), QChar()};
    char16_t buf[64];
    const int len = writeNumber(x, n, MaxTextDigits, plain, buf);
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

QString NumberToSignificantText(long double x, int digits, QChar decimalSeparator)
{
    const TDecimalDigits d = SignificantDigits(x, std::clamp(digits, 1, 21));
    if (!d.Finite)
        return QStringLiteral("0");
    if (d.Zero)
        return QStringLiteral("0");
    int count = d.Count;
    while (count > 1 && d.Digits[count - 1] == '0')
        --count;
    QString text;
    if (d.Negative)
        text += u'-';
    const int k = d.Exponent;
    if (k < -6 || k > 24) {
        TFormatSettings fmt{decimalSeparator, QChar()};
        TDecimalDigits trimmed = d;
        trimmed.Negative = false;
        char16_t buf[64];
        const int len = writeExponent(trimmed, count, fmt, buf);
        return text + QString(reinterpret_cast<const QChar *>(buf), len);
    }
    if (k < 0) {
        text += u'0';
        text += decimalSeparator;
        text += QString(-k - 1, u'0');
        for (int i = 0; i < count; ++i)
            text += QLatin1Char(d.Digits[i]);
        return text;
    }
    for (int i = 0; i <= k; ++i)
        text += i < count ? QLatin1Char(d.Digits[i]) : QChar(u'0');
    if (count > k + 1) {
        text += decimalSeparator;
        for (int i = k + 1; i < count; ++i)
            text += QLatin1Char(d.Digits[i]);
    }
    return text;
}
