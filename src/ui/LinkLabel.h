// A label that acts as a link: hand pointer, hover notifications and clicks; a Tab stop that
// Enter and Space activate, framed while it has the keyboard.
#pragma once

#include <QColor>
#include <QLabel>

class TLinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TLinkLabel(QWidget *parent = nullptr);
    TLinkLabel(const QString &text, QWidget *parent = nullptr);

    // The label's own text colour, over whatever the theme gives (and its own background
    // when `background` is valid).
    void setTextColor(const QColor &color);
    void setOwnBackground(const QColor &background);
    QColor textColor() const { return m_textColor; }
    // The window's shortcut that does what the link does ("Ctrl+N"), told to screen readers.
    void setShortcutText(const QString &shortcut) { m_shortcut = shortcut; }
    QString ShortcutText() const { return m_shortcut; }
    // Follows the link, as a click does.
    void Click() { emit clicked(); }
    // The frame drawn around the link while it has the keyboard.
    static QColor FocusFrameColor() { return QColor(0xFF, 0xFF, 0xFF); }

signals:
    void clicked();
    void entered();
    void left();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyColors();

    QColor m_textColor;
    QColor m_background;
    bool m_keyboardFocus = false;
    QString m_shortcut;
};
