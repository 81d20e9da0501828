// A control that screen readers read as one read-only text.
#include "ReadOnlyTextAccessible.h"

#include <algorithm>
#include <utility>

TReadOnlyTextAccessible::TReadOnlyTextAccessible(QWidget *widget, QAccessible::Role role,
                                                 std::function<QString()> content)
    : QAccessibleWidget(widget, role)
    , m_content(std::move(content))
{
}

void *TReadOnlyTextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TReadOnlyTextAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    return state;
}

QString TReadOnlyTextAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return m_content();
    return QAccessibleWidget::text(t);
}

void TReadOnlyTextAccessible::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
}

void TReadOnlyTextAccessible::setCursorPosition(int position)
{
    m_cursor = std::clamp(position, 0, characterCount());
}

QString TReadOnlyTextAccessible::text(int startOffset, int endOffset) const
{
    return m_content().mid(startOffset, endOffset - startOffset);
}

QString TReadOnlyTextAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = std::max(offset, characterCount());
    return QString();
}
