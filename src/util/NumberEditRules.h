// The rules of the numeric entry fields, as functions of their text.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// A typed character in a decimal field: "." becomes the decimal separator; digits, Backspace
// and the separator pass (one separator at most, unless the selection holds the present one);
// everything else, the minus sign included, gives a null character (swallowed).
QChar FilterNumberChar(QChar key, QStringView text, QStringView selected);
// A typed character in a day-count field: digits and Backspace only.
QChar FilterIntegerChar(QChar key, QStringView text, QStringView selected);

struct TEditText
{
    QString Text;
    int Caret = 0;
};
// The per-day distance cleaned while typed: digits, blanks, thousands separators, one
// decimal separator ("." counts as one) and a minus sign in first place only.
TEditText SanitizeNumberText(const QString &text, int caret);

// The per-day distance rewritten when the field is left: the decimals its reading keeps
// (2 at most, trailing zeros dropped), thousands grouped; 0 for an unreadable text; an empty
// text stays empty.
QString ReformatNumberText(const QString &text);

// The number of days of an income year (366 in a leap year).
int DaysInYear(int year);
// The day count capped at the days of the year; the text unchanged when it is within them
// or is not a whole number.
QString CapDayCountText(const QString &text, int year);

// A number written with at most `decimals` decimals, trailing zeros dropped, grouped.
QString NumberToTextUpTo(long double x, int decimals);
