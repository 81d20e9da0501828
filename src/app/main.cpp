// Vemora: the mileage and fuel allowance calculator.
#include "FMain.h"
#include "NumberText.h"
#include "SingleInstance.h"
#include "Startup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    // A file-size limit reached while saving a PDF is a write error, not the end of the program.
    std::signal(SIGXFSZ, SIG_IGN);
    InitNumberFormats(QLocale::system());
    // The embedded browser shares the window system's drawing contexts; without a home page
    // there is no browser, and no need to prepare them.
    const QString programFolder =
        QFileInfo(QFile::symLinkTarget(u"/proc/self/exe"_s)).absolutePath();
    if (QFileInfo(programFolder + u"/index.html"_s).isFile())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

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
