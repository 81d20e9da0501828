// The home page's browser: it stays on the local page (other addresses go to the user's own
// browser), opens no pop-up window, downloads nothing, and the real program keeps the browser
// engine's sandbox on.
#include "Environment.h"
#include "FrenchLocale.h"
#include "HomeBrowser.h"
#include "ProcessTree.h"
#include "UrlCatcher.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QQuickWebEngineProfile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineDownloadRequest>
#include <QWindow>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray TestPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Accueil</title>"
    "<style>a { display: block; margin: 20px; font-size: 24px; }</style></head><body>"
    "<a id=\"away\" href=\"https://www.example.org/ailleurs\">Ailleurs</a>"
    "<a id=\"popup\" href=\"seconde.html\" target=\"_blank\">Nouvelle fenêtre</a>"
    "<a id=\"download\" href=\"data:application/octet-stream;base64,QUJD\" "
    "download=\"fichier.bin\">Télécharger</a>"
    "<a id=\"local\" href=\"seconde.html\">Page locale</a>"
    "</body></html>";
const QByteArray SecondPage = "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                              "<title>Seconde</title></head><body></body></html>";

// The user the sandbox check runs the program as: unprivileged, so the engine keeps its sandbox.
uid_t g_uid = 0;
gid_t g_gid = 0;

void becomeUnprivileged()
{
    if (setgroups(0, nullptr) != 0 || setresgid(g_gid, g_gid, g_gid) != 0 ||
        setresuid(g_uid, g_uid, g_uid) != 0)
        _exit(126);
    prctl(PR_SET_PDEATHSIG, SIGKILL); // after the change of user, which clears it
}

} // namespace

class TestHomeBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void stayOnTheLocalPage_data();
    void stayOnTheLocalPage();
    void downloadsRefused();
    void programKeepsTheSandbox();

private:
    // Clicks the link of that id as the user would, with the mouse.
    void clickLink(const QString &id);
    // What the script gives, run on the page shown; invalid when it does not answer in time.
    QVariant evaluate(const QString &script);

    QTemporaryDir m_site;
    QTemporaryDir m_home;
    TUrlCatcher m_urls;
    std::unique_ptr<QWidget> m_holder;
    THomeBrowser *m_browser = nullptr;
};

void TestHomeBrowser::initTestCase()
{
    if (BrowserEngineLeftOut())
        QSKIP("the browser engine is left out of this build's tests");
    PinFrenchLocale();
    QVERIFY(m_site.isValid() && m_home.isValid());
    for (const auto &[name, bytes] :
         {std::pair{u"index.html"_s, TestPage}, std::pair{u"seconde.html"_s, SecondPage}}) {
        QFile file(m_site.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    // Where a download would land.
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    QDesktopServices::setUrlHandler(u"https"_s, &m_urls, "open");
}

void TestHomeBrowser::init()
{
    m_urls.urls.clear();
    m_holder = std::make_unique<QWidget>();
    m_holder->resize(600, 400);
    m_browser = CreateHomeBrowser(m_holder.get());
    QVERIFY2(m_browser, "the browser module did not load");
    m_browser->resize(m_holder->size());
    m_holder->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_holder.get()));
    m_browser->Load(QUrl::fromLocalFile(m_site.filePath(u"index.html"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->Title(), u"Accueil"_s, 30000);
}

void TestHomeBrowser::cleanup()
{
    m_browser = nullptr;
    m_holder.reset();
}

QVariant TestHomeBrowser::evaluate(const QString &script)
{
    QVariant result;
    bool done = false;
    m_browser->RunScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&done] { return done; }, 10000))
        return {};
    return result;
}

void TestHomeBrowser::clickLink(const QString &id)
{
    const QVariantList box =
        evaluate(
            u"(function() { const r = document.getElementById('%1')"
            u".getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]; })()"_s
                .arg(id))
            .toList();
    QCOMPARE(box.size(), 2);
    QWindow *surface = m_browser->Surface();
    QVERIFY(surface);
    const QPoint point(box.at(0).toInt(), box.at(1).toInt());
    QTest::mouseMove(surface, point);
    QTest::mouseClick(surface, Qt::LeftButton, {}, point);
}

void TestHomeBrowser::stayOnTheLocalPage_data()
{
    QTest::addColumn<QString>("link");   // clicked with the mouse
    QTest::addColumn<QString>("script"); // or run on the page
    QTest::addColumn<QString>("opened"); // handed to the user's browser
    QTest::addColumn<QString>("title");  // of the page shown afterwards

    QTest::newRow("link to a web address")
        << u"away"_s << QString() << u"https://www.example.org/ailleurs"_s << u"Accueil"_s;
    QTest::newRow("script sending the page away")
        << QString() << u"location.href = 'https://www.example.org/script'"_s
        << u"https://www.example.org/script"_s << u"Accueil"_s;
    QTest::newRow("link opening a new window")
        << u"popup"_s << QString() << QString() << u"Accueil"_s;
    QTest::newRow("script opening a window")
        << QString() << u"window.open('seconde.html')"_s << QString() << u"Accueil"_s;
    // The other rows would pass with a browser that does nothing at all.
    QTest::newRow("local link followed") << u"local"_s << QString() << QString() << u"Seconde"_s;
}

void TestHomeBrowser::stayOnTheLocalPage()
{
    QFETCH(QString, link);
    QFETCH(QString, script);
    QFETCH(QString, opened);
    QFETCH(QString, title);

    const qsizetype windows = QGuiApplication::topLevelWindows().size();
    if (!link.isEmpty())
        clickLink(link);
    else
        evaluate(script);
    if (!opened.isEmpty())
        QTRY_COMPARE(m_urls.urls, QList<QUrl>{QUrl(opened)});
    // Whatever was to happen has happened once a later script has run on the page shown.
    QTest::qWait(500);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(u"document.title"_s).toString(), title, 10000);
    QCOMPARE(m_browser->Title(), title);
    QVERIFY(m_browser->Url().isLocalFile());
    if (opened.isEmpty())
        QCOMPARE(m_urls.urls, QList<QUrl>());
    QCOMPARE(QGuiApplication::topLevelWindows().size(), windows);
}

void TestHomeBrowser::downloadsRefused()
{
    auto *profile = qobject_cast<QQuickWebEngineProfile *>(
        m_browser->View()->property("profile").value<QObject *>());
    QVERIFY(profile);
    QSignalSpy requested(profile, &QQuickWebEngineProfile::downloadRequested);
    clickLink(u"download"_s);
    QTRY_COMPARE(requested.size(), 1);
    const QPointer<QObject> download = requested.at(0).at(0).value<QObject *>();
    QVERIFY(download);
    QCOMPARE(download->property("state").toInt(),
             int(QWebEngineDownloadRequest::DownloadCancelled));
    QTest::qWait(500);
    QCOMPARE(m_browser->Title(), u"Accueil"_s);
    // Nothing of it anywhere in the home, and no downloads folder made.
    QStringList written;
    QDirIterator it(m_home.path(), {u"fichier*"_s, u"Downloads"_s, u"Téléchargements"_s},
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        written << it.next();
    QVERIFY2(written.isEmpty(), qPrintable(written.join(u", "_s)));
}

// The tests run the engine without its sandbox (they run as root, where the engine refuses it):
// the program itself, started without that setting by an unprivileged user, keeps it on. Its
// page is drawn by processes under the engine's system-call filter, in a user namespace of their
// own, and none of its processes is told to go without the sandbox.
void TestHomeBrowser::programKeepsTheSandbox()
{
    const QString program = QStringLiteral(VEMORA_PROGRAM);
    if (!QFileInfo(QFileInfo(program).absolutePath() + u"/index.html"_s).isFile())
        QSKIP("no home page beside the program: it starts without its browser");
    QTemporaryDir folders;
    QVERIFY(folders.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"QTWEBENGINE_DISABLE_SANDBOX"_s);
    environment.remove(u"QTWEBENGINE_CHROMIUM_FLAGS"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    for (const char16_t *name :
         {u"HOME", u"XDG_RUNTIME_DIR", u"XDG_CONFIG_HOME", u"XDG_CACHE_HOME", u"XDG_DATA_HOME"}) {
        const QString folder = folders.filePath(QString::fromUtf16(name));
        QVERIFY(QDir().mkdir(folder));
        environment.insert(QString::fromUtf16(name), folder);
    }

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (geteuid() == 0) {
        const passwd *nobody = getpwnam("nobody");
        if (!nobody)
            QSKIP("no unprivileged user \"nobody\" to run the program as");
        g_uid = nobody->pw_uid;
        g_gid = nobody->pw_gid;
        const QByteArray root = QFile::encodeName(folders.path());
        QVERIFY(chmod(root.constData(), 0755) == 0);
        for (const QString &folder :
             QDir(folders.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QByteArray path = QFile::encodeName(folders.filePath(folder));
            QVERIFY(chown(path.constData(), g_uid, g_gid) == 0 &&
                    chmod(path.constData(), 0700) == 0);
        }
        process.setChildProcessModifier(becomeUnprivileged);
    }
    process.start(program, {});
    if (!process.waitForStarted(10000) && geteuid() == 0)
        QSKIP("the user \"nobody\" cannot run the program here (its folder is closed to others)");
    QVERIFY2(process.state() == QProcess::Running, qPrintable(process.errorString()));
    const qint64 pid = process.processId();
    const auto stop = qScopeGuard([&process, pid] {
        const QList<qint64> started = DescendantsOf(pid);
        process.kill();
        process.waitForFinished(10000);
        for (const qint64 child : started)
            ::kill(pid_t(child), SIGKILL);
    });

    // A process of the browser under the system-call filter ("Seccomp: 2") draws the page;
    // none is told to go without the sandbox.
    qint64 sandboxed = 0;
    QString unsandboxed;
    QDeadlineTimer deadline(60000);
    while (!sandboxed && unsandboxed.isEmpty() && process.state() == QProcess::Running &&
           !deadline.hasExpired()) {
        process.waitForFinished(200);
        for (const qint64 child : DescendantsOf(pid)) {
            if (StatusOf(child, u"Seccomp"_s) == u"2"_s)
                sandboxed = child;
            if (CommandLineOf(child).contains(u"--no-sandbox"_s))
                unsandboxed = CommandLineOf(child);
        }
    }
    QVERIFY2(unsandboxed.isEmpty(), qPrintable(unsandboxed));
    const QString output = QString::fromLocal8Bit(process.readAll());
    if (process.state() != QProcess::Running) {
        if (process.exitCode() == 126)
            QSKIP("the program cannot run as the user \"nobody\" here");
        if (output.contains(u"No usable sandbox"_s))
            QSKIP("this machine offers no sandbox to unprivileged users (user namespaces off)");
        QFAIL(qPrintable(u"the program ended: "_s + output.right(2000)));
    }
    QVERIFY2(sandboxed, qPrintable(output.right(2000)));
    QVERIFY(!NamespaceOf(sandboxed, "user").isEmpty());
    QVERIFY(NamespaceOf(sandboxed, "user") != NamespaceOf(pid, "user"));
    for (const qint64 child : DescendantsOf(pid)) {
        const QString command = CommandLineOf(child);
        QVERIFY2(!command.contains(u"--no-sandbox"_s), qPrintable(command));
    }
}

QTEST_MAIN(TestHomeBrowser)
#include "tst_homebrowser.moc"
