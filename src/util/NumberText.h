// Number text and rounding: how distances, rates and amounts become text and back.
#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>

// The separators of a number format. A null ThousandSeparator means no grouping.
struct TFormatSettings
{
    QChar DecimalSeparator = u'.';
    QChar ThousandSeparator;
};

TFormatSettings MakeFormatSettings(const QLocale &locale);

// Sets the program's number format from the user's locale; called once at start-up, before
// any window exists. Until it is called the format is that of QLocale::system().
void InitNumberFormats(const QLocale &locale = QLocale::system());

// The number format of the user's locale, used to write and read numbers.
const TFormatSettings &DefaultNumberFormat();
// The program's own copy, whose separators the entry fields strip and tidy.
const TFormatSettings &AppNumberFormat();

QString StripThousandSeparators(QStringView text);
// The text without the blanks (every character up to the space) at its ends.
QStringView TrimBlanks(QStringView text);
QString CleanNumberText(QStringView text);

// Reads a number; false when the text is not one (empty text, stray characters, a value
// too large for the extended format). The thousands separator is ignored anywhere.
bool TryTextToNumber(QStringView text, long double &value);
// As TryTextToNumber, 0 when the text is not a number. Never fails.
long double TextToNumber(QStringView text);

// x with exactly n decimals (0 to 18), digits grouped by thousands, halves away from zero.
QString NumberToText(long double x, int n);
// x with its own decimals only, 15 significant digits at most.
QString NumberToShortText(long double x);
// An entered number written back with its own decimals only.
QString NormalizeNumberText(QStringView text);

long double RoundDecimals(long double x, int n);
long double RoundCents(long double x);
// The nearest integer, a tie going to the even one; saturates outside the 64-bit range.
int64_t RoundHalfEven(long double x);

QString ReverseText(QStringView text);

// x with `digits` significant digits (1 to 21), trailing zeros dropped, never grouped:
// the exact value of an amount for scripts and tests ("1259.9999999999999999").
QString NumberToSignificantText(long double x, int digits, QChar decimalSeparator = u'.');
// The same text appended to `out`, for an ASCII decimal separator.
void AppendSignificantText(std::string &out, long double x, int digits, char decimalSeparator);
