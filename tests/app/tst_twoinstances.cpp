// Two starts of the real program on a private X server: the second one warns and leaves, the
// first runs on; once the first has ended, a new start runs normally.
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

#include <signal.h>
#include <sys/prctl.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString MainWindowName = u"^Calculatrice de frais kilom"_s;
const QString WarningName = u"^Avertissement$"_s;

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

private:
    QProcess *startProgram();
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
    m_server->start(xvfb, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-screen"_s, u"0"_s,
                           u"1280x1024x24"_s});
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

QProcess *TestTwoInstances::startProgram()
{
    QProcessEnvironment environment = displayEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_runtime->path());
    environment.insert(u"HOME"_s, m_home->path());
    environment.remove(u"XDG_CONFIG_HOME"_s);
    environment.insert(u"QTWEBENGINE_DISABLE_SANDBOX"_s, u"1"_s);

    auto *program = new QProcess;
    m_programs.append(program);
    program->setChildProcessModifier(dieWithParent);
    program->setProcessEnvironment(environment);
    program->setProcessChannelMode(QProcess::MergedChannels);
    program->start(QStringLiteral(VEMORA_PROGRAM), {});
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
    const TRun found = run({m_timeout, QString::number(seconds), m_xdotool, u"search"_s,
                            u"--sync"_s, u"--onlyvisible"_s, u"--name"_s, pattern},
                           (seconds + 5) * 1000);
    if (found.exitCode != 0)
        return {};
    return found.output.split(u'\n', Qt::SkipEmptyParts);
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

QTEST_GUILESS_MAIN(TestTwoInstances)
#include "tst_twoinstances.moc"
