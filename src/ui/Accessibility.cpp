// What a screen reader is told of the program's own controls: links, amounts and groups.
#include "Accessibility.h"

#include "LinkLabel.h"
#include "ReadOnlyTextAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

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
            if (!link->ShortcutText().isEmpty())
                description += u" ("_s + link->ShortcutText() + u')';
            return description.trimmed();
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
    if (className == u"TParagraphList"_s)
        // The paragraphs as one text, which screen readers read by sentence, not the rows.
        return new TReadOnlyTextAccessible(widget, QAccessible::EditableText, [widget] {
            return static_cast<TParagraphList *>(widget)->Paragraphs();
        });
    if (className == u"TControlGroup"_s)
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    if (className == u"TAnnouncer"_s)
        return new QAccessibleWidget(widget, QAccessible::Notification);
    return nullptr;
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
    setAccessibleName(name);
}

TAnnouncer::TAnnouncer(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"Announcer"_s);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
}

void TAnnouncer::Announce(const QString &message)
{
    setAccessibleName(message);
    // A notification becoming visible is what screen readers say at once.
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void ShowAmount(QLabel *result, const QString &amount, const QString &spokenCaption)
{
    const bool changed = result->text() != amount;
    result->setText(amount);
    const QString spoken = amount.isEmpty() ? spokenCaption + u" aucun montant calculé"_s
                                            : spokenCaption + u' ' + amount + u" euros"_s;
    result->setAccessibleName(spoken);
    if (!changed || amount.isEmpty())
        return;
    if (auto *announcer = result->window()->findChild<TAnnouncer *>())
        announcer->Announce(spoken);
}

QString TParagraphList::Paragraphs() const
{
    QStringList paragraphs;
    QString paragraph;
    for (int row = 0; row <= count(); ++row) {
        const QString line = row < count() ? item(row)->text().simplified() : QString();
        if (!line.isEmpty()) {
            paragraph += (paragraph.isEmpty() ? QString() : u" "_s) + line;
        } else if (!paragraph.isEmpty()) {
            paragraphs << paragraph;
            paragraph.clear();
        }
    }
    return paragraphs.join(u'\n');
}
