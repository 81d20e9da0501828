// A print server of the test's own, with queues that turn every job into a PDF file.
#pragma once

#include "Files.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <pwd.h>
#include <sys/types.h>
#include <unistd.h>

// One job the server knows.
struct TCupsJob
{
    int Id = 0;
    QString Queue;
    bool Completed = false;
    QString Title;   // the job's name, from the server's page log once the job is over
    int Sheets = -1; // the pages the server counted for it, -1 before the job is over
    QString PdfFile; // the file the PDF queue wrote for it, empty before
};

// The fields pdfinfo prints for a PDF file ("Pages", "Page size", "Title"...); empty when
// pdfinfo cannot read it.
inline QMap<QString, QString> PdfInfo(const QString &file)
{
    QMap<QString, QString> fields;
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file});
    if (!pdfinfo.waitForFinished(30000) || pdfinfo.exitStatus() != QProcess::NormalExit ||
        pdfinfo.exitCode() != 0)
        return fields;
    const QStringList lines = QString::fromUtf8(pdfinfo.readAllStandardOutput()).split(u'\n');
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0)
            fields.insert(line.left(colon), line.mid(colon + 1).trimmed());
    }
    return fields;
}

// Starts its own cupsd, with its own folders under a temporary folder and its own socket, and
// points every later print call of the process at it (CUPS_SERVER). Must be made before the
// process prints, looks for printers or opens a printer dialog: the print library keeps the
// server it met first. The destructor stops the server, removes the PDF files its queues wrote
// and gives CUPS_SERVER back its former value.
class TCupsServer
{
public:
    TCupsServer()
        : m_root(QDir::tempPath() + QStringLiteral("/vemora-cups-XXXXXX"))
        , m_hadServer(qEnvironmentVariableIsSet("CUPS_SERVER"))
        , m_oldServer(qgetenv("CUPS_SERVER"))
    {
        // Job numbers from a random base: the PDF files, named after them, cannot be taken for
        // those of another server writing into the same folder.
        m_firstJobId = int(QRandomGenerator::global()->bounded(1000, 2000000)) * 1000;
        qputenv("CUPS_SERVER", QFile::encodeName(Socket()));
        m_error = start();
    }

    ~TCupsServer()
    {
        stop();
        removePdfFiles();
        if (m_hadServer)
            qputenv("CUPS_SERVER", m_oldServer);
        else
            qunsetenv("CUPS_SERVER");
    }

    TCupsServer(const TCupsServer &) = delete;
    TCupsServer &operator=(const TCupsServer &) = delete;

    bool IsRunning() const { return m_error.isEmpty() && m_pid > 0; }
    // Why the server did not start; empty when it runs.
    QString Error() const { return m_error; }
    QString Socket() const { return m_root.path() + QStringLiteral("/run/cups.sock"); }
    QString Folder() const { return m_root.path(); }
    // The folder where the PDF queues write, one file per job, named after its title and number.
    static QString PdfFolder()
    {
        const passwd *user = getpwuid(geteuid());
        return QString::fromLocal8Bit(user ? user->pw_dir : "/root") + QStringLiteral("/PDF");
    }

    // Adds an enabled queue that writes each job as a PDF file; false with the reason in Error().
    bool AddQueue(const QString &name)
    {
        return run(QStringLiteral("lpadmin"),
                   {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                    QStringLiteral("cups-pdf:/"), QStringLiteral("-P"),
                    QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")});
    }

    // Removes the queue and its jobs; false with the reason in Error().
    bool RemoveQueue(const QString &name)
    {
        return run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name});
    }

    // Runs an administration command of the print system against this server ("cupsdisable
    // QUEUE" pauses a queue, "cupsreject QUEUE" makes it refuse jobs...); false with the reason
    // in Error().
    bool Administer(const QString &program, const QStringList &arguments)
    {
        return run(program, arguments);
    }

    // Stops the server as a shutdown does; it does not come back.
    void Stop() { stop(); }
    // The server's process; 0 once stopped.
    pid_t Pid() const { return m_pid; }

    // The jobs numbered above `after`, oldest first, as far as the server has got with them.
    QList<TCupsJob> Jobs(int after = 0) const
    {
        QList<TCupsJob> jobs;
        QString output;
        if (!lpstat({QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o")}, output))
            return jobs;
        for (const auto &[id, queue] : parseJobList(output)) {
            if (id > after)
                jobs.append({id, queue, false, {}, -1, {}});
        }
        if (jobs.isEmpty())
            return jobs;
        QSet<int> completed;
        if (lpstat({QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o")},
                   output)) {
            for (const auto &entry : parseJobList(output))
                completed.insert(entry.first);
        }
        const QMap<int, std::pair<QString, int>> log = pageLog();
        const QMap<int, QString> files = pdfFiles();
        for (TCupsJob &job : jobs) {
            job.Completed = completed.contains(job.Id);
            if (log.contains(job.Id)) {
                job.Title = log.value(job.Id).first;
                job.Sheets = log.value(job.Id).second;
            }
            job.PdfFile = files.value(job.Id);
        }
        std::sort(jobs.begin(), jobs.end(),
                  [](const TCupsJob &a, const TCupsJob &b) { return a.Id < b.Id; });
        return jobs;
    }

    // The number of the newest job the server knows; a mark for Jobs() and WaitForJobs().
    int LastJobId() const
    {
        int last = m_firstJobId - 1;
        QString output;
        if (lpstat({QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o")}, output)) {
            for (const auto &entry : parseJobList(output))
                last = std::max(last, entry.first);
        }
        return std::max(last, m_highestSeen);
    }

    // Waits until at least `count` jobs numbered above `after` are over, each counted in the
    // page log and written as a PDF file; false when that takes longer than `timeoutMs`.
    bool WaitForJobs(int after, int count, int timeoutMs = 60000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            const QList<TCupsJob> jobs = Jobs(after);
            for (const TCupsJob &job : jobs)
                m_highestSeen = std::max(m_highestSeen, job.Id);
            const bool over = std::all_of(jobs.begin(), jobs.end(), [](const TCupsJob &job) {
                return job.Completed && job.Sheets >= 0 && !job.PdfFile.isEmpty();
            });
            if (jobs.size() >= count && over)
                return true;
            if (deadline.hasExpired())
                return false;
            QThread::msleep(100);
        }
    }

    // One line per job, for failure messages.
    static QString Describe(const QList<TCupsJob> &jobs)
    {
        QStringList lines;
        for (const TCupsJob &job : jobs)
            lines.append(QStringLiteral("%1-%2 «%3» %4 sheet(s)%5 %6")
                             .arg(job.Queue)
                             .arg(job.Id)
                             .arg(job.Title)
                             .arg(job.Sheets)
                             .arg(job.Completed ? QStringLiteral(" completed") : QString())
                             .arg(job.PdfFile));
        return lines.isEmpty() ? QStringLiteral("no job") : lines.join(u'\n');
    }

private:
    QString start()
    {
        if (!m_root.isValid())
            return QStringLiteral("no temporary folder: ") + m_root.errorString();
        const QString root = m_root.path();
        for (const char *folder : {"etc", "spool/tmp", "cache", "log", "state", "run"}) {
            if (!QDir().mkpath(root + u'/' + QString::fromLatin1(folder)))
                return QStringLiteral("cannot make ") + QString::fromLatin1(folder);
        }
        // The filters run as another user and must reach the spool.
        QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                        QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                        QFileDevice::ExeOther);
        const QString config = QStringLiteral("Listen %1\n"
                                              "LogLevel warn\n"
                                              "PageLogFormat %j %P %C %{job-name}\n"
                                              "<Location />\n"
                                              "  Order allow,deny\n"
                                              "  Allow all\n"
                                              "</Location>\n"
                                              "<Policy default>\n"
                                              "  <Limit All>\n"
                                              "    Order deny,allow\n"
                                              "  </Limit>\n"
                                              "</Policy>\n")
                                   .arg(Socket());
        const QString files = QStringLiteral("ServerRoot %1/etc\n"
                                             "RequestRoot %1/spool\n"
                                             "CacheDir %1/cache\n"
                                             "StateDir %1/state\n"
                                             "ErrorLog %1/log/error_log\n"
                                             "AccessLog %1/log/access_log\n"
                                             "PageLog %1/log/page_log\n"
                                             "TempDir %1/spool/tmp\n"
                                             "ServerBin /usr/lib/cups\n"
                                             "DataDir /usr/share/cups\n")
                                  .arg(root);
        if (!WriteBytes(configPath(), config.toUtf8()) ||
            !WriteBytes(root + QStringLiteral("/etc/cups-files.conf"), files.toUtf8()) ||
            !WriteBytes(root + QStringLiteral("/cache/job.cache"),
                        QByteArray("NextJobId ") + QByteArray::number(m_firstJobId) + '\n'))
            return QStringLiteral("cannot write the configuration under ") + root;

        // cupsd forks, and its first process ends once the server is ready.
        QProcess cupsd;
        cupsd.start(QStringLiteral("cupsd"),
                    {QStringLiteral("-c"), configPath(), QStringLiteral("-s"),
                     root + QStringLiteral("/etc/cups-files.conf")});
        if (!cupsd.waitForFinished(30000) || cupsd.exitCode() != 0)
            return QStringLiteral("cupsd did not start: ") + cupsd.errorString() + u' ' +
                   QString::fromLocal8Bit(cupsd.readAllStandardError());
        m_pid = findPid();
        if (m_pid <= 0)
            return QStringLiteral("no cupsd running with ") + configPath();
        QDeadlineTimer deadline(15000);
        QString output;
        while (!lpstat({QStringLiteral("-r")}, output)) {
            if (deadline.hasExpired())
                return QStringLiteral("cupsd does not answer on ") + Socket();
            QThread::msleep(50);
        }
        return {};
    }

    void stop()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        QDeadlineTimer deadline(10000);
        while (findPid() == m_pid && !deadline.hasExpired())
            QThread::msleep(50);
        if (findPid() == m_pid)
            ::kill(m_pid, SIGKILL);
        m_pid = 0;
    }

    QString configPath() const { return m_root.path() + QStringLiteral("/etc/cupsd.conf"); }

    // The cupsd reading our configuration (it runs itself again as "cupsd -C ...").
    pid_t findPid() const
    {
        QString pattern = configPath();
        pattern.replace(u'.', QStringLiteral("\\."));
        QProcess pgrep;
        pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), pattern});
        if (!pgrep.waitForFinished(10000))
            return 0;
        const QList<QByteArray> pids = pgrep.readAllStandardOutput().split('\n');
        for (const QByteArray &pid : pids) {
            const pid_t value = pid.trimmed().toInt();
            if (value > 0 && value != getpid())
                return value;
        }
        return 0;
    }

    bool run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            m_error = program + u' ' + arguments.join(u' ') + QStringLiteral(": ") +
                      QString::fromLocal8Bit(process.readAllStandardError()) +
                      process.errorString();
            return false;
        }
        return true;
    }

    bool lpstat(const QStringList &arguments, QString &output) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral("lpstat"), arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return false;
        output = QString::fromUtf8(process.readAllStandardOutput());
        return true;
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CUPS_SERVER"), Socket());
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        return environment;
    }

    // "QUEUE-ID owner size date" lines: the job numbers and their queues.
    static QList<std::pair<int, QString>> parseJobList(const QString &output)
    {
        QList<std::pair<int, QString>> jobs;
        for (const QString &line : output.split(u'\n', Qt::SkipEmptyParts)) {
            const QString first = line.section(u' ', 0, 0, QString::SectionSkipEmpty);
            const qsizetype dash = first.lastIndexOf(u'-');
            bool ok = false;
            const int id = first.mid(dash + 1).toInt(&ok);
            if (dash > 0 && ok)
                jobs.append({id, first.left(dash)});
        }
        return jobs;
    }

    // The page log, as "ID total SHEETS TITLE" lines: each finished job's title and sheets.
    QMap<int, std::pair<QString, int>> pageLog() const
    {
        QMap<int, std::pair<QString, int>> log;
        QFile file(m_root.path() + QStringLiteral("/log/page_log"));
        if (!file.open(QIODevice::ReadOnly))
            return log;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        for (const QString &line : lines) {
            const QStringList fields = line.split(u' ');
            if (fields.size() < 4 || fields.at(1) != QStringLiteral("total"))
                continue;
            log.insert(fields.at(0).toInt(), {line.section(u' ', 3), fields.at(2).toInt()});
        }
        return log;
    }

    // This server's PDF files, by job number ("...-job_ID.pdf").
    QMap<int, QString> pdfFiles() const
    {
        QMap<int, QString> files;
        static const QRegularExpression name(QStringLiteral("-job_(\\d+)\\.pdf$"));
        const QDir folder(PdfFolder());
        const QStringList entries = folder.entryList(QDir::Files);
        for (const QString &entry : entries) {
            const QRegularExpressionMatch match = name.match(entry);
            if (!match.hasMatch())
                continue;
            const int id = match.captured(1).toInt();
            if (id >= m_firstJobId && id < m_firstJobId + JobRange)
                files.insert(id, folder.filePath(entry));
        }
        return files;
    }

    void removePdfFiles() const
    {
        for (const QString &file : pdfFiles())
            QFile::remove(file);
    }

    static constexpr int JobRange = 1000;

    QTemporaryDir m_root;
    bool m_hadServer;
    QByteArray m_oldServer;
    int m_firstJobId = 1;
    int m_highestSeen = 0;
    pid_t m_pid = 0;
    QString m_error;
};
