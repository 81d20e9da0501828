// A text as screen readers get it: numbers whole, whatever separates their digit groups on
// screen.
#pragma once

#include <QList>
#include <QString>

// French voices read "4 857" with a no-break space (U+00A0) or a narrow one (U+202F) as two
// numbers, "quatre… huit cent cinquante-sept", and so does a screen reader with a plain space,
// at which it cuts the text: the blanks between the digit groups of a number are left out
// ("4857"), and each offset of the spoken text keeps its place in the text shown.
class TSpokenText
{
public:
    // `whole` false: the text as shown.
    explicit TSpokenText(const QString &shown, bool whole = true);

    const QString &Text() const { return m_text; }
    // The offset in the spoken text of a character of the text shown (a blank left out goes
    // with the digit after it), and back.
    int FromShown(int shown) const;
    int ToShown(int spoken) const;

private:
    QString m_text;
    QList<int> m_shown; // for each spoken character and the end, its offset in the text shown
};

// The text with its numbers whole.
QString SpokenNumbers(const QString &shown);
