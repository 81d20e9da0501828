// The numeric entry fields: every typed character passes the field's filter first.
#include "NumberEdit.h"

#include "Accessibility.h"
#include "NumberEditRules.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

// Focus moves that do not leave the field for another control: a menu or list opening over
// it, or another window becoming active.
bool staysInField(Qt::FocusReason reason)
{
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

// Why a typed character was left out, in a few words.
QString refusedReason(QChar typed, TNumberEdit::TKind kind)
{
    if (typed == u'.' || typed == u',')
        return kind == TNumberEdit::TKind::DayCount ? u"Un nombre de jours entier, sans virgule"_s
                                                    : u"Une seule virgule"_s;
    if (typed == u'-')
        return u"Pas de nombre négatif"_s;
    return u"Chiffres seulement"_s;
}

} // namespace

TNumberEdit::TNumberEdit(TKind kind, QWidget *parent)
    : QLineEdit(parent)
    , m_kind(kind)
{
    InstallAccessibility();
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The line edit tells screen readers where its caret is the first time the caret is placed,
    // which is on the first focus, just before the focus itself: told of a caret first, Orca
    // takes the field for the focus without saying it. Placed here, the caret is not news then.
    setCursorPosition(0);
    if (kind == TKind::DayCount)
        setMaxLength(3);
}

QString TNumberEdit::filtered(const QString &typed) const
{
    QString accepted;
    QString current = text();
    const QString selection = selectedText();
    for (const QChar c : typed) {
        const QChar key = m_kind == TKind::DayCount ? FilterIntegerChar(c, current, selection)
                                                    : FilterNumberChar(c, current, selection);
        if (!key.isNull()) {
            accepted += key;
            current += key;
        }
    }
    return accepted;
}

void TNumberEdit::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool control = event->modifiers() & Qt::ControlModifier;
    // Ctrl with a letter types a control character (Ctrl+V, Ctrl+C, Ctrl+X...): swallowed,
    // while Shift+Insert and the context menu still paste.
    if (control && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
        event->accept();
        return;
    }
    if (typed.isEmpty() || typed.at(0).unicode() < u' ' || typed.at(0).unicode() == 0x7f) {
        QLineEdit::keyPressEvent(event); // editing and moving keys, Backspace
        return;
    }
    const QString accepted = filtered(typed);
    event->accept();
    // Where a field would beep, a screen reader says why the key did nothing.
    if (accepted.isEmpty())
        Announce(this, refusedReason(typed.at(0), m_kind));
    else if (maxLength() <= text().size() && !hasSelectedText())
        Announce(this, u"%1 chiffres au plus"_s.arg(maxLength()));
    if (!accepted.isEmpty())
        insert(accepted);
}

void TNumberEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent copy(event->preeditString(), event->attributes());
    copy.setCommitString(filtered(event->commitString()), event->replacementStart(),
                         event->replacementLength());
    QLineEdit::inputMethodEvent(&copy);
}

void TNumberEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!staysInField(event->reason()))
        emit entered();
}

void TNumberEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!staysInField(event->reason()))
        emit exited();
}

QMenu *TNumberEdit::createContextMenu()
{
    // The line edit's entries, each naming a shortcut the field accepts or none: Ctrl with a
    // letter is refused here.
    auto *menu = new QMenu(this);
    const bool selected = hasSelectedText();
    auto add = [this, menu](const QString &name, const QString &text, QKeySequence keys,
                            bool enabled, auto slot) {
        QAction *action = menu->addAction(
            keys.isEmpty() ? text : text + u'\t' + keys.toString(QKeySequence::NativeText));
        action->setObjectName(name);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
    };
    add(u"edit-undo"_s, u"&Annuler"_s, {}, isUndoAvailable(), &QLineEdit::undo);
    add(u"edit-redo"_s, u"&Rétablir"_s, {}, isRedoAvailable(), &QLineEdit::redo);
    menu->addSeparator();
    add(u"edit-cut"_s, u"Co&uper"_s, QKeySequence(Qt::SHIFT | Qt::Key_Delete), selected,
        &QLineEdit::cut);
    add(u"edit-copy"_s, u"&Copier"_s, QKeySequence(Qt::CTRL | Qt::Key_Insert), selected,
        &QLineEdit::copy);
    add(u"edit-paste"_s, u"C&oller"_s, QKeySequence(Qt::SHIFT | Qt::Key_Insert),
        !QGuiApplication::clipboard()->text().isEmpty(), &QLineEdit::paste);
    add(u"edit-delete"_s, u"&Supprimer"_s, QKeySequence(Qt::Key_Delete), selected, &QLineEdit::del);
    menu->addSeparator();
    add(u"select-all"_s, u"&Tout sélectionner"_s, {}, !text().isEmpty() && selectedText() != text(),
        &QLineEdit::selectAll);
    return menu;
}

void TNumberEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TNumberEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    // A full day count takes no more digits: a click selects it, so that a digit replaces it.
    if (event->button() == Qt::LeftButton && m_kind == TKind::DayCount &&
        text().size() >= maxLength() && !hasSelectedText())
        selectAll();
}
