// Print jobs when the print server fails them: a queue that refuses jobs, a paused queue, a server
// that stops before or in the middle of a job; through the program's print functions (the quick
// print of the main window, the preview's print) and through vemora-calc --print.
#include "CupsServer.h"
#include "FrenchLocale.h"
#include "PageModel.h"
#include "Printing.h"
#include "Report.h"
#include "ReportExamples.h"

#include <QElapsedTimer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Queue = u"VemoraPDF"_s;
const QString KmJobTitle = u"Impression Frais Kilométriques"_s;

// Stands between the print library and the print server and passes every byte on, until the
// `cutAt`-th document of a job starts coming in: the relay then stops the server, drops every
// connection and stops listening, as a server that goes away in the middle of a job. With
// `cutAt` 0 it only passes bytes on.
class TCupsRelay
{
public:
    TCupsRelay(const QString &path, const QString &server, pid_t serverPid, int cutAt)
        : m_path(QFile::encodeName(path))
        , m_server(QFile::encodeName(server))
        , m_serverPid(serverPid)
        , m_cutAt(cutAt)
    {
        if (pipe2(m_wake, O_CLOEXEC) != 0)
            return;
        ::unlink(m_path.constData());
        m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = addressOf(m_path);
        if (m_listener < 0 ||
            ::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 16) != 0) {
            closeFd(m_listener);
            return;
        }
        m_thread = std::thread([this] { relay(); });
    }

    ~TCupsRelay()
    {
        if (m_thread.joinable()) {
            const char quit = 'q';
            [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &quit, 1);
            m_thread.join();
        }
        closeFd(m_listener);
        closeFd(m_wake[0]);
        closeFd(m_wake[1]);
        ::unlink(m_path.constData());
    }

    TCupsRelay(const TCupsRelay &) = delete;
    TCupsRelay &operator=(const TCupsRelay &) = delete;

    bool IsListening() const { return m_thread.joinable(); }
    bool HasCut() const { return m_cut; }

private:
    struct TConnection
    {
        int Client = -1;
        int Server = -1;
        QByteArray Tail; // the last bytes from the client, for a mark cut in two
    };

    static sockaddr_un addressOf(const QByteArray &path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
        return address;
    }

    static void closeFd(int &fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    static bool sendAll(int fd, const char *data, qsizetype size)
    {
        while (size > 0) {
            const ssize_t sent = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            data += sent;
            size -= sent;
        }
        return true;
    }

    int connectToServer() const
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = addressOf(m_server);
        if (fd >= 0 &&
            ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
        return -1;
    }

    // Where a document starts in these bytes from the client (every job here is a PDF file),
    // or -1.
    static qsizetype documentStart(TConnection &connection, const QByteArray &bytes)
    {
        const QByteArray seen = connection.Tail + bytes;
        connection.Tail = seen.right(4);
        const qsizetype mark = seen.indexOf("%PDF-");
        return mark < 0 ? -1 : std::max<qsizetype>(0, mark - (seen.size() - bytes.size()));
    }

    void relay()
    {
        std::vector<TConnection> connections;
        char buffer[1 << 16];
        for (;;) {
            std::vector<pollfd> watched{{m_wake[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
            for (const TConnection &connection : connections) {
                watched.push_back({connection.Client, POLLIN, 0});
                watched.push_back({connection.Server, POLLIN, 0});
            }
            if (::poll(watched.data(), watched.size(), -1) < 0)
                continue;
            if (watched[0].revents)
                break;
            const size_t polled = connections.size(); // a new one waits for the next round
            if (m_listener >= 0 && watched[1].revents) {
                TConnection connection;
                connection.Client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
                connection.Server = connection.Client >= 0 ? connectToServer() : -1;
                if (connection.Server >= 0)
                    connections.push_back(connection);
                else
                    closeFd(connection.Client);
            }
            bool cut = false;
            for (size_t i = 0; i < polled && !cut; ++i) {
                TConnection &connection = connections[i];
                const short fromClient = watched[2 + 2 * i].revents;
                const short fromServer = watched[3 + 2 * i].revents;
                bool open = true;
                if (fromClient) {
                    const ssize_t got = ::read(connection.Client, buffer, sizeof buffer);
                    QByteArray bytes(buffer, got > 0 ? got : 0);
                    const qsizetype start = got > 0 ? documentStart(connection, bytes) : -1;
                    if (start >= 0 && m_cutAt > 0 && ++m_documents == m_cutAt) {
                        // The document's first bytes reach the server, then the server stops.
                        sendAll(connection.Server, bytes.constData(),
                                std::min(start + 5, bytes.size()));
                        ::kill(m_serverPid, SIGTERM);
                        cut = true;
                    } else {
                        open = got > 0 && sendAll(connection.Server, bytes.constData(), got);
                    }
                }
                if (open && !cut && fromServer) {
                    const ssize_t got = ::read(connection.Server, buffer, sizeof buffer);
                    open = got > 0 && sendAll(connection.Client, buffer, got);
                }
                if (!open) {
                    closeFd(connection.Client);
                    closeFd(connection.Server);
                }
            }
            std::erase_if(connections,
                          [](const TConnection &connection) { return connection.Client < 0; });
            if (cut) {
                m_cut = true;
                for (TConnection &connection : connections) {
                    closeFd(connection.Client);
                    closeFd(connection.Server);
                }
                connections.clear();
                closeFd(m_listener);
                ::unlink(m_path.constData());
            }
        }
        for (TConnection &connection : connections) {
            closeFd(connection.Client);
            closeFd(connection.Server);
        }
    }

    QByteArray m_path;
    QByteArray m_server;
    pid_t m_serverPid;
    int m_cutAt;
    int m_documents = 0;
    int m_wake[2] = {-1, -1};
    int m_listener = -1;
    std::atomic<bool> m_cut = false;
    std::thread m_thread;
};

// What goes wrong with the print server.
enum TFault
{
    ftRejecting,      // the queue refuses jobs (cupsreject)
    ftPaused,         // the queue holds the jobs it takes (cupsdisable)
    ftStopped,        // the server stops once the printer is chosen, before the job
    ftCutFirstCopy,   // the server stops while the first copy's document comes in
    ftCutSecondCopy,  // the same during the second copy
    ftStoppedAtStart, // no server at all when the program starts
};

// Which of the program's print functions runs.
enum TPrintPath
{
    ppQuickPrint, // the main window's print: the report drawn on the printer
    ppPreview     // the preview's print: the recorded page replayed on the printer
};

} // namespace

Q_DECLARE_METATYPE(TFault)
Q_DECLARE_METATYPE(TPrintPath)

class TestPrintFailures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printFunctions_data();
    void printFunctions();
    void commandLine_data();
    void commandLine();

private:
    // Starts the relay (but with no server at all), then harms the queue or the server.
    void applyFault(TFault fault);
    QString Relay() const { return m_relayFolder.filePath(u"cups.sock"_s); }

    QTemporaryDir m_relayFolder;
    std::unique_ptr<TCupsServer> m_cups;
    std::unique_ptr<TCupsRelay> m_relay;
    int m_mark = 0;
};

void TestPrintFailures::initTestCase()
{
    PinFrenchLocale();
    QVERIFY(m_relayFolder.isValid());
}

void TestPrintFailures::init()
{
    // A new server for each case: some cases stop it. The print library of this process keeps
    // the first server it meets, so it always goes through the relay, at the same place.
    m_cups = std::make_unique<TCupsServer>();
    QVERIFY2(m_cups->IsRunning(), qPrintable(m_cups->Error()));
    QVERIFY2(m_cups->AddQueue(Queue), qPrintable(m_cups->Error()));
    qputenv("CUPS_SERVER", QFile::encodeName(Relay()));
    m_mark = m_cups->LastJobId();
}

void TestPrintFailures::cleanup()
{
    m_relay.reset();
    m_cups.reset();
}

void TestPrintFailures::applyFault(TFault fault)
{
    const int cutAt = fault == ftCutFirstCopy ? 1 : fault == ftCutSecondCopy ? 2 : 0;
    if (fault != ftStoppedAtStart) {
        m_relay = std::make_unique<TCupsRelay>(Relay(), m_cups->Socket(), m_cups->Pid(), cutAt);
        QVERIFY(m_relay->IsListening());
    }
    if (fault == ftRejecting)
        QVERIFY2(m_cups->Administer(u"cupsreject"_s, {Queue}), qPrintable(m_cups->Error()));
    if (fault == ftPaused)
        QVERIFY2(m_cups->Administer(u"cupsdisable"_s, {Queue}), qPrintable(m_cups->Error()));
    if (fault == ftStoppedAtStart)
        m_cups->Stop();
}

void TestPrintFailures::printFunctions_data()
{
    QTest::addColumn<TFault>("fault");
    QTest::addColumn<TPrintPath>("path");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("taken");

    // A copy counts as sent once the server has taken all of it. A paused queue takes the
    // jobs and holds them: they are sent, and print when the queue goes on. The quick print
    // stops at the first copy the server does not take, the preview tries each copy.
    QTest::newRow("queue refusing jobs, quick print") << ftRejecting << ppQuickPrint << 2 << 0;
    QTest::newRow("queue refusing jobs, preview") << ftRejecting << ppPreview << 2 << 0;
    QTest::newRow("paused queue holds the jobs, quick print") << ftPaused << ppQuickPrint << 2 << 2;
    QTest::newRow("paused queue holds the jobs, preview") << ftPaused << ppPreview << 1 << 1;
    QTest::newRow("server stopped after the printer was chosen")
        << ftStopped << ppQuickPrint << 2 << 0;
    QTest::newRow("server stops during the first copy, quick print")
        << ftCutFirstCopy << ppQuickPrint << 2 << 0;
    QTest::newRow("server stops during the second copy, quick print")
        << ftCutSecondCopy << ppQuickPrint << 3 << 1;
    QTest::newRow("server stops during the second copy, preview")
        << ftCutSecondCopy << ppPreview << 3 << 1;
}

void TestPrintFailures::printFunctions()
{
    QFETCH(TFault, fault);
    QFETCH(TPrintPath, path);
    QFETCH(int, copies);
    QFETCH(int, taken);

    applyFault(fault);
    QTRY_COMPARE(QPrinterInfo::availablePrinterNames(), QStringList{Queue});
    QVERIFY(SelectCurrentPrinter(Queue));
    ResetPrinter();
    if (fault == ftStopped)
        m_cups->Stop();
    const TReport report = MakeKmReport(KmWorkedExample());
    TRecordedPage page;
    RecordReport(page, report, CapsOf(CurrentPrinter()));

    QElapsedTimer clock;
    clock.start();
    const int sent = path == ppQuickPrint ? PrintReport(report, copies)
                                          : PrintRecordedPage(page, copies, KmJobTitle);
    QVERIFY2(clock.elapsed() < 30000, "the print waited for a server that had gone");
    QCOMPARE(sent, taken);
    QCOMPARE(m_relay && m_relay->HasCut(), fault == ftCutFirstCopy || fault == ftCutSecondCopy);

    if (fault == ftRejecting) {
        const QList<TCupsJob> jobs = m_cups->Jobs(m_mark);
        QVERIFY2(jobs.isEmpty(), qPrintable(TCupsServer::Describe(jobs)));
    } else if (fault == ftPaused) {
        // Held, not printed: they print once the queue goes on.
        QList<TCupsJob> jobs = m_cups->Jobs(m_mark);
        QCOMPARE(jobs.size(), taken);
        QVERIFY2(std::none_of(jobs.begin(), jobs.end(),
                              [](const TCupsJob &job) { return job.Completed; }),
                 qPrintable(TCupsServer::Describe(jobs)));
        QVERIFY2(m_cups->Administer(u"cupsenable"_s, {Queue}), qPrintable(m_cups->Error()));
        QVERIFY2(m_cups->WaitForJobs(m_mark, taken),
                 qPrintable(TCupsServer::Describe(m_cups->Jobs(m_mark))));
        jobs = m_cups->Jobs(m_mark);
        QCOMPARE(jobs.size(), taken);
        for (const TCupsJob &job : jobs)
            QCOMPARE(job.Sheets, 1);
    } else {
        // The server is gone; the program goes on and finds no printer.
        QTRY_COMPARE(QPrinterInfo::availablePrinterNames(), QStringList());
    }
}

void TestPrintFailures::commandLine_data()
{
    QTest::addColumn<TFault>("fault");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");

    QTest::newRow("queue refusing jobs")
        << ftRejecting << 2 << 3
        << u"vemora-calc : Impression interrompue : 0 copie(s) envoyée(s) sur 2"_s;
    QTest::newRow("paused queue holds the jobs") << ftPaused << 2 << 0 << QString();
    QTest::newRow("server stops during the first copy")
        << ftCutFirstCopy << 1 << 3
        << u"vemora-calc : Impression interrompue : 0 copie(s) envoyée(s) sur 1"_s;
    QTest::newRow("server stops during the second copy")
        << ftCutSecondCopy << 3 << 3
        << u"vemora-calc : Impression interrompue : 1 copie(s) envoyée(s) sur 3"_s;
    QTest::newRow("no server at all")
        << ftStoppedAtStart << 1 << 3
        << u"vemora-calc : Aucune imprimante n'a été trouvée\u00A0!"_s;
}

void TestPrintFailures::commandLine()
{
    QFETCH(TFault, fault);
    QFETCH(int, copies);
    QFETCH(int, status);
    QFETCH(QString, error);

    applyFault(fault);
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CUPS_SERVER"_s, Relay());
    environment.insert(u"LC_ALL"_s, u"fr_FR.UTF-8"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    QProcess calc;
    calc.setProcessEnvironment(environment);
    calc.start(QStringLiteral(VEMORA_CALC),
               {u"km"_s, u"--kind"_s, u"0"_s, u"--distance"_s, u"12000"_s, u"--print"_s,
                u"--copies"_s, QString::number(copies)});
    QVERIFY2(calc.waitForFinished(30000), "vemora-calc waited for a server that had gone");
    const QString errors = QString::fromUtf8(calc.readAllStandardError());
    const QString output = QString::fromUtf8(calc.readAllStandardOutput());
    QCOMPARE(calc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(calc.exitCode(), status);
    QCOMPARE(errors.trimmed(), error);
    // The amount is written only when every copy was taken.
    QCOMPARE(output.isEmpty(), status != 0);
    if (fault == ftRejecting) {
        const QList<TCupsJob> jobs = m_cups->Jobs(m_mark);
        QVERIFY2(jobs.isEmpty(), qPrintable(TCupsServer::Describe(jobs)));
    } else if (fault == ftPaused) {
        const QList<TCupsJob> jobs = m_cups->Jobs(m_mark);
        QCOMPARE(jobs.size(), copies);
        QVERIFY2(std::none_of(jobs.begin(), jobs.end(),
                              [](const TCupsJob &job) { return job.Completed; }),
                 qPrintable(TCupsServer::Describe(jobs)));
    }
}

QTEST_MAIN(TestPrintFailures)
#include "tst_printfailures.moc"
