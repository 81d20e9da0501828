// A whole session of the calculator, started as the program starts, with its home, every XDG
// folder and its working folder fresh and empty: the home page, both calculations, the preview,
// a PDF export, the information window, closing. Afterwards the only new file is the exported
// PDF, beside the single-instance lock in the runtime folder.
#include "CupsServer.h"
#include "Environment.h"
#include "FMain.h"
#include "Files.h"
#include "FrenchLocale.h"
#include "HomeBrowser.h"
#include "ModalWatchdog.h"
#include "SingleInstance.h"
#include "Startup.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// The folders a session may touch, each pointed at by its variable, under one fresh folder.
const std::pair<const char *, const char16_t *> Folders[] = {
    {"HOME", u"home"},          {"XDG_CONFIG_HOME", u"config"}, {"XDG_CACHE_HOME", u"cache"},
    {"XDG_DATA_HOME", u"data"}, {"XDG_STATE_HOME", u"state"},   {"XDG_RUNTIME_DIR", u"run"},
};

} // namespace

#define FIND_OR_FAIL(variable, Type, parent, name)                                                 \
    auto *variable = (parent)->findChild<Type *>(name);                                            \
    QVERIFY2(variable, qPrintable(u"no control "_s + (name)))

class TestSession : public QObject
{
    Q_OBJECT

public:
    TestSession(const QString &root, const QString &homePage)
        : m_root(root)
        , m_homePage(homePage)
    {
    }

private slots:
    void initTestCase();
    void leavesOnlyThePdf();

private:
    void calculate(int page, const QString &field, const QString &button, const QString &result);

    QString m_root;
    QString m_homePage;
    std::unique_ptr<TCupsServer> m_cups;
    std::unique_ptr<TF_Main> m_window;
};

void TestSession::initTestCase()
{
    PinFrenchLocale();
    // The preview needs a printer: a print server of the test's own, outside these folders.
    m_cups = std::make_unique<TCupsServer>();
    QVERIFY2(m_cups->IsRunning(), qPrintable(m_cups->Error()));
    QVERIFY2(m_cups->AddQueue(u"VemoraPDF"_s), qPrintable(m_cups->Error()));
    QTRY_COMPARE(QPrinterInfo::availablePrinterNames(), QStringList{u"VemoraPDF"_s});
}

void TestSession::calculate(int page, const QString &field, const QString &button,
                            const QString &result)
{
    FIND_OR_FAIL(pages, QTabWidget, m_window, u"PC_Main"_s);
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(page).center());
    FIND_OR_FAIL(edit, QLineEdit, m_window, field);
    FIND_OR_FAIL(calc, QPushButton, m_window, button);
    FIND_OR_FAIL(shown, QLabel, m_window, result);
    edit->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(edit, u"12000"_s);
    QTest::mouseClick(calc, Qt::LeftButton);
    QVERIFY2(!shown->text().isEmpty(), qPrintable(result));
}

void TestSession::leavesOnlyThePdf()
{
    TModalWatchdog dialogs;
    m_window = std::make_unique<TF_Main>(m_homePage);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    if (!BrowserEngineLeftOut()) {
        // The browser comes from its own module, with its own copy of the class's type data:
        // it is found by name.
        THomeBrowser *browser = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((browser = static_cast<THomeBrowser *>(
                                      m_window->findChild<QWidget *>(u"WebBrowser1"_s))) != nullptr,
                                 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!browser->Title().isEmpty(), 30000);
        QVERIFY(m_window->HomePanelShown());
        QTest::mouseClick(m_window->findChild<QLabel *>(u"L_ShowCalc"_s), Qt::LeftButton);
    }
    QVERIFY(!m_window->HomePanelShown());
    calculate(1, u"E_KmDistance"_s, u"B_KmCalc"_s, u"L_KmResult"_s);
    calculate(0, u"E_Distance"_s, u"B_Calc"_s, u"L_Result"_s);

    // The printer dialog with the preview ticked, the preview, its PDF export under the
    // proposed name in the documents folder.
    QString saved;
    dialogs.expect([](QWidget *dialog) {
        FIND_OR_FAIL(preview, QCheckBox, dialog, u"CB_Preview"_s);
        FIND_OR_FAIL(ok, QPushButton, dialog, u"B_Ok"_s);
        if (!preview->isChecked())
            QTest::mouseClick(preview, Qt::LeftButton);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    dialogs.expect([&dialogs, &saved](QWidget *preview) {
        FIND_OR_FAIL(save, QToolButton, preview, u"B_SavePdf"_s);
        FIND_OR_FAIL(quit, QToolButton, preview, u"B_Quit"_s);
        dialogs.expect([&saved](QWidget *dialog) {
            auto *files = qobject_cast<QFileDialog *>(dialog);
            QVERIFY2(files, qPrintable(TModalWatchdog::describe(dialog)));
            FIND_OR_FAIL(name, QLineEdit, files, u"fileNameEdit"_s);
            FIND_OR_FAIL(buttons, QDialogButtonBox, files, u"buttonBox"_s);
            saved = files->directory().absoluteFilePath(name->text() + u".pdf"_s);
            QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
        });
        QTest::mouseClick(save, Qt::LeftButton);
        QTest::mouseClick(quit, Qt::LeftButton);
    });
    QTest::mouseClick(m_window->findChild<QLabel *>(u"L_Print"_s), Qt::LeftButton);
    QCOMPARE(dialogs.handled(), 3);
    QVERIFY2(QFileInfo(saved).isFile(), qPrintable(saved));

    // The information window, then the calculator closes.
    dialogs.expect([](QWidget *dialog) {
        FIND_OR_FAIL(close, QLabel, dialog, u"L_Close"_s);
        QTest::mouseClick(close, Qt::LeftButton);
    });
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : m_window.get(), Qt::Key_I, Qt::ControlModifier);
    QTRY_COMPARE(dialogs.handled(), 4);
    QTest::mouseClick(m_window->findChild<QLabel *>(u"L_Close"_s), Qt::LeftButton);
    QTRY_VERIFY(!m_window->isVisible());
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(500);
    QVERIFY2(dialogs.unexpected().isEmpty(), qPrintable(dialogs.unexpected().join(u", "_s)));

    // The folders made for the session, the lock and the PDF file.
    QStringList expected{u"home/Documents"_s, u"work"_s, u"run/Vemora2023Mutex"_s,
                         QDir(m_root).relativeFilePath(saved)};
    for (const auto &[variable, name] : Folders)
        expected << QString::fromUtf16(name);
    expected.sort();
    const QStringList found = ContentsOf(m_root);
    QStringList written = found;
    QStringList missing = expected;
    written.removeIf([&expected](const QString &entry) { return expected.contains(entry); });
    missing.removeIf([&found](const QString &entry) { return found.contains(entry); });
    QVERIFY2(written.isEmpty() && missing.isEmpty(),
             qPrintable(u"written: "_s + written.join(u", "_s) + u"; missing: "_s +
                        missing.join(u", "_s)));
}

int main(int argc, char **argv)
{
    // Every folder the session may write to, fresh, before Qt reads any of them; the home has
    // its documents folder, the home page is elsewhere.
    QTemporaryDir session;
    QTemporaryDir homePage;
    if (!session.isValid() || !homePage.isValid())
        qFatal("no temporary folder");
    TEnvironment environment;
    for (const auto &[variable, name] : Folders) {
        const QString folder = session.filePath(QString::fromUtf16(name));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.set(variable, folder);
    }
    QDir().mkpath(session.filePath(u"home/Documents"_s));
    QDir().mkpath(session.filePath(u"work"_s));
    QDir::setCurrent(session.filePath(u"work"_s));

    // As the program starts.
    KeepCachesOffDisk();
    if (!BrowserEngineLeftOut())
        QFile::copy(QStringLiteral(VEMORA_HOME_PAGE), homePage.filePath(u"index.html"_s));
    QApplication app(argc, argv);
    TSingleInstance instance;
    if (!instance.Acquire(u"Vemora2023Mutex"_s))
        qFatal("the single-instance lock was not taken");
    InstallFrenchTranslations(app);
    SubstituteFonts();
    ApplyTheme(app, u"Carbon"_s);

    TestSession test(session.path(), homePage.path());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_session.moc"
