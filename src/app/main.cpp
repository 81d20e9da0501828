// Vemora: the mileage and fuel allowance calculator.
#include "FMain.h"
#include "NumberText.h"
#include "SingleInstance.h"
#include "Startup.h"

#include <QApplication>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    // A file-size limit reached while saving a PDF is a write error, not the end of the program.
    std::signal(SIGXFSZ, SIG_IGN);
    InitNumberFormats(QLocale::system());
    KeepCachesOffDisk();
    QApplication app(argc, argv);
    // Ties the window to its desktop entry (its name and icon in the task bar).
    QGuiApplication::setDesktopFileName(u"fr.ostrel.Vemora"_s);

    TSingleInstance instance;
    if (!instance.Acquire(u"Vemora2023Mutex"_s)) {
        // Another calculator runs: one warning, in the system's own look, and nothing else.
        ShowAlreadyRunning(QCoreApplication::applicationFilePath());
        return 0;
    }
    InstallFrenchTranslations(app);
    SubstituteFonts();
    ApplyTheme(app, u"Carbon"_s);

    TF_Main F_Main(QCoreApplication::applicationDirPath());
    F_Main.show();
    return QApplication::exec();
}
