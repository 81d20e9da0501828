// A control that screen readers read as one read-only text, whatever it draws: the text comes
// from the control, a caret moves in it, nothing can be selected or typed.
#pragma once

#include <QAccessibleWidget>

#include <functional>

class TReadOnlyTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    TReadOnlyTextAccessible(QWidget *widget, QAccessible::Role role,
                            std::function<QString()> content);

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
    int cursorPosition() const override { return m_cursor; }
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override { return int(m_content().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    std::function<QString()> m_content;
    int m_cursor = 0;
};
