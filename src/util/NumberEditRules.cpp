// The rules of the numeric entry fields, as functions of their text.
#include "NumberEditRules.h"

#include "NumberText.h"

namespace {

constexpr char16_t Backspace = 8;
constexpr char16_t Enter = 13;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QChar FilterNumberChar(QChar key, QStringView text, QStringView selected)
{
    const QChar ds = AppNumberFormat().DecimalSeparator;
    if (key == u'.')
        key = ds;
    if (!(key == QChar(Backspace) || key == QChar(Enter) || isDigit(key) || key == ds))
        return {};
    if (key == ds && text.contains(ds) && !selected.contains(ds))
        return {};
    return key;
}

QChar FilterIntegerChar(QChar key, QStringView text, QStringView selected)
{
    if (key == u'.' || key == AppNumberFormat().DecimalSeparator)
        return {};
    return FilterNumberChar(key, text, selected);
}

TEditText SanitizeNumberText(const QString &text, int caret)
{
    const TFormatSettings &fmt = AppNumberFormat();
    const QStringView trimmed = TrimBlanks(text);
    QString kept;
    kept.reserve(trimmed.size());
    for (const QChar c : trimmed) {
        if (isDigit(c) || c == u' ' || c == u'-' || c == u'.' || c == fmt.DecimalSeparator ||
            (!fmt.ThousandSeparator.isNull() && c == fmt.ThousandSeparator))
            kept += c;
    }
    QString out;
    out.reserve(kept.size());
    bool seen = false;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        QChar c = kept[i];
        if (c == u'-' && i == 0) {
            out += c; // a leading minus sign stays
            continue;
        }
        if (c == u'-')
            continue;
        if (c == u'.')
            c = fmt.DecimalSeparator;
        if (c == fmt.DecimalSeparator) {
            if (seen)
                continue;
            seen = true;
        }
        out += c;
    }
    // Removals can leave blanks at an end; trimming them keeps the rule idempotent.
    out = TrimBlanks(out).toString();
    return {out, std::min<int>(caret < 0 ? 0 : caret, int(out.size()))};
}

QString NumberToTextUpTo(long double x, int decimals)
{
    QString text = NumberToText(x, decimals);
    if (decimals <= 0)
        return text;
    const QChar ds = DefaultNumberFormat().DecimalSeparator;
    const qsizetype separator = text.lastIndexOf(ds);
    if (separator < 0 || text.contains(u'E'))
        return text;
    qsizetype end = text.size();
    while (end > separator + 1 && text[end - 1] == u'0')
        --end;
    if (end == separator + 1)
        --end;
    text.truncate(end);
    return text;
}

QString ReformatNumberText(const QString &text)
{
    if (text.isEmpty())
        return text;
    return NumberToTextUpTo(RoundCents(TextToNumber(StripThousandSeparators(text))), 2);
}

int DaysInYear(int year)
{
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 366 : 365;
}

QString CapDayCountText(const QString &text, int year)
{
    bool ok = false;
    const int days = text.toInt(&ok);
    if (!ok || text.isEmpty() || !(isDigit(text[0]) || text[0] == u'-' || text[0] == u'+'))
        return text;
    const int max = DaysInYear(year);
    return days > max ? QString::number(max) : text;
}
