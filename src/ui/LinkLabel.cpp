// A label that acts as a link: hand pointer, hover notifications, clicks and keys.
#include "LinkLabel.h"

#include "Accessibility.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

TLinkLabel::TLinkLabel(QWidget *parent)
    : QLabel(parent)
{
    InstallAccessibility();
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab, not taken by a click: a click acts at once and leaves the keyboard
    // where it was.
    setFocusPolicy(Qt::TabFocus);
}

TLinkLabel::TLinkLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    InstallAccessibility();
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void TLinkLabel::setTextColor(const QColor &color)
{
    m_textColor = color;
    applyColors();
}

void TLinkLabel::setOwnBackground(const QColor &background)
{
    m_background = background;
    applyColors();
}

void TLinkLabel::applyColors()
{
    // A style sheet of the label's own wins over the theme's. It names the label's class: a
    // sheet without a selector would also colour the label's tooltip, which is drawn in the
    // label's style.
    QString sheet;
    if (m_textColor.isValid())
        sheet += u"color: %1;"_s.arg(m_textColor.name());
    if (m_background.isValid())
        sheet += u"background-color: %1;"_s.arg(m_background.name());
    setStyleSheet(sheet.isEmpty() ? QString() : u"TLinkLabel { %1 }"_s.arg(sheet));
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void TLinkLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    emit entered();
}

void TLinkLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    emit left();
}

void TLinkLabel::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (!m_keyboardFocus) {
        m_keyboardFocus = true;
        update();
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (modifiers == Qt::NoModifier && !event->isAutoRepeat()) {
            event->accept();
            Click();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void TLinkLabel::focusInEvent(QFocusEvent *event)
{
    QLabel::focusInEvent(event);
    // Framed when the keyboard brought the focus, as browsers do; back from another window,
    // the link stays as it was.
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        m_keyboardFocus = true;
        break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;
    default:
        m_keyboardFocus = false;
        break;
    }
    update();
}

void TLinkLabel::focusOutEvent(QFocusEvent *event)
{
    QLabel::focusOutEvent(event);
    update();
}

void TLinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus() || !m_keyboardFocus)
        return;
    // A plain one-pixel frame just inside the label, light on the dark window and on the
    // blue of "Accéder à la calculatrice" alike.
    QPainter painter(this);
    painter.setPen(QPen(FocusFrameColor(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
