// Starts of the real program on a private X server: the second one warns and leaves, the first
// runs on; once the first has ended, a new start runs normally. Twenty starts at once give one
// window; a link planted at the lock's place is not written through; without a runtime folder
// the lock goes to a private folder; a session leaves nothing in the user's folders.
#include "CupsServer.h"
#include "Environment.h"
#include "Files.h"
#include "PlantedLink.h"
#include "ProcessTree.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <utility>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString MainWindowName = u"^Calculatrice de frais kilom"_s;
const QString WarningName = u"^Avertissement$"_s;
const QString LockName = u"Vemora2023Mutex"_s;
// The left edges of "Accéder à la calculatrice" and "Accueil", in the window.
const QPoint ShowCalcEdge(264, 536);
const QPoint HomeEdge(6, 532);

// The process holding a flock() on the file, from /proc/locks; -1 when none does.
qint64 lockHolder(const QString &file)
{
    struct stat info;
    QFile locks(u"/proc/locks"_s);
    if (stat(QFile::encodeName(file).constData(), &info) != 0 || !locks.open(QIODevice::ReadOnly))
        return -1;
    // "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF": the last part of the device is the inode.
    const QString inode = u":%1"_s.arg(info.st_ino);
    for (const QString &line : QString::fromLatin1(locks.readAll()).split(u'\n')) {
        const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
        if (fields.size() > 5 && fields.at(1) == u"FLOCK"_s && fields.at(5).endsWith(inode))
            return fields.at(4).toLongLong();
    }
    return -1;
}

// A started process dies with the test, even when the test itself is killed.
void dieWithParent()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

enum TFirstEnd
{
    feClosedWithCtrlF,
    feKilled
};

} // namespace

Q_DECLARE_METATYPE(TFirstEnd)

class TestTwoInstances : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void secondStartWarnsAndLeaves();
    void newStartAfterTheFirstEnded_data();
    void newStartAfterTheFirstEnded();
    void twentyStartsAtOnce();
    void plantedLinkNotWrittenThrough_data();
    void plantedLinkNotWrittenThrough();
    void missingRuntimeFolder();
    void sessionLeavesNothingBehind();
    void dialogOfAShortcutTakesTheFirstKey();
    void homePageLeavesTheKeysToTheWindow();
    void keyboardOnlySession();

private:
    // Starts the program with the test's display, runtime folder and home; `adjust` changes
    // that environment first. It runs in `workingFolder`, or in the test's own.
    QProcess *startProgram(const std::function<void(QProcessEnvironment &)> &adjust = {},
                           const QString &workingFolder = QString(),
                           const QString &path = QStringLiteral(VEMORA_PROGRAM));
    QProcessEnvironment displayEnvironment() const;
    struct TRun
    {
        int exitCode = -1;
        QString output;
    };
    TRun run(const QStringList &command, int timeoutMs = 30000);
    // The ids of the visible windows whose name matches, waiting up to `seconds` for one.
    QStringList findWindows(const QString &pattern, int seconds);
    QStringList visibleWindowsNow(const QString &pattern);
    qint64 windowPid(const QString &window);
    bool pressKey(const QString &window, const QString &key);
    bool clickAt(const QString &window, int x, int y);
    // Starts the program and waits for its home page to be drawn; null (the test failed or was
    // skipped) when it does not come.
    QProcess *startOnHomePage(QString &window);
    // Whether the link whose left edge is at `edge` is framed, as it is while it has the keyboard.
    bool framed(const QString &window, QPoint edge);
    bool onHomePanel(const QString &window);
    // Presses Tab until the link at `edge` has the keyboard (at most 16 times).
    bool tabTo(const QString &window, QPoint edge);
    // The window as the server shows it; null when it cannot be taken.
    QImage grab(const QString &window);
    static QString describe(QProcess *process);

    QString m_xdotool;
    QString m_timeout;
    std::unique_ptr<QProcess> m_server;
    QString m_display;
    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<QTemporaryDir> m_home;
    QList<QProcess *> m_programs;
};

void TestTwoInstances::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
    m_xdotool = QStandardPaths::findExecutable(u"xdotool"_s);
    m_timeout = QStandardPaths::findExecutable(u"timeout"_s);
    if (xvfb.isEmpty() || m_xdotool.isEmpty())
        QSKIP("Xvfb or xdotool is not installed (scripts/install-deps.sh installs them)");
    QVERIFY2(!m_timeout.isEmpty(), "the timeout command is missing");
    QVERIFY2(QFileInfo(QStringLiteral(VEMORA_PROGRAM)).isExecutable(), VEMORA_PROGRAM);

    // The server picks a free display and writes its number on its standard output.
    m_server = std::make_unique<QProcess>();
    m_server->setChildProcessModifier(dieWithParent);
    m_server->setProcessChannelMode(QProcess::SeparateChannels);
    // -noreset: the server would otherwise reset each time its last client leaves, and refuse
    // the next program that connects meanwhile.
    m_server->start(xvfb, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s,
                           u"-screen"_s, u"0"_s, u"1280x1024x24"_s});
    QVERIFY2(m_server->waitForStarted(10000), qPrintable(m_server->errorString()));
    QByteArray number;
    QDeadlineTimer deadline(15000);
    while (!number.contains('\n') && !deadline.hasExpired()) {
        m_server->waitForReadyRead(int(deadline.remainingTime()));
        number += m_server->readAllStandardOutput();
    }
    bool ok = false;
    const int display = number.trimmed().toInt(&ok);
    QVERIFY2(ok, number.constData());
    m_display = u":%1"_s.arg(display);
}

void TestTwoInstances::cleanupTestCase()
{
    if (m_server && m_server->state() != QProcess::NotRunning) {
        m_server->terminate();
        if (!m_server->waitForFinished(5000))
            m_server->kill();
        m_server->waitForFinished(5000);
    }
}

void TestTwoInstances::init()
{
    // A fresh runtime folder (the lock's) and home folder for each test; both are 0700.
    m_runtime = std::make_unique<QTemporaryDir>();
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid() && m_home->isValid());
}

void TestTwoInstances::cleanup()
{
    for (QProcess *program : std::as_const(m_programs)) {
        if (program->state() != QProcess::NotRunning) {
            program->kill();
            program->waitForFinished(5000);
        }
        delete program;
    }
    m_programs.clear();
    m_runtime.reset();
    m_home.reset();
}

QProcessEnvironment TestTwoInstances::displayEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DISPLAY"_s, m_display);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.remove(u"XAUTHORITY"_s);
    return environment;
}

QProcess *TestTwoInstances::startProgram(const std::function<void(QProcessEnvironment &)> &adjust,
                                         const QString &workingFolder, const QString &path)
{
    QProcessEnvironment environment = displayEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_runtime->path());
    environment.insert(u"HOME"_s, m_home->path());
    environment.remove(u"XDG_CONFIG_HOME"_s);
    environment.insert(u"QTWEBENGINE_DISABLE_SANDBOX"_s, u"1"_s);
    if (adjust)
        adjust(environment);

    auto *program = new QProcess;
    m_programs.append(program);
    program->setChildProcessModifier(dieWithParent);
    program->setProcessEnvironment(environment);
    program->setProcessChannelMode(QProcess::MergedChannels);
    program->setWorkingDirectory(workingFolder);
    program->start(path, {});
    return program;
}

TestTwoInstances::TRun TestTwoInstances::run(const QStringList &command, int timeoutMs)
{
    QProcess process;
    process.setChildProcessModifier(dieWithParent);
    process.setProcessEnvironment(displayEnvironment());
    process.start(command.first(), command.mid(1));
    TRun result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return result;
}

QStringList TestTwoInstances::findWindows(const QString &pattern, int seconds)
{
    // Asked again and again rather than with --sync: xdotool gives up at once when a window of
    // the server goes away while it looks through them (another start's warning closing).
    const QDeadlineTimer deadline(seconds * 1000);
    do {
        const TRun found = run(
            {m_timeout, u"5"_s, m_xdotool, u"search"_s, u"--onlyvisible"_s, u"--name"_s, pattern},
            10000);
        if (found.exitCode == 0) {
            const QStringList windows = found.output.split(u'\n', Qt::SkipEmptyParts);
            if (!windows.isEmpty())
                return windows;
        }
        QTest::qWait(100);
    } while (!deadline.hasExpired());
    return {};
}

QStringList TestTwoInstances::visibleWindowsNow(const QString &pattern)
{
    const TRun found = run({m_xdotool, u"search"_s, u"--onlyvisible"_s, u"--name"_s, pattern});
    return found.output.split(u'\n', Qt::SkipEmptyParts);
}

qint64 TestTwoInstances::windowPid(const QString &window)
{
    const TRun found = run({m_xdotool, u"getwindowpid"_s, window});
    return found.exitCode == 0 ? found.output.trimmed().toLongLong() : -1;
}

// Gives the window the keyboard, as a click would, then types the key.
bool TestTwoInstances::pressKey(const QString &window, const QString &key)
{
    if (run({m_timeout, u"10"_s, m_xdotool, u"windowfocus"_s, u"--sync"_s, window}).exitCode != 0)
        return false;
    return run({m_xdotool, u"key"_s, u"--clearmodifiers"_s, key}).exitCode == 0;
}

bool TestTwoInstances::clickAt(const QString &window, int x, int y)
{
    return run({m_xdotool, u"mousemove"_s, u"--sync"_s, u"--window"_s, window, QString::number(x),
                QString::number(y), u"click"_s, u"1"_s})
               .exitCode == 0;
}

QImage TestTwoInstances::grab(const QString &window)
{
    QProcess shot;
    shot.setChildProcessModifier(dieWithParent);
    shot.setProcessEnvironment(displayEnvironment());
    shot.start(u"sh"_s, {u"-c"_s, u"xwd -silent -id \"$0\" | xwdtopnm 2>/dev/null"_s, window});
    if (!shot.waitForFinished(20000) || shot.exitCode() != 0)
        return {};
    return QImage::fromData(shot.readAllStandardOutput(), "PPM");
}

QProcess *TestTwoInstances::startOnHomePage(QString &window)
{
    if (BrowserEngineLeftOut()) {
        QTest::qSkip("this build leaves the browser engine out", __FILE__, __LINE__);
        return nullptr;
    }
    if (QStandardPaths::findExecutable(u"xwd"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"xwdtopnm"_s).isEmpty()) {
        QTest::qSkip("xwd or xwdtopnm is not installed (scripts/install-deps.sh installs them)",
                     __FILE__, __LINE__);
        return nullptr;
    }
    QProcess *program = startProgram();
    if (!QTest::qVerify(program->waitForStarted(10000), "started", "", __FILE__, __LINE__))
        return nullptr;
    const QStringList mainWindows = findWindows(MainWindowName, 60);
    if (!QTest::qVerify(mainWindows.size() == 1, "one window", qPrintable(describe(program)),
                        __FILE__, __LINE__))
        return nullptr;
    window = mainWindows.first();
    // The page's white title, drawn once the browser has started and read the page.
    const auto pageDrawn = [&] {
        const QImage shot = grab(window);
        for (int x = 80; x < 400 && !shot.isNull(); ++x) {
            if (qGray(shot.pixel(x, 28)) > 200)
                return true;
        }
        return false;
    };
    if (!QTest::qVerify(QTest::qWaitFor(pageDrawn, 60000) && onHomePanel(window) &&
                            !framed(window, ShowCalcEdge),
                        "home page drawn", "", __FILE__, __LINE__))
        return nullptr;
    return program;
}

bool TestTwoInstances::framed(const QString &window, QPoint edge)
{
    return grab(window).pixel(edge) == qRgb(255, 255, 255);
}

bool TestTwoInstances::onHomePanel(const QString &window)
{
    // "Accéder à la calculatrice" is on its blue.
    return grab(window).pixel(ShowCalcEdge + QPoint(3, 0)) == qRgb(0x3E, 0x95, 0xF4);
}

bool TestTwoInstances::tabTo(const QString &window, QPoint edge)
{
    for (int tabs = 0; tabs < 16; ++tabs) {
        if (framed(window, edge))
            return true;
        run({m_xdotool, u"key"_s, u"Tab"_s});
        QTest::qWait(300);
    }
    return framed(window, edge);
}

QString TestTwoInstances::describe(QProcess *process)
{
    return u"state %1, exit %2, output: %3"_s.arg(int(process->state()))
        .arg(process->exitCode())
        .arg(QString::fromLocal8Bit(process->readAll()).right(2000));
}

void TestTwoInstances::secondStartWarnsAndLeaves()
{
    QProcess *first = startProgram();
    QVERIFY2(first->waitForStarted(10000), qPrintable(first->errorString()));
    const QStringList mainWindows = findWindows(MainWindowName, 60);
    QVERIFY2(mainWindows.size() == 1, qPrintable(describe(first)));
    QCOMPARE(windowPid(mainWindows.first()), first->processId());

    QProcess *second = startProgram();
    QVERIFY2(second->waitForStarted(10000), qPrintable(second->errorString()));
    const QStringList warnings = findWindows(WarningName, 20);
    QVERIFY2(warnings.size() == 1, qPrintable(describe(second)));
    QCOMPARE(windowPid(warnings.first()), second->processId());
    QVERIFY2(second->state() == QProcess::Running, "the second start did not wait for the user");

    QVERIFY(pressKey(warnings.first(), u"Return"_s));
    QVERIFY2(second->waitForFinished(20000), "the second start did not leave after the warning");
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);

    // The first runs on, alone, with its window.
    QTest::qWait(500);
    QVERIFY2(first->state() == QProcess::Running, qPrintable(describe(first)));
    QCOMPARE(visibleWindowsNow(MainWindowName), mainWindows);
    QCOMPARE(visibleWindowsNow(WarningName), QStringList());

    QVERIFY(pressKey(mainWindows.first(), u"ctrl+f"_s));
    QVERIFY2(first->waitForFinished(20000), "Ctrl+F did not close the calculator");
    QCOMPARE(first->exitStatus(), QProcess::NormalExit);
    QCOMPARE(first->exitCode(), 0);
}

void TestTwoInstances::newStartAfterTheFirstEnded_data()
{
    QTest::addColumn<TFirstEnd>("end");

    QTest::newRow("first closed with Ctrl+F") << feClosedWithCtrlF;
    QTest::newRow("first killed") << feKilled;
}

void TestTwoInstances::newStartAfterTheFirstEnded()
{
    QFETCH(TFirstEnd, end);

    QProcess *first = startProgram();
    QVERIFY2(first->waitForStarted(10000), qPrintable(first->errorString()));
    const QStringList firstWindows = findWindows(MainWindowName, 60);
    QVERIFY2(firstWindows.size() == 1, qPrintable(describe(first)));

    if (end == feClosedWithCtrlF) {
        QVERIFY(pressKey(firstWindows.first(), u"ctrl+f"_s));
        if (!first->waitForFinished(20000)) {
            first->terminate();
            QVERIFY(first->waitForFinished(10000));
            QFAIL("Ctrl+F did not close the calculator");
        }
    } else {
        first->kill(); // the kernel drops the lock of a process however it ends
        QVERIFY(first->waitForFinished(10000));
    }

    QProcess *next = startProgram();
    QVERIFY2(next->waitForStarted(10000), qPrintable(next->errorString()));
    const QStringList nextWindows = findWindows(MainWindowName, 60);
    QVERIFY2(nextWindows.size() == 1, qPrintable(describe(next)));
    QCOMPARE(windowPid(nextWindows.first()), next->processId());
    QCOMPARE(visibleWindowsNow(WarningName), QStringList());
    QVERIFY2(next->state() == QProcess::Running, qPrintable(describe(next)));

    QVERIFY(pressKey(nextWindows.first(), u"ctrl+f"_s));
    QVERIFY2(next->waitForFinished(20000), "Ctrl+F did not close the calculator");
    QCOMPARE(next->exitCode(), 0);
}

// Of twenty starts at once, one gets the lock and its window, the others warn and wait.
void TestTwoInstances::twentyStartsAtOnce()
{
    constexpr int Starts = 20;
    QList<QProcess *> programs;
    for (int i = 0; i < Starts; ++i)
        programs.append(startProgram());
    for (QProcess *program : std::as_const(programs))
        QVERIFY2(program->waitForStarted(10000), qPrintable(program->errorString()));

    QStringList mainWindows;
    QStringList warnings;
    QDeadlineTimer deadline(120000);
    do {
        QTest::qWait(500);
        mainWindows = visibleWindowsNow(MainWindowName);
        warnings = visibleWindowsNow(WarningName);
    } while (mainWindows.size() + warnings.size() < Starts && mainWindows.size() < 2 &&
             !deadline.hasExpired());
    QCOMPARE(mainWindows.size(), 1);
    QCOMPARE(warnings.size(), Starts - 1);
    const qint64 running = windowPid(mainWindows.first());
    QCOMPARE(lockHolder(m_runtime->filePath(LockName)), running);
    QSet<qint64> warned;
    for (const QString &warning : std::as_const(warnings))
        warned.insert(windowPid(warning));
    QCOMPARE(warned.size(), Starts - 1);
    QVERIFY(!warned.contains(running));
    for (QProcess *program : std::as_const(programs))
        QVERIFY2(program->state() == QProcess::Running, qPrintable(describe(program)));
}

void TestTwoInstances::plantedLinkNotWrittenThrough_data()
{
    QTest::addColumn<bool>("targetExists");

    QTest::newRow("link to an existing file") << true;
    QTest::newRow("link to a missing file") << false;
}

// A lock that cannot be taken counts as another instance running: the warning, no window, and
// the file the link points to left alone.
void TestTwoInstances::plantedLinkNotWrittenThrough()
{
    QFETCH(bool, targetExists);

    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QString target = elsewhere.filePath(u"precieux.txt"_s);
    QVERIFY(MakeLinkTarget(target, targetExists));
    QVERIFY(QFile::link(target, m_runtime->filePath(LockName)));

    QProcess *program = startProgram();
    QVERIFY2(program->waitForStarted(10000), qPrintable(program->errorString()));
    const QStringList warnings = findWindows(WarningName, 60);
    QVERIFY2(warnings.size() == 1, qPrintable(describe(program)));
    QCOMPARE(visibleWindowsNow(MainWindowName), QStringList());
    QVERIFY(pressKey(warnings.first(), u"Return"_s));
    QVERIFY2(program->waitForFinished(20000), "the program did not leave after the warning");
    QCOMPARE(program->exitCode(), 0);

    QCOMPARE(QFileInfo(m_runtime->filePath(LockName)).symLinkTarget(), target);
    CheckLinkTargetKept(target, targetExists);
}

// Without its runtime folder the program takes its lock in a private folder of its own under
// the temporary folder, which a second start finds. (Qt makes a missing runtime folder whose
// parent exists, so here the parent is missing too.)
void TestTwoInstances::missingRuntimeFolder()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString absent = m_runtime->filePath(u"absent/run"_s);
    const auto adjust = [&](QProcessEnvironment &environment) {
        environment.insert(u"XDG_RUNTIME_DIR"_s, absent);
        environment.insert(u"TMPDIR"_s, temp.path());
    };
    QProcess *first = startProgram(adjust);
    QVERIFY2(first->waitForStarted(10000), qPrintable(first->errorString()));
    const QStringList mainWindows = findWindows(MainWindowName, 60);
    QVERIFY2(mainWindows.size() == 1, qPrintable(describe(first)));

    const QString fallback = temp.filePath(u"vemora-%1"_s.arg(geteuid()));
    struct stat info;
    QVERIFY(lstat(QFile::encodeName(fallback).constData(), &info) == 0);
    QVERIFY(S_ISDIR(info.st_mode));
    QCOMPARE(info.st_mode & 0777, mode_t(0700));
    QCOMPARE(lockHolder(fallback + u'/' + LockName), first->processId());
    QVERIFY2(!QFileInfo::exists(m_runtime->filePath(u"absent"_s)),
             "the missing runtime folder was made");

    QProcess *second = startProgram(adjust);
    QVERIFY2(second->waitForStarted(10000), qPrintable(second->errorString()));
    QVERIFY2(findWindows(WarningName, 60).size() == 1, qPrintable(describe(second)));
    QCOMPARE(visibleWindowsNow(MainWindowName), mainWindows);
}

// A session on the home page (with its browser when the home page is beside the program) and
// the calculator, with every folder of the user fresh: nothing is left in them but the lock.
void TestTwoInstances::sessionLeavesNothingBehind()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const std::pair<const char16_t *, const char16_t *> folders[] = {
        {u"HOME", u"home"},          {u"XDG_CONFIG_HOME", u"config"}, {u"XDG_CACHE_HOME", u"cache"},
        {u"XDG_DATA_HOME", u"data"}, {u"XDG_STATE_HOME", u"state"},   {u"XDG_RUNTIME_DIR", u"run"},
    };
    QStringList made{u"work"_s};
    for (const auto &[variable, name] : folders)
        made << QString::fromUtf16(name);
    for (const QString &folder : std::as_const(made)) {
        QVERIFY(QDir(root.path()).mkdir(folder));
        QVERIFY(QFile::setPermissions(root.filePath(folder),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    QProcess *program = startProgram(
        [&](QProcessEnvironment &environment) {
            for (const auto &[variable, name] : folders)
                environment.insert(QString::fromUtf16(variable),
                                   root.filePath(QString::fromUtf16(name)));
        },
        root.filePath(u"work"_s));
    QVERIFY2(program->waitForStarted(10000), qPrintable(program->errorString()));
    const QStringList mainWindows = findWindows(MainWindowName, 60);
    QVERIFY2(mainWindows.size() == 1, qPrintable(describe(program)));

    const bool homePage =
        QFileInfo(QFileInfo(QStringLiteral(VEMORA_PROGRAM)).absolutePath() + u"/index.html"_s)
            .isFile();
    if (homePage) {
        // The browser's processes, then time for the page to be drawn.
        QTRY_VERIFY_WITH_TIMEOUT(!DescendantsOf(program->processId()).isEmpty(), 30000);
        QTest::qWait(3000);
    }
    QVERIFY(pressKey(mainWindows.first(), u"ctrl+f"_s));
    QVERIFY2(program->waitForFinished(20000), "Ctrl+F did not close the calculator");
    QCOMPARE(program->exitCode(), 0);

    made << u"run/"_s + LockName;
    const QStringList found = ContentsOf(root.path());
    QStringList written = found;
    written.removeIf([&made](const QString &entry) { return made.contains(entry); });
    QVERIFY2(written.isEmpty(), qPrintable(u"written: "_s + written.join(u", "_s)));
    QCOMPARE(found.size(), made.size());
}

// Ctrl+I opens the information window: the very next key, Escape, is its own and closes it.
void TestTwoInstances::dialogOfAShortcutTakesTheFirstKey()
{
    // A copy of the program without its home page opens on the calculator.
    QTemporaryDir folder;
    QVERIFY(QFile::copy(QStringLiteral(VEMORA_PROGRAM), folder.filePath(u"vemora"_s)));
    QProcess *program = startProgram({}, QString(), folder.filePath(u"vemora"_s));
    QVERIFY2(program->waitForStarted(10000), qPrintable(program->errorString()));
    const QStringList mainWindows = findWindows(MainWindowName, 60);
    QVERIFY2(mainWindows.size() == 1, qPrintable(describe(program)));
    for (int round = 0; round < 2; ++round) {
        QVERIFY(pressKey(mainWindows.first(), u"ctrl+i"_s));
        QVERIFY2(findWindows(u"^Informations$"_s, 20).size() == 1, qPrintable(describe(program)));
        QVERIFY(run({m_xdotool, u"key"_s, u"Escape"_s}).exitCode == 0);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindowsNow(u"^Informations$"_s).isEmpty(), 5000);
    }
    QVERIFY(pressKey(mainWindows.first(), u"ctrl+f"_s));
    QVERIFY2(program->waitForFinished(20000), "Ctrl+F did not close the calculator");
}

// With the home page shown and the keyboard in it, the window's shortcuts still work, and Tab
// leaves the page for "Accéder à la calculatrice", which Enter follows.
void TestTwoInstances::homePageLeavesTheKeysToTheWindow()
{
    QString window;
    QProcess *program = startOnHomePage(window);
    if (!program)
        return;
    const auto showCalcFramed = [&] { return framed(window, ShowCalcEdge); };
    const auto homeShown = [&] { return onHomePanel(window); };
    QVERIFY(homeShown() && !showCalcFramed());

    // The text of the page, clicked, has the keyboard.
    QVERIFY(clickAt(window, 300, 320));
    QVERIFY(run({m_xdotool, u"key"_s, u"ctrl+i"_s}).exitCode == 0);
    QVERIFY2(findWindows(u"^Informations$"_s, 20).size() == 1, qPrintable(describe(program)));
    QVERIFY(run({m_xdotool, u"key"_s, u"Escape"_s}).exitCode == 0);
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindowsNow(u"^Informations$"_s).isEmpty(), 5000);

    QVERIFY(clickAt(window, 300, 320));
    QVERIFY2(tabTo(window, ShowCalcEdge), "Tab never left the page");
    // On into the page again, and back with Shift+Tab.
    QVERIFY(run({m_xdotool, u"key"_s, u"Tab"_s}).exitCode == 0);
    QTRY_VERIFY_WITH_TIMEOUT(!showCalcFramed(), 5000);
    QVERIFY(run({m_xdotool, u"key"_s, u"shift+Tab"_s}).exitCode == 0);
    QTRY_VERIFY_WITH_TIMEOUT(showCalcFramed(), 5000);
    QVERIFY(run({m_xdotool, u"key"_s, u"Return"_s}).exitCode == 0);
    QTRY_VERIFY_WITH_TIMEOUT(!homeShown(), 5000);

    // "Accueil", then Ctrl+F from the page closes the program.
    QVERIFY(clickAt(window, 20, 532));
    QTRY_VERIFY_WITH_TIMEOUT(homeShown(), 5000);
    QVERIFY(clickAt(window, 300, 320));
    QVERIFY(run({m_xdotool, u"key"_s, u"ctrl+f"_s}).exitCode == 0);
    QVERIFY2(program->waitForFinished(20000), "Ctrl+F in the page did not close the calculator");
}

// From the start to the end with keys only: the calculator, an amount, a printed copy, the
// information window, home again, and Ctrl+F.
void TestTwoInstances::keyboardOnlySession()
{
    TCupsServer cups;
    QVERIFY2(cups.IsRunning() && cups.AddQueue(u"VemoraPDF"_s), qPrintable(cups.Error()));
    const int lastJob = cups.LastJobId();
    QString window;
    QProcess *program = startOnHomePage(window);
    if (!program)
        return;
    const auto key = [this](const QString &keys) {
        return run({m_xdotool, u"key"_s, u"--delay"_s, u"150"_s, keys}).exitCode == 0;
    };
    QVERIFY(run({m_timeout, u"10"_s, m_xdotool, u"windowfocus"_s, u"--sync"_s, window}).exitCode ==
            0);
    QVERIFY(tabTo(window, ShowCalcEdge));
    QVERIFY(key(u"Return"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!onHomePanel(window), 5000);

    // From the year to the annual distance, then Enter to "Calculer" and Space on it.
    for (int field = 0; field < 5; ++field)
        QVERIFY(key(u"Tab"_s));
    QVERIFY(run({m_xdotool, u"type"_s, u"--delay"_s, u"100"_s, u"12000"_s}).exitCode == 0);
    QVERIFY(key(u"Return"_s));
    QVERIFY(key(u"space"_s));
    const auto amountShown = [&] {
        // Dark digits in the amount's grey box.
        const QImage shot = grab(window);
        int ink = 0;
        for (int y = 372; y < 386; ++y) {
            for (int x = 246; x < 392; ++x)
                ink += qGray(shot.pixel(x, y)) < 80;
        }
        return ink > 20;
    };
    QTRY_VERIFY_WITH_TIMEOUT(amountShown(), 5000);

    QVERIFY(key(u"ctrl+n"_s));
    QVERIFY2(findWindows(u"^Impression$"_s, 20).size() == 1, qPrintable(describe(program)));
    QVERIFY(key(u"Return"_s));
    QVERIFY2(cups.WaitForJobs(lastJob, 1), qPrintable(TCupsServer::Describe(cups.Jobs(lastJob))));

    QVERIFY(key(u"ctrl+i"_s));
    QVERIFY2(findWindows(u"^Informations$"_s, 20).size() == 1, qPrintable(describe(program)));
    QVERIFY(key(u"Escape"_s));
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindowsNow(u"^Informations$"_s).isEmpty(), 5000);

    // Back to the window, as a window manager gives it the keyboard when a dialog closes.
    QVERIFY(run({m_timeout, u"10"_s, m_xdotool, u"windowfocus"_s, u"--sync"_s, window}).exitCode ==
            0);
    QVERIFY(tabTo(window, HomeEdge));
    QVERIFY(key(u"Return"_s));
    QTRY_VERIFY_WITH_TIMEOUT(onHomePanel(window), 5000);
    QVERIFY(key(u"ctrl+f"_s));
    QVERIFY2(program->waitForFinished(20000), "Ctrl+F did not close the calculator");
}

QTEST_GUILESS_MAIN(TestTwoInstances)
#include "tst_twoinstances.moc"
