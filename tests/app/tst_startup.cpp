// Start-up: the program's title, the warning of a second start, the theme, Qt's printer setup in
// French and the single-instance lock with its folder.
#include "CupsServer.h"
#include "Environment.h"
#include "FrenchLocale.h"
#include "ModalWatchdog.h"
#include "PlantedLink.h"
#include "PrintUi.h"
#include "SingleInstance.h"
#include "Startup.h"

#include "FMain.h"

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPalette>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTranslator>
#include <QXmlStreamReader>

#include <array>

#include <cmath>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The permission bits of a file or folder, without following a link; -1 when it is missing.
int modeOf(const QString &path)
{
    struct stat info;
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

QString octal(int mode)
{
    return u"0%1"_s.arg(mode, 3, 8, QChar(u'0'));
}

const QString LockName = u"Vemora2023Mutex"_s;

// How the runtime folder of a test is offered to the lock.
enum TRuntimeCase
{
    rcMissing,
    rcUnset,
    rcEmpty,
    rcOpenToOthers,
    rcOpenToGroup,
    rcLinkToPrivateFolder,
    rcPlainFile
};

// The luminance contrast of two colours (1 to 21), as WCAG measures it.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QWidget *visibleTip()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"qtooltip_label"_s && widget->isVisible())
            return widget;
    }
    return nullptr;
}

// The messages of the program's translation source: context, source, comment, French.
QList<std::array<QString, 4>> readTranslations(const QString &path)
{
    QList<std::array<QString, 4>> all;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return all;
    QXmlStreamReader xml(&file);
    const QStringList fields{u"name"_s, u"source"_s, u"comment"_s, u"translation"_s};
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const qsizetype field = fields.indexOf(xml.name());
        if (xml.name() == u"message")
            all.append({context, {}, {}, {}});
        else if (field == 0)
            context = xml.readElementText();
        else if (field > 0 && !all.isEmpty())
            all.last()[field] = xml.readElementText();
    }
    return all;
}

// Installed before the program's translators, it is asked last: it hears of every caption Qt
// looks up that none of them has.
class TUntranslated : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        Seen.append(QString::fromUtf8(context) + u": "_s + QString::fromUtf8(source));
        return {};
    }
    mutable QStringList Seen;
};

// What a dialog shows on each page of its tabs: caption, labels, buttons, frames, tabs, list
// items and hints.
QStringList shownTexts(QWidget *dialog)
{
    QStringList texts{dialog->windowTitle()};
    auto *pages = dialog->findChild<QTabWidget *>();
    for (int page = 0; page < (pages ? pages->count() : 1); ++page) {
        if (pages)
            pages->setCurrentIndex(page);
        for (QWidget *widget : dialog->findChildren<QWidget *>()) {
            if (!widget->isVisibleTo(dialog))
                continue;
            texts << widget->toolTip();
            if (auto *label = qobject_cast<QLabel *>(widget))
                texts << label->text();
            else if (auto *button = qobject_cast<QAbstractButton *>(widget))
                texts << button->text();
            else if (auto *frame = qobject_cast<QGroupBox *>(widget))
                texts << frame->title();
            auto *tabs = qobject_cast<QTabWidget *>(widget);
            for (int i = 0; tabs && i < tabs->count(); ++i)
                texts << tabs->tabText(i);
            auto *list = qobject_cast<QComboBox *>(widget);
            for (int i = 0; list && i < list->count(); ++i)
                texts << list->itemText(i);
        }
    }
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(TRuntimeCase)

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void applicationTitle_data();
    void applicationTitle();
    void alreadyRunningWarning_data();
    void alreadyRunningWarning();
    void themeApplied();
    void missingThemeReported();
    void printerSetupInFrench();

    void lockInPrivateRuntimeFolder();
    void secondLockInSameProcessFails();
    void lockFileIsPrivate();
    void plantedLinkIsNotFollowed_data();
    void plantedLinkIsNotFollowed();
    void runtimeFolderNotUsable_data();
    void runtimeFolderNotUsable();
    void unsafeFallbackFolderRefused_data();
    void unsafeFallbackFolderRefused();

private:
    std::unique_ptr<TModalWatchdog> m_watchdog;
    std::unique_ptr<TCupsServer> m_cups;
};

void TestStartup::initTestCase()
{
    PinFrenchLocale();
    // A printer for the setup, on a print server of the test's own, made before any printing.
    m_cups = std::make_unique<TCupsServer>();
    QVERIFY2(m_cups->IsRunning(), qPrintable(m_cups->Error()));
    QVERIFY2(m_cups->AddQueue(u"VemoraPDF"_s), qPrintable(m_cups->Error()));
    QTRY_COMPARE(QPrinterInfo::availablePrinterNames(), QStringList{u"VemoraPDF"_s});
}

void TestStartup::init()
{
    m_watchdog = std::make_unique<TModalWatchdog>();
}

void TestStartup::cleanup()
{
    const QStringList unexpected = m_watchdog->unexpected();
    const qsizetype pending = m_watchdog->pending();
    m_watchdog.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(u" | "_s)));
    QCOMPARE(pending, 0);
}

void TestStartup::applicationTitle_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");

    QTest::newRow("capitals with extension") << u"TOOLBOX.EXE"_s << u"Toolbox"_s;
    QTest::newRow("Linux program without extension") << u"/usr/lib/vemora/vemora"_s << u"vemora"_s;
    QTest::newRow("mixed case with extension") << u"MyTool.exe"_s << u"Mytool"_s;
    QTest::newRow("cut at the first dot") << u"VEMORA.bin.x"_s << u"Vemora"_s;
    QTest::newRow("dots in the folders do not count") << u"/opt/v1.8/VEMORA"_s << u"Vemora"_s;
    QTest::newRow("accented capitals lowered") << u"/opt/ÉTÉ.exe"_s << u"Été"_s;
    QTest::newRow("empty path") << QString() << QString();
}

void TestStartup::applicationTitle()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitle(path), title);
}

void TestStartup::alreadyRunningWarning_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");

    QTest::newRow("installed program")
        << u"/usr/lib/vemora/vemora"_s << u"vemora est déjà en cours d'exécution\u00A0!"_s;
    QTest::newRow("capitalised program")
        << u"/opt/VEMORA.bin.x"_s << u"Vemora est déjà en cours d'exécution\u00A0!"_s;
}

void TestStartup::alreadyRunningWarning()
{
    QFETCH(QString, path);
    QFETCH(QString, text);

    TShownMessage shown;
    m_watchdog->expect([&shown](QWidget *dialog) {
        shown = ReadMessageBox(dialog);
        ClickMessageButton(dialog, u"OK"_s);
    });
    ShowAlreadyRunning(path);
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(shown.objectName, u"MessageDialog"_s);
    QCOMPARE(shown.caption, u"Avertissement"_s);
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QCOMPARE(shown.text, u"Avertissement"_s);
    QCOMPARE(shown.informativeText, text);
    QCOMPARE(shown.buttons, QStringList{u"OK"_s});
}

void TestStartup::themeApplied()
{
    auto &app = *qApp;
    const QString styleName = QApplication::style()->name();
    const QPalette palette = QApplication::palette();
    const QFont font = QApplication::font();
    const auto restore = qScopeGuard([&app, styleName, palette, font] {
        app.setStyleSheet(QString());
        QApplication::setStyle(QStyleFactory::create(styleName));
        QApplication::setPalette(palette);
        QApplication::setFont(font);
    });
    SubstituteFonts();

    QFile resource(u":/themes/Carbon.qss"_s);
    QVERIFY2(resource.open(QIODevice::ReadOnly | QIODevice::Text),
             "the Carbon theme is not in the resources");
    const QString sheet = QString::fromUtf8(resource.readAll());
    QVERIFY(!sheet.isEmpty());

    QVERIFY(ApplyTheme(app, u"Carbon"_s));
    QCOMPARE(app.styleSheet(), sheet);
    QVERIFY(QApplication::palette().color(QPalette::Window) != palette.color(QPalette::Window));
    QTest::qWait(60); // no dialog
    QCOMPARE(m_watchdog->handled(), 0);

    // Every hint of the window is readable under the theme: its text stands out from its box.
    QTemporaryDir noHomePage;
    TF_Main window(noHomePage.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const QString &name : {u"L_ShowCalc"_s, u"L_Home"_s, u"I_Print"_s, u"L_Print"_s,
                                u"L_Close"_s, u"I_Infos"_s, u"L_Infos"_s}) {
        auto *control = window.findChild<QWidget *>(name);
        QVERIFY2(control && !control->toolTip().isEmpty(), qPrintable(name));
        QToolTip::showText(control->mapToGlobal(QPoint(2, 2)), control->toolTip(), control);
        QWidget *tip = nullptr;
        QTRY_VERIFY((tip = visibleTip()) != nullptr);
        const QImage picture = tip->grab().toImage();
        const QColor box = picture.pixelColor(picture.width() / 2, 2 + 1);
        double best = 1;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                best = std::max(best, contrast(picture.pixelColor(x, y), box));
        }
        QVERIFY2(best >= 4.5, qPrintable(u"%1: %2"_s.arg(name).arg(best)));
        QToolTip::hideText();
        QTRY_VERIFY(!visibleTip());
    }

    // Under the theme, the controls keep the font the window is laid out for, and every entry
    // of every list, for every year and kind, fits its closed list.
    QTest::mouseClick(window.findChild<QWidget *>(u"L_ShowCalc"_s), Qt::LeftButton);
    const auto fits = [](QComboBox *list) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const int room =
            list->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list)
                .width();
        for (int i = 0; i < list->count(); ++i) {
            if (list->fontMetrics().horizontalAdvance(list->itemText(i)) > room)
                return list->objectName() + u": "_s + list->itemText(i);
        }
        return QString();
    };
    for (auto [yearList, kindList] :
         {std::pair{u"E_Year"_s, u"E_Type"_s}, {u"E_KmYear"_s, u"E_KmType"_s}}) {
        auto *years = window.findChild<QComboBox *>(yearList);
        auto *kinds = window.findChild<QComboBox *>(kindList);
        for (int year = 0; year < years->count(); ++year) {
            years->setCurrentIndex(year);
            emit years->activated(year);
            for (int kind = 0; kind < kinds->count(); ++kind) {
                kinds->setCurrentIndex(kind);
                emit kinds->activated(kind);
                for (QComboBox *list : window.findChildren<QComboBox *>()) {
                    const QString cut = fits(list);
                    QVERIFY2(cut.isEmpty(), qPrintable(years->currentText() + u" "_s + cut));
                }
            }
        }
    }
    for (auto *control : window.findChildren<QWidget *>()) {
        if (!qobject_cast<QComboBox *>(control) && !qobject_cast<QAbstractButton *>(control) &&
            !qobject_cast<QLineEdit *>(control))
            continue;
        const QFontInfo shown(control->font());
        QVERIFY2(shown.family() == u"Liberation Sans"_s && shown.pixelSize() == 11,
                 qPrintable(control->objectName() + u": "_s + shown.family()));
    }
}

void TestStartup::missingThemeReported()
{
    auto &app = *qApp;
    const QPalette palette = QApplication::palette();
    const auto restore = qScopeGuard([&app, palette] {
        app.setStyleSheet(QString());
        QApplication::setPalette(palette);
    });
    QVERIFY(app.styleSheet().isEmpty());

    TShownMessage shown;
    m_watchdog->expect([&shown](QWidget *dialog) {
        shown = ReadMessageBox(dialog);
        ClickMessageButton(dialog, u"Fer&mer"_s);
    });
    QVERIFY(!ApplyTheme(app, u"Inexistant"_s));
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(shown.objectName, u"MessageDialog"_s);
    QCOMPARE(shown.caption, u"Erreur"_s);
    QCOMPARE(shown.icon, QMessageBox::Critical);
    QCOMPARE(shown.text, u"Style 'Inexistant' non trouvé"_s);
    QCOMPARE(shown.buttons, QStringList{u"Fer&mer"_s});
    // The default look is kept.
    QCOMPARE(app.styleSheet(), QString());
    QCOMPARE(QApplication::palette().color(QPalette::Window), palette.color(QPalette::Window));
}

// Qt's printer setup as the program opens it, with its options, the printer's properties and the
// message of a wrong page list: every caption in French, and no count of copies.
void TestStartup::printerSetupInFrench()
{
    TUntranslated untranslated;
    QCoreApplication::installTranslator(&untranslated);
    InstallFrenchTranslations(*qApp);
    untranslated.Seen.clear(); // the layout direction, asked before the French came in
    const auto uninstall = qScopeGuard([&untranslated] {
        QCoreApplication::removeTranslator(&untranslated);
        qDeleteAll(qApp->findChildren<QTranslator *>(Qt::FindDirectChildrenOnly));
    });
    // The program's captions are those Qt finds, also for the messages of conflicting printer
    // options, which the test printer cannot raise.
    QStringList english;
    const auto own = readTranslations(QStringLiteral(VEMORA_FRENCH_TRANSLATIONS));
    QVERIFY(!own.isEmpty());
    for (const auto &[context, source, comment, french] : own) {
        const QString found =
            QCoreApplication::translate(qPrintable(context), source.toUtf8().constData(),
                                        comment.isEmpty() ? nullptr : comment.toUtf8().constData());
        QVERIFY2(found == french && found != source, qPrintable(source));
        english << source;
    }

    QStringList shown;
    bool copiesOffered = true;
    TShownMessage wrongPages;
    m_watchdog->expect([&](QWidget *setup) {
        auto *buttons = setup->findChild<QDialogButtonBox *>();
        auto *copies = setup->findChild<QSpinBox *>(u"copies"_s);
        auto *properties = setup->findChild<QPushButton *>(u"properties"_s);
        auto *pages = setup->findChild<QRadioButton *>(u"pagesRadioButton"_s);
        auto *pageList = setup->findChild<QLineEdit *>(u"pagesLineEdit"_s);
        QVERIFY(buttons && copies && properties && pages && pageList);
        for (QAbstractButton *button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::ResetRole)
                QTest::mouseClick(button, Qt::LeftButton); // shows the options
        }
        QVERIFY(pages->isVisible());
        copiesOffered = copies->isVisibleTo(setup);
        m_watchdog->expect([&shown](QWidget *sheet) {
            shown << shownTexts(sheet);
            static_cast<QDialog *>(sheet)->reject();
        });
        QTest::mouseClick(properties, Qt::LeftButton);
        QTest::mouseClick(pages, Qt::LeftButton);
        QTest::keyClicks(pageList, u"zz"_s);
        m_watchdog->expect([&wrongPages](QWidget *box) {
            wrongPages = ReadMessageBox(box);
            ClickMessageButton(box, wrongPages.buttons.value(0));
        });
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QVERIFY(setup->isVisible());
        shown << shownTexts(setup);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    QVERIFY(!ExecutePrinterSetup(nullptr, false));
    QCOMPARE(m_watchdog->handled(), 3);

    QVERIFY(!copiesOffered);
    QVERIFY(!shown.contains(QCoreApplication::translate("QPrintSettingsOutput", "Copies:")));
    QVERIFY2(wrongPages.text.contains(u"zz"_s), qPrintable(wrongPages.text));
    // The type names of the file dialogs, which the setup's hidden output file also looks up.
    const QAbstractFileIconProvider files;
    shown << wrongPages.caption << files.type(QFileInfo(QDir::rootPath()))
          << files.type(QFileInfo(QDir::tempPath()));
    for (const QString &text : std::as_const(shown))
        QVERIFY2(!english.contains(text), qPrintable(text));
    QVERIFY2(untranslated.Seen.isEmpty(), qPrintable(untranslated.Seen.join(u" | "_s)));
}

void TestStartup::lockInPrivateRuntimeFolder()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    TEnvironment environment;
    environment.set("XDG_RUNTIME_DIR", runtime.path());

    QCOMPARE(LockFolder(), runtime.path());
    TSingleInstance instance;
    QVERIFY(instance.Acquire(LockName));
    QCOMPARE(instance.lockPath(), runtime.filePath(LockName));
    QVERIFY(QFileInfo(instance.lockPath()).isFile());
}

// flock() locks belong to the open file: a second open of the same file in the same process
// does not share the first one's lock.
void TestStartup::secondLockInSameProcessFails()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    TEnvironment environment;
    environment.set("XDG_RUNTIME_DIR", runtime.path());

    auto first = std::make_unique<TSingleInstance>();
    QVERIFY(first->Acquire(LockName));
    {
        TSingleInstance second;
        QVERIFY(!second.Acquire(LockName));
    }
    // A failed attempt does not take the lock from its holder.
    TSingleInstance third;
    QVERIFY(!third.Acquire(LockName));

    TSingleInstance otherName;
    QVERIFY(otherName.Acquire(u"AutreVerrou"_s));

    first.reset();
    TSingleInstance afterFirst;
    QVERIFY(afterFirst.Acquire(LockName));
}

void TestStartup::lockFileIsPrivate()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    TEnvironment environment;
    environment.set("XDG_RUNTIME_DIR", runtime.path());
    // With no mask, the mode is the one the program asks for.
    const mode_t mask = umask(0);
    const auto restoreMask = qScopeGuard([mask] { umask(mask); });

    TSingleInstance instance;
    QVERIFY(instance.Acquire(LockName));
    QCOMPARE(octal(modeOf(runtime.filePath(LockName))), octal(0600));
}

void TestStartup::plantedLinkIsNotFollowed_data()
{
    QTest::addColumn<bool>("targetExists");

    QTest::newRow("link to an existing file") << true;
    QTest::newRow("link to a missing file") << false;
}

void TestStartup::plantedLinkIsNotFollowed()
{
    QFETCH(bool, targetExists);

    QTemporaryDir runtime;
    QTemporaryDir elsewhere;
    QVERIFY(runtime.isValid() && elsewhere.isValid());
    TEnvironment environment;
    environment.set("XDG_RUNTIME_DIR", runtime.path());

    const QString target = elsewhere.filePath(u"precieux.txt"_s);
    QVERIFY(MakeLinkTarget(target, targetExists));
    if (targetExists)
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadGroup | QFile::ReadOther));
    const int modeBefore = modeOf(target);
    QVERIFY(QFile::link(target, runtime.filePath(LockName)));

    TSingleInstance instance;
    QVERIFY(!instance.Acquire(LockName));

    QCOMPARE(octal(modeOf(target)), octal(modeBefore));
    CheckLinkTargetKept(target, targetExists);
}

void TestStartup::runtimeFolderNotUsable_data()
{
    QTest::addColumn<TRuntimeCase>("runtimeCase");

    QTest::newRow("runtime folder missing") << rcMissing;
    QTest::newRow("runtime variable unset") << rcUnset;
    QTest::newRow("runtime variable empty") << rcEmpty;
    QTest::newRow("runtime folder world-readable") << rcOpenToOthers;
    QTest::newRow("runtime folder readable by the group") << rcOpenToGroup;
    QTest::newRow("runtime folder a link to a private folder") << rcLinkToPrivateFolder;
    QTest::newRow("runtime path a plain file") << rcPlainFile;
}

// A runtime folder that is missing or not private gives way to a private folder of the user's
// own under the temporary folder.
void TestStartup::runtimeFolderNotUsable()
{
    QFETCH(TRuntimeCase, runtimeCase);

    QTemporaryDir temp;     // stands for /tmp, so the machine's own folder is left alone
    QTemporaryDir runtimes; // where the runtime folder of the case is made
    QVERIFY(temp.isValid() && runtimes.isValid());
    TEnvironment environment;
    environment.set("TMPDIR", temp.path());

    const QString runtime = runtimes.filePath(u"run"_s);
    switch (runtimeCase) {
    case rcMissing:
        environment.set("XDG_RUNTIME_DIR", runtime);
        break;
    case rcUnset:
        environment.unset("XDG_RUNTIME_DIR");
        break;
    case rcEmpty:
        environment.set("XDG_RUNTIME_DIR", QString());
        break;
    case rcOpenToOthers:
    case rcOpenToGroup:
        QVERIFY(QDir().mkdir(runtime));
        QVERIFY(chmod(QFile::encodeName(runtime).constData(),
                      runtimeCase == rcOpenToOthers ? 0755 : 0750) == 0);
        environment.set("XDG_RUNTIME_DIR", runtime);
        break;
    case rcLinkToPrivateFolder:
        QVERIFY(QFile::link(runtimes.path(), runtime));
        environment.set("XDG_RUNTIME_DIR", runtime);
        break;
    case rcPlainFile: {
        QFile file(runtime);
        QVERIFY(file.open(QIODevice::WriteOnly));
        environment.set("XDG_RUNTIME_DIR", runtime);
        break;
    }
    }

    const QString fallback = QDir(QDir::tempPath()).filePath(u"vemora-%1"_s.arg(geteuid()));
    QVERIFY2(fallback.startsWith(temp.path()), "the temporary folder does not follow TMPDIR");
    QCOMPARE(LockFolder(), fallback);
    QVERIFY(QFileInfo(fallback).isDir());
    QCOMPARE(octal(modeOf(fallback)), octal(0700));

    TSingleInstance instance;
    QVERIFY(instance.Acquire(LockName));
    QCOMPARE(instance.lockPath(), QDir(fallback).filePath(LockName));
    QVERIFY2(!QFileInfo::exists(QDir(runtime).filePath(LockName)),
             "the lock was put in the unusable runtime folder");
}

void TestStartup::unsafeFallbackFolderRefused_data()
{
    QTest::addColumn<int>("unsafe");

    QTest::newRow("fallback folder open to others") << 0;
    QTest::newRow("fallback folder a link to a private folder") << 1;
    QTest::newRow("fallback path a plain file") << 2;
}

// Someone else may have planted the fallback folder in the shared temporary folder: the lock
// is then not taken at all rather than taken in a place others control.
void TestStartup::unsafeFallbackFolderRefused()
{
    QFETCH(int, unsafe);

    QTemporaryDir temp;
    QTemporaryDir other;
    QVERIFY(temp.isValid() && other.isValid());
    TEnvironment environment;
    environment.set("TMPDIR", temp.path());
    environment.unset("XDG_RUNTIME_DIR");

    const QString fallback = QDir(temp.path()).filePath(u"vemora-%1"_s.arg(geteuid()));
    if (unsafe == 0) {
        QVERIFY(QDir().mkdir(fallback));
        QVERIFY(chmod(QFile::encodeName(fallback).constData(), 0777) == 0);
    } else if (unsafe == 1) {
        QVERIFY(QFile::link(other.path(), fallback));
    } else {
        QFile file(fallback);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    QCOMPARE(LockFolder(), QString());
    TSingleInstance instance;
    QVERIFY(!instance.Acquire(LockName));
    QVERIFY(!QFileInfo::exists(QDir(other.path()).filePath(LockName)));
    QVERIFY(!QFileInfo::exists(QDir(fallback).filePath(LockName)));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
