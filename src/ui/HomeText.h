// The home page read as a text by screen readers and the keyboard: its title, headings,
// instructions and notice, line by line.
#pragma once

#include <QStringList>
#include <QWidget>

// The page's text, under the browser that draws the page: it draws nothing itself, but takes the
// keyboard before the page's links, and the arrow keys move a caret through the text, which
// screen readers read as a document.
class THomeText : public QWidget
{
    Q_OBJECT

public:
    explicit THomeText(QWidget *parent);

    // The page's title and its text, one line per heading, paragraph or list item.
    void SetPage(const QString &title, const QStringList &lines);
    QString Text() const { return m_lines.join(u'\n'); }
    int Caret() const { return m_caret; }
    void MoveCaret(int offset);

signals:
    // The keyboard came into the text or left it: the page is framed meanwhile.
    void framed(bool on);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // Where the line holding `offset` starts and ends (before its line feed).
    int lineStart(int offset) const;
    int lineEnd(int offset) const;

    QStringList m_lines;
    int m_caret = 0;
    bool m_framed = false;
};

// The text of a home page file: its title, then its headings, paragraphs and list items, one
// per line, an item of a numbered list with its number.
QStringList HomePageLines(const QString &file, QString *title);
