// Every warning, error, question and notice of the program, in French.
#pragma once

#include <QList>
#include <QString>

#include <optional>

enum TDialogKind
{
    dkWarning,
    dkError,
    dkInformation
};

enum TDialogButton
{
    dbYes,
    dbNo,
    dbOk
};
using TDialogButtons = QList<TDialogButton>;

// A modal dialog: window caption and icon from `kind`, `title` as its heading, `text` as its
// body. The pointer is the arrow while it is up. Returns the button pressed, or nothing when
// the dialog was dismissed without a button.
std::optional<TDialogButton> ShowMessageDialog(const QString &title, const QString &text,
                                               TDialogKind kind, const TDialogButtons &buttons);

// A warning with a heading ("Avertissement" when empty) and one OK button, after discarding
// the keys waiting to be handled. False, and nothing shown, when `text` is empty.
bool ShowWarning(const QString &title, const QString &text);

// The exclamation sound, then a plain warning box centred on the screen. False, and nothing
// done, when `text` is empty.
bool ShowWarningBeep(const QString &text);

// Drops the key presses waiting in the event queue, so that a key typed before a warning
// cannot answer it.
void DiscardKeyboardInput();

// The object name every message box of the program carries, for tests and accessibility.
inline constexpr char16_t MessageDialogObjectName[] = u"MessageDialog";
