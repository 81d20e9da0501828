// Pins the French number format for a test and helps writing French number texts.
#pragma once

#include "NumberText.h"

#include <QLocale>
#include <QString>

Q_DECLARE_METATYPE(long double)

// Qt's French thousands separator is the narrow no-break space U+202F.
inline constexpr char16_t FrenchThousands = u'\u202F';

inline void PinFrenchLocale()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    InitNumberFormats(QLocale(QLocale::French, QLocale::France));
}

// "1 234,5" with each plain space turned into the French thousands separator.
inline QString Fr(const QString &text)
{
    QString out = text;
    out.replace(u' ', QChar(FrenchThousands));
    return out;
}
