// A text as screen readers get it: numbers whole.
#include "SpokenText.h"

#include <algorithm>

namespace {

bool isDigit(const QString &text, qsizetype i)
{
    return i >= 0 && i < text.size() && text.at(i).isDigit();
}

// A blank inside a number: a no-break one between digits, or a plain one before a group of
// three digits that ends there ("12 000", as typed or as a rich text writes it).
bool isGroupBlank(const QString &text, qsizetype i)
{
    const QChar c = text.at(i);
    if (!isDigit(text, i - 1))
        return false;
    if (c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2009))
        return isDigit(text, i + 1);
    return c == u' ' && isDigit(text, i + 1) && isDigit(text, i + 2) && isDigit(text, i + 3) &&
           !isDigit(text, i + 4);
}

} // namespace

TSpokenText::TSpokenText(const QString &shown, bool whole)
{
    m_text.reserve(shown.size());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (whole && isGroupBlank(shown, i))
            continue;
        m_text += shown.at(i);
        m_shown.append(int(i));
    }
    m_shown.append(int(shown.size()));
}

int TSpokenText::FromShown(int shown) const
{
    return int(std::lower_bound(m_shown.cbegin(), m_shown.cend(), shown) - m_shown.cbegin());
}

int TSpokenText::ToShown(int spoken) const
{
    return m_shown.at(std::clamp(spoken, 0, int(m_shown.size()) - 1));
}

QString SpokenNumbers(const QString &shown)
{
    return TSpokenText(shown).Text();
}
