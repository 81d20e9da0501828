// A control that screen readers read as one read-only text.
#include "ReadOnlyTextAccessible.h"

#include "SpokenText.h"

#include <algorithm>
#include <utility>

TReadOnlyTextAccessible::TReadOnlyTextAccessible(QWidget *widget, QAccessible::Role role,
                                                 std::function<QString()> content)
    : TReadOnlyTextAccessible(widget, role, TSource{std::move(content), {}, {}, {}, false})
{
}

TReadOnlyTextAccessible::TReadOnlyTextAccessible(QWidget *widget, QAccessible::Role role,
                                                 TSource source)
    : QAccessibleWidget(widget, role)
    , m_source(std::move(source))
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
        return spoken().Text();
    return QAccessibleWidget::text(t);
}

TSpokenText TReadOnlyTextAccessible::spoken() const
{
    return TSpokenText(m_source.Text(), m_source.WholeNumbers);
}

void TReadOnlyTextAccessible::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
}

int TReadOnlyTextAccessible::cursorPosition() const
{
    return m_source.Caret ? spoken().FromShown(m_source.Caret()) : m_cursor;
}

void TReadOnlyTextAccessible::setCursorPosition(int position)
{
    const TSpokenText text = spoken();
    position = std::clamp(position, 0, int(text.Text().size()));
    if (m_source.MoveCaret)
        m_source.MoveCaret(text.ToShown(position));
    else
        m_cursor = position;
}

QString TReadOnlyTextAccessible::text(int startOffset, int endOffset) const
{
    return spoken().Text().mid(startOffset, endOffset - startOffset);
}

int TReadOnlyTextAccessible::characterCount() const
{
    return int(spoken().Text().size());
}

QString TReadOnlyTextAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One run without attributes over the whole text.
    *startOffset = 0;
    *endOffset = std::max(offset, characterCount());
    return QString();
}

QString TReadOnlyTextAccessible::rowText(int offset, int step, int *startOffset,
                                         int *endOffset) const
{
    const TSpokenText text = spoken();
    QList<int> starts;
    for (int start : m_source.LineStarts())
        starts.append(text.FromShown(start));
    const int length = int(text.Text().size());
    *startOffset = *endOffset = -1;
    if (starts.isEmpty() || starts.first() != 0)
        starts.prepend(0);
    const int row =
        int(std::upper_bound(starts.cbegin(), starts.cend(), offset) - starts.cbegin()) - 1 + step;
    if (row < 0 || row >= starts.size())
        return QString();
    *startOffset = starts.at(row);
    *endOffset = row + 1 < starts.size() ? starts.at(row + 1) : length;
    return text.Text().mid(*startOffset, *endOffset - *startOffset);
}

QString TReadOnlyTextAccessible::textBeforeOffset(int offset,
                                                  QAccessible::TextBoundaryType boundaryType,
                                                  int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary && m_source.LineStarts)
        return rowText(offset, -1, startOffset, endOffset);
    return QAccessibleTextInterface::textBeforeOffset(offset, boundaryType, startOffset, endOffset);
}

QString TReadOnlyTextAccessible::textAfterOffset(int offset,
                                                 QAccessible::TextBoundaryType boundaryType,
                                                 int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary && m_source.LineStarts)
        return rowText(offset, 1, startOffset, endOffset);
    return QAccessibleTextInterface::textAfterOffset(offset, boundaryType, startOffset, endOffset);
}

QString TReadOnlyTextAccessible::textAtOffset(int offset,
                                              QAccessible::TextBoundaryType boundaryType,
                                              int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary && m_source.LineStarts)
        return rowText(offset, 0, startOffset, endOffset);
    return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
}
