// Opening web addresses and documents, and the user's documents folder.
#pragma once

#include <QString>

class QWidget;

// Opens a web address or a document with the user's preferred program; false when the
// desktop could not hand it over.
bool ShellOpen(QWidget *owner, const QString &target);

// Opens `address`; when that fails, warns with `failureText`: a blank text gives the default
// "Impossible d'ouvrir la page:" followed by the address, an empty one makes the failure silent.
void OpenAddress(QWidget *owner, const QString &address, const QString &failureText);

// The user's documents folder (XDG user directories), empty when it does not exist.
QString GetDocumentsFolder();
// Where a save dialog starts: the documents folder; without one, the home folder (HOME, or the
// account's home when HOME is unset or missing); without any, the root folder. Never the
// working folder, which for a program started from the menu is anywhere.
QString SaveDialogFolder();
