// What a screen reader is told of the program's own controls: links, amounts, lists, fields,
// pages and groups.
#include "Accessibility.h"

#include "AccessibleControls.h"
#include "LinkLabel.h"
#include "ReadOnlyTextAccessible.h"
#include "SpokenText.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace {

// The action a screen reader offers on a link, as browsers name it.
const QString ClickAction = u"click"_s;

// A link: its role, its text or its picture's name, its hint and shortcut, and "click".
class TLinkAccessible : public QAccessibleWidget
{
public:
    explicit TLinkAccessible(TLinkLabel *link)
        : QAccessibleWidget(link, QAccessible::Link)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const auto *link = static_cast<const TLinkLabel *>(widget());
        switch (t) {
        case QAccessible::Name:
            if (!link->accessibleName().isEmpty())
                return link->accessibleName();
            return link->text();
        case QAccessible::Description: {
            QString description = link->accessibleDescription();
            if (description.isEmpty())
                description = link->toolTip();
            // A picture named after its hint: the hint is not said twice.
            if (description == text(QAccessible::Name))
                description.clear();
            if (link->ShortcutText().isEmpty())
                return description;
            return description.isEmpty() ? link->ShortcutText()
                                         : description + u" ("_s + link->ShortcutText() + u')';
        }
        case QAccessible::Accelerator:
            return link->ShortcutText();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.focusable = widget()->focusPolicy() & Qt::TabFocus;
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{ClickAction} + QAccessibleWidget::actionNames();
    }

    QString localizedActionName(const QString &name) const override
    {
        return name == ClickAction ? u"Suivre le lien"_s
                                   : QAccessibleWidget::localizedActionName(name);
    }

    QString localizedActionDescription(const QString &name) const override
    {
        return name == ClickAction ? text(QAccessible::Description)
                                   : QAccessibleWidget::localizedActionDescription(name);
    }

    QStringList keyBindingsForAction(const QString &name) const override
    {
        const auto *link = static_cast<const TLinkLabel *>(widget());
        if (name == ClickAction && !link->ShortcutText().isEmpty())
            return {link->ShortcutText()};
        return QAccessibleWidget::keyBindingsForAction(name);
    }

    void doAction(const QString &name) override
    {
        auto *link = static_cast<TLinkLabel *>(widget());
        if (name == ClickAction && link->isEnabled())
            link->Click();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *describe(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == u"TLinkLabel"_s)
        return new TLinkAccessible(static_cast<TLinkLabel *>(widget));
    // The main window is a frame of its own, not a pane.
    if (className == u"TF_Main"_s)
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == u"TParagraphList"_s) {
        // The paragraphs as one text, which screen readers read by sentence, and by row with the
        // arrow keys.
        auto *list = static_cast<TParagraphList *>(widget);
        return new TReadOnlyTextAccessible(widget, QAccessible::EditableText,
                                           {[list] { return list->Paragraphs(); },
                                            [list] { return list->Caret(); },
                                            [list](int offset) { list->MoveCaret(offset); },
                                            [list] { return list->RowStarts(); }, true});
    }
    // The group is said through its members' label: as a container it would be read as a panel
    // each time the keyboard enters it.
    if (className == u"TControlGroup"_s)
        return new QAccessibleWidget(widget, QAccessible::Section);
    if (className == u"TAnnouncer"_s)
        return new QAccessibleWidget(widget, QAccessible::Notification);
    return DescribeControl(className, widget);
}

} // namespace

void InstallAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(describe);
}

TControlGroup::TControlGroup(const QString &name, QWidget *parent)
    : QWidget(parent)
{
    InstallAccessibility();
    setAccessibleName(name);
}

void TControlGroup::LabelMembers(const QList<QWidget *> &members)
{
    // Labels that are never shown: the group's name is not on screen, its members say enough.
    for (QWidget *member : members) {
        auto *label = new QLabel(accessibleName(), this);
        label->setObjectName(member->objectName() + u"Group"_s);
        label->hide();
        label->setBuddy(member);
    }
}

TAnnouncer::TAnnouncer(QWidget *parent)
    : QWidget(parent)
{
    InstallAccessibility();
    setObjectName(u"Announcer"_s);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
}

void TAnnouncer::Announce(const QString &message)
{
    setAccessibleName(SpokenNumbers(message));
    // A notification becoming visible is what screen readers say at once.
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void Announce(const QWidget *control, const QString &message)
{
    if (auto *announcer = control->window()->findChild<TAnnouncer *>())
        announcer->Announce(message);
}

void ShowAmount(QLabel *result, const QString &amount, const QString &spokenCaption)
{
    const bool changed = result->text() != amount;
    result->setText(amount);
    const QString spoken = amount.isEmpty()
                               ? spokenCaption + u" aucun montant calculé"_s
                               : spokenCaption + u' ' + SpokenNumbers(amount) + u" euros"_s;
    result->setAccessibleName(spoken);
    if (changed && !amount.isEmpty())
        Announce(result, spoken);
}

void FollowChosenEntry(QComboBox *list)
{
    InstallAccessibility();
    QObject::connect(list, &QComboBox::currentIndexChanged, list, [list](int index) {
        // Open, the list's own rows say the entry; a change made by the program is not said.
        if (index < 0 || !list->hasFocus() || list->view()->isVisible() || !QAccessible::isActive())
            return;
        if (QAccessibleInterface *entry =
                QAccessible::queryAccessibleInterface(list)->child(index)) {
            QAccessibleEvent chosen(entry, QAccessible::Focus);
            QAccessible::updateAccessibility(&chosen);
        }
    });
}

TParagraphList::TParagraphList(QWidget *parent)
    : QListWidget(parent)
{
    InstallAccessibility();
}

void TParagraphList::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The row the keyboard reaches is the caret screen readers follow, said before the list tells
    // of its current row: a screen reader reads the caret's move as the result of the key, as
    // long as no other news came first.
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, Caret());
        QAccessible::updateAccessibility(&moved);
    }
    QListWidget::currentChanged(current, previous);
}

QString TParagraphList::paragraphs(QList<int> *rowStarts) const
{
    QString text;
    bool inParagraph = false;
    for (int row = 0; row < count(); ++row) {
        const QString line = item(row)->text().simplified();
        if (line.isEmpty()) {
            rowStarts->append(-1);
            inParagraph = false;
            continue;
        }
        if (!text.isEmpty())
            text += inParagraph ? u' ' : u'\n';
        rowStarts->append(int(text.size()));
        text += line;
        inParagraph = true;
    }
    return text;
}

QString TParagraphList::Paragraphs() const
{
    QList<int> starts;
    return paragraphs(&starts);
}

QList<int> TParagraphList::RowStarts() const
{
    QList<int> starts;
    paragraphs(&starts);
    starts.removeAll(-1);
    return starts;
}

int TParagraphList::Caret() const
{
    QList<int> starts;
    paragraphs(&starts);
    // A blank row stands for the paragraph after it.
    for (int row = std::max(0, currentRow()); row < starts.size(); ++row) {
        if (starts.at(row) >= 0)
            return starts.at(row);
    }
    return 0;
}

void TParagraphList::MoveCaret(int offset)
{
    QList<int> starts;
    paragraphs(&starts);
    int found = -1;
    for (int row = 0; row < starts.size(); ++row) {
        if (starts.at(row) >= 0 && starts.at(row) <= offset)
            found = row;
    }
    if (found >= 0 && found != currentRow())
        setCurrentRow(found);
}

TReadOnlyText::TReadOnlyText(QWidget *parent)
    : QTextEdit(parent)
{
    InstallAccessibility();
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    setTabChangesFocus(true);
}

TFocusLabel::TFocusLabel(const QColor &frameColor, QWidget *parent)
    : QLabel(parent)
    , m_frameColor(frameColor)
{
    InstallAccessibility();
}

void TFocusLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(m_frameColor, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
