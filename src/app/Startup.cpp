// What the program does before its main window: title, translations, fonts and theme.
#include "Startup.h"

#include "MessageDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QStyleFactory>
#include <QTranslator>

#include <utility>

using namespace Qt::Literals::StringLiterals;

QString ApplicationTitle(const QString &executablePath)
{
    const QString fileName = QFileInfo(executablePath).fileName();
    const QString name = fileName.section(u'.', 0, 0);
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}

void ShowAlreadyRunning(const QString &executablePath)
{
    ShowMessageDialog(
        u"Avertissement"_s,
        u"%1 est déjà en cours d'exécution\u00A0!"_s.arg(ApplicationTitle(executablePath)),
        dkWarning, {dbOk});
}

void KeepCachesOffDisk()
{
    // The browser draws with OpenGL; Mesa's and NVIDIA's drivers read these as they start.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    qputenv("__GL_SHADER_DISK_CACHE", "0");
    // The browser's view is written in QML, which Qt would otherwise compile into the cache.
    qputenv("QML_DISABLE_DISK_CACHE", "1");
}

void InstallFrenchTranslations(QApplication &app)
{
    // The translator installed last is asked first: the program's own captions win over Qt's.
    const std::pair<QString, QString> catalogues[] = {
        {u"qtbase_fr"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)},
        {u"vemora_fr"_s, u":/translations"_s},
    };
    for (const auto &[name, folder] : catalogues) {
        auto *translator = new QTranslator(&app);
        if (translator->load(name, folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

void SubstituteFonts()
{
    QFont::insertSubstitution(u"Arial"_s, u"Liberation Sans"_s);
    QFont::insertSubstitution(u"MS Sans Serif"_s, u"Liberation Sans"_s);
    QFont::insertSubstitution(u"Lucida Sans"_s, u"DejaVu Sans"_s);
    // The windows are laid out for Arial 8 pt, not for the desktop's own font.
    QFont font(u"Arial"_s);
    font.setPointSize(8);
    QApplication::setFont(font);
}

bool ApplyTheme(QApplication &app, const QString &name)
{
    QFile sheet(u":/themes/%1.qss"_s.arg(name));
    if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QMessageBox box(QMessageBox::Critical, u"Erreur"_s, u"Style '%1' non trouvé"_s.arg(name),
                        QMessageBox::NoButton);
        box.setObjectName(QString::fromUtf16(MessageDialogObjectName));
        QPushButton *close = box.addButton(u"Fer&mer"_s, QMessageBox::AcceptRole);
        box.setDefaultButton(close);
        box.setEscapeButton(close);
        box.exec();
        return false;
    }
    // A dark palette under the style sheet, for what the sheet does not draw.
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2B));
    palette.setColor(QPalette::WindowText, QColor(0xE6, 0xE6, 0xE6));
    palette.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
    palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
    palette.setColor(QPalette::Text, QColor(0xE6, 0xE6, 0xE6));
    palette.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3A));
    palette.setColor(QPalette::ButtonText, QColor(0xE6, 0xE6, 0xE6));
    palette.setColor(QPalette::Highlight, QColor(0x3E, 0x95, 0xF4));
    palette.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    palette.setColor(QPalette::ToolTipBase, QColor(0x33, 0x33, 0x33));
    palette.setColor(QPalette::ToolTipText, QColor(0xE6, 0xE6, 0xE6));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    QApplication::setPalette(palette);
    app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
    return true;
}
