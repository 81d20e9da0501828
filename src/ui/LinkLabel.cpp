// A label that acts as a link: hand pointer, hover notifications and clicks.
#include "LinkLabel.h"

#include <QMouseEvent>

using namespace Qt::Literals::StringLiterals;

TLinkLabel::TLinkLabel(QWidget *parent)
    : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
}

TLinkLabel::TLinkLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
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
