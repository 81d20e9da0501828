// What the program does before its main window: title, translations, fonts and theme.
#pragma once

#include <QString>

class QApplication;

// The program's name in messages, from the executable's file name: up to its first dot, the
// first character as it is and the others in lower case ("TOOLBOX.EXE" gives "Toolbox").
QString ApplicationTitle(const QString &executablePath);

// The warning of a second start while the calculator runs.
void ShowAlreadyRunning(const QString &executablePath);

// Keeps Qt and the graphics driver from storing compiled shaders and scripts in the user's cache
// folder: the program writes nothing but the PDF files the user asks for. Must run before the
// application object is made.
void KeepCachesOffDisk();

// Qt's own dialogs in French: Qt's translations, then the program's own for the captions of the
// print and file dialogs that Qt's lack.
void InstallFrenchTranslations(QApplication &app);

// Maps the faces the windows ask for (Arial, MS Sans Serif, Lucida Sans) to installed ones.
void SubstituteFonts();

// Applies the theme of that name from the resources; when there is none, shows the error
// "Style '...' non trouvé" and keeps the default look. True when applied.
bool ApplyTheme(QApplication &app, const QString &name);
