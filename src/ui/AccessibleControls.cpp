// Screen readers' view of the entry fields, lists, result texts, pages and the home page's text.
#include "AccessibleControls.h"

#include "HomeText.h"
#include "ReadOnlyTextAccessible.h"
#include "SpokenText.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QWindow>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Where a widget stands on the screen.
QRect screenRect(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

// A numeric entry field. Qt's own description of a line edit gives each character a run of text
// attributes of its own that ends where it starts, and a screen reader that joins the runs drops
// the last digit ("12000" said "1200"); here one run covers the text, and the numbers a field
// shows grouped ("30 000") are read whole.
class TNumberEditAccessible : public QAccessibleWidget,
                              public QAccessibleTextInterface,
                              public QAccessibleEditableTextInterface
{
public:
    explicit TNumberEditAccessible(QLineEdit *edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectableText = true;
        state.readOnly = edit()->isReadOnly();
        state.editable = !edit()->isReadOnly();
        return state;
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? spoken().Text() : QAccessibleWidget::text(t);
    }

    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t == QAccessible::Value)
            edit()->setText(text);
        else
            QAccessibleWidget::setText(t, text);
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !edit()->hasSelectedText())
            return;
        const TSpokenText text = spoken();
        const int start = edit()->selectionStart();
        *startOffset = text.FromShown(start);
        *endOffset = text.FromShown(start + int(edit()->selectedText().size()));
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int) override { edit()->deselect(); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        const TSpokenText text = spoken();
        const int start = text.ToShown(startOffset);
        edit()->setSelection(start, text.ToShown(endOffset) - start);
    }
    int cursorPosition() const override { return spoken().FromShown(edit()->cursorPosition()); }
    void setCursorPosition(int position) override
    {
        edit()->setCursorPosition(spoken().ToShown(position));
    }
    QString text(int startOffset, int endOffset) const override
    {
        return spoken().Text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(spoken().Text().size()); }
    QRect characterRect(int) const override { return screenRect(edit()); }
    int offsetAtPoint(const QPoint &point) const override
    {
        return spoken().FromShown(edit()->cursorPositionAt(edit()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = std::max(offset, characterCount());
        return QString();
    }

    void deleteText(int startOffset, int endOffset) override
    {
        replaceText(startOffset, endOffset, QString());
    }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        const TSpokenText spokenText = spoken();
        const int start = spokenText.ToShown(startOffset);
        edit()->setText(edit()->text().replace(start, spokenText.ToShown(endOffset) - start, text));
    }

private:
    QLineEdit *edit() const { return static_cast<QLineEdit *>(widget()); }
    TSpokenText spoken() const { return TSpokenText(edit()->text()); }
};

// One entry of a pick-only list, for screen readers to go to as the arrow keys choose it.
class TListEntryAccessible : public QAccessibleInterface
{
public:
    TListEntryAccessible(QComboBox *list, int index)
        : m_list(list)
        , m_index(index)
    {
    }

    bool isValid() const override { return m_list && m_index < m_list->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation) const override
    {
        return {};
    }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_list ? QAccessible::queryAccessibleInterface(m_list) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? SpokenNumbers(m_list->itemText(m_index))
                                                   : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return m_list ? screenRect(m_list) : QRect(); }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const bool chosen = m_index == m_list->currentIndex();
        state.selectable = true;
        state.focusable = true;
        state.selected = chosen;
        state.focused = chosen && m_list->hasFocus();
        state.invisible = !m_list->isVisible();
        return state;
    }

private:
    QPointer<QComboBox> m_list;
    int m_index;
};

// A pick-only list: its entries as children, and the chosen one as its text, which is where a
// screen reader looks for the value of a list that tells no selection (Qt 6.4 has no selection
// interface to offer).
class TPickListAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TPickListAccessible(QComboBox *list)
        : QAccessibleWidget(list, QAccessible::ComboBox)
    {
    }

    ~TPickListAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_entries))
            QAccessible::deleteAccessibleInterface(id);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return chosen();
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = chosen();
        return text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = list()->view()->isVisible();
        return state;
    }

    int childCount() const override { return list()->count(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= list()->count())
            return nullptr;
        while (m_entries.size() <= index) {
            m_entries.append(QAccessible::registerAccessibleInterface(
                new TListEntryAccessible(list(), int(m_entries.size()))));
        }
        return QAccessible::accessibleInterface(m_entries.at(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int index = 0; index < m_entries.size(); ++index) {
            if (QAccessible::accessibleInterface(m_entries.at(index)) == child)
                return index;
        }
        return -1;
    }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &name) override
    {
        if (name == showMenuAction() || name == pressAction())
            list()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

    // The chosen entry, read only.
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return chosen().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(chosen().size()); }
    QRect characterRect(int) const override { return screenRect(list()); }
    int offsetAtPoint(const QPoint &) const override { return 0; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = std::max(offset, characterCount());
        return QString();
    }

private:
    QComboBox *list() const { return static_cast<QComboBox *>(widget()); }
    QString chosen() const { return SpokenNumbers(list()->currentText()); }

    mutable QList<QAccessible::Id> m_entries;
};

// A read-only rich text (the working of a comparison): its plain text, in the lines it is
// shown in, the caret where the keyboard puts it, numbers whole.
TReadOnlyTextAccessible *describeReadOnlyText(QTextEdit *edit)
{
    // Positions in the document are those of its raw text, paragraph breaks included.
    const auto text = [edit] {
        return edit->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
    };
    const auto lineStarts = [edit] {
        QList<int> starts;
        for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
            const QTextLayout *layout = block.layout();
            if (!layout || layout->lineCount() == 0) {
                starts.append(block.position());
                continue;
            }
            for (int line = 0; line < layout->lineCount(); ++line)
                starts.append(block.position() + layout->lineAt(line).textStart());
        }
        return starts;
    };
    const auto moveCaret = [edit](int offset) {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(offset);
        edit->setTextCursor(cursor);
    };
    return new TReadOnlyTextAccessible(
        edit, QAccessible::EditableText,
        {text, [edit] { return edit->textCursor().position(); }, moveCaret, lineStarts, true});
}

// A page of the calculator: named after its tab, as the keyboard enters it.
class TPageAccessible : public QAccessibleWidget
{
public:
    explicit TPageAccessible(QWidget *page)
        : QAccessibleWidget(page, QAccessible::PageTab)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        for (QWidget *parent = widget()->parentWidget(); parent; parent = parent->parentWidget()) {
            if (auto *pages = qobject_cast<QTabWidget *>(parent))
                return pages->tabText(pages->indexOf(widget())).remove(u'&');
        }
        return QAccessibleWidget::text(t);
    }
};

// A label in a role of its own, its name being its text without the blanks around it.
class TLabelAccessible : public QAccessibleWidget
{
public:
    TLabelAccessible(QWidget *label, QAccessible::Role role)
        : QAccessibleWidget(label, role)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = static_cast<QLabel *>(widget())->text().trimmed();
        return text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        // The page's title takes the keyboard when the page changes with Ctrl+Tab.
        state.focusable = true;
        return state;
    }
};

} // namespace

QAccessibleInterface *DescribeControl(const QString &className, QWidget *widget)
{
    if (className == u"TNumberEdit"_s)
        return new TNumberEditAccessible(static_cast<QLineEdit *>(widget));
    if (className == u"QComboBox"_s && !static_cast<QComboBox *>(widget)->isEditable())
        return new TPickListAccessible(static_cast<QComboBox *>(widget));
    if (className == u"TReadOnlyText"_s)
        return describeReadOnlyText(static_cast<QTextEdit *>(widget));
    if (className == u"TAmountLabel"_s)
        return new TLabelAccessible(widget, QAccessible::StaticText);
    if (className == u"TPageTitle"_s)
        return new TLabelAccessible(widget, QAccessible::Heading);
    if (className == u"TPage"_s)
        return new TPageAccessible(widget);
    // The pages' stack adds nothing a screen reader should say between the window and a page.
    if (className == u"QStackedWidget"_s && qobject_cast<QTabWidget *>(widget->parentWidget()))
        return new QAccessibleWidget(widget, QAccessible::Client);
    if (className == u"THomeText"_s) {
        auto *home = static_cast<THomeText *>(widget);
        return new TReadOnlyTextAccessible(home, QAccessible::Document,
                                           {[home] { return home->Text(); },
                                            [home] { return home->Caret(); },
                                            [home](int offset) { home->MoveCaret(offset); },
                                            {},
                                            true});
    }
    return nullptr;
}
