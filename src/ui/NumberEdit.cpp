// The numeric entry fields: every typed character passes the field's filter first.
#include "NumberEdit.h"

#include "NumberEditRules.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

// Focus moves that do not leave the field for another control: a menu or list opening over
// it, or another window becoming active.
bool staysInField(Qt::FocusReason reason)
{
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

} // namespace

TNumberEdit::TNumberEdit(TKind kind, QWidget *parent)
    : QLineEdit(parent)
    , m_kind(kind)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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
