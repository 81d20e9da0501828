// A control that screen readers read as one read-only text, whatever it draws: the text comes
// from the control, a caret moves in it, nothing can be selected or typed.
#pragma once

#include <QAccessibleWidget>
#include <QList>

#include <functional>

class TSpokenText;

class TReadOnlyTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    // What the control shows and how a screen reader follows it; offsets are those of the text
    // shown.
    struct TSource
    {
        std::function<QString()> Text;
        // The caret of a control whose own keys move one, and how to put it elsewhere; without
        // them the caret is the screen reader's own.
        std::function<int()> Caret;
        std::function<void(int)> MoveCaret;
        // Where each line starts, for a control that cuts its text into rows of its own;
        // without them a line ends at a line feed.
        std::function<QList<int>()> LineStarts;
        // Numbers read whole, their digit groups joined (see TSpokenText).
        bool WholeNumbers = false;
    };

    TReadOnlyTextAccessible(QWidget *widget, QAccessible::Role role,
                            std::function<QString()> content);
    TReadOnlyTextAccessible(QWidget *widget, QAccessible::Role role, TSource source);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    // The text stands for whatever the control holds.
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    void selection(int, int *startOffset, int *endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;

private:
    TSpokenText spoken() const;
    // The line `step` lines away from the one holding `offset`, in the control's own rows.
    QString rowText(int offset, int step, int *startOffset, int *endOffset) const;

    TSource m_source;
    int m_cursor = 0;
};
