// vemora-calc: the mileage and fuel allowances from the command line.
#include "CommandLine.h"
#include "NumberText.h"
#include "PdfExport.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A file descriptor that remembers the first write that failed.
struct TDescriptor
{
    int Fd;
    int Error = 0;

    bool Write(std::string_view text)
    {
        while (!text.empty() && Error == 0) {
            const ssize_t n = ::write(Fd, text.data(), text.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                Error = n < 0 ? errno : EIO;
            else
                text.remove_prefix(size_t(n));
        }
        return Error == 0;
    }
};

TDescriptor standardOutput{STDOUT_FILENO};
TDescriptor standardError{STDERR_FILENO};

struct TFileCloser
{
    void operator()(const int *fd) const
    {
        if (*fd != STDIN_FILENO)
            ::close(*fd);
        delete fd;
    }
};

bool openBatchFile(const QString &name, TByteSource &source, QString &error)
{
    const bool standardInput = name == u"-"_s;
    const QString shown = standardInput ? u"l'entrée standard"_s : u"« %1 »"_s.arg(name);
    int fd = STDIN_FILENO;
    if (!standardInput) {
        fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error = u"impossible d'ouvrir %1 : %2"_s.arg(shown, SystemErrorText(errno));
            return false;
        }
    }
    std::shared_ptr<int> file(new int(fd), TFileCloser());
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        error = u"impossible de lire %1 : %2"_s.arg(shown, SystemErrorText(EISDIR));
        return false;
    }
    source = [file, shown](char *buffer, size_t size, QString &readError) -> std::ptrdiff_t {
        while (true) {
            const ssize_t n = ::read(*file, buffer, size);
            if (n >= 0)
                return n;
            if (errno != EINTR) {
                readError = u"%1 : %2"_s.arg(shown, SystemErrorText(errno));
                return -1;
            }
        }
    };
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // A file-size limit reached while saving a PDF is a write error, not the end of the program;
    // a reader that goes away ends it quietly, as it does other command-line tools.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_DFL);
    // The program speaks for itself, in French: Qt's own notices stay out of its output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    // Numbers are read and written the French way, whatever the user's locale.
    InitNumberFormats(QLocale(QLocale::French, QLocale::France));
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // Fonts and printers need the graphical side of Qt, drawn off screen.
    std::unique_ptr<QGuiApplication> gui;
    if (args.contains(u"--pdf"_s) || args.contains(u"--print"_s)) {
        static char platform[] = "-platform";
        static char offscreen[] = "offscreen";
        static int guiArgc = 3;
        static char *guiArgv[] = {argv[0], platform, offscreen, nullptr};
        gui = std::make_unique<QGuiApplication>(guiArgc, guiArgv);
    }
    const TOutputs outputs{[](std::string_view text) { return standardOutput.Write(text); },
                           [](std::string_view text) { return standardError.Write(text); }};
    int status = RunCommandLine(args, outputs, openBatchFile);
    if (::close(STDOUT_FILENO) != 0 && standardOutput.Error == 0 && errno != EBADF)
        standardOutput.Error = errno;
    if (standardOutput.Error != 0) {
        // A reader that went away is no news; anything else is told.
        if (standardOutput.Error != EPIPE) {
            const QByteArray message =
                (u"vemora-calc : écriture impossible sur la sortie standard : "_s +
                 SystemErrorText(standardOutput.Error) + u'\n')
                    .toUtf8();
            standardError.Write(std::string_view(message.constData(), size_t(message.size())));
        }
        status = esOutputFailed;
    }
    return status;
}
