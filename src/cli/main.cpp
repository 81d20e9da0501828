// vemora-calc: the mileage and fuel allowances from the command line.
#include "CommandLine.h"
#include "NumberText.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

bool readAll(std::FILE *file, QByteArray &content)
{
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, qsizetype(n));
    return !std::ferror(file);
}

bool readBatchFile(const QString &name, QByteArray &content, QString &error)
{
    if (name == u"-"_s) {
        if (readAll(stdin, content))
            return true;
        error = u"lecture de l'entrée standard impossible : %1"_s.arg(
            QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"impossible d'ouvrir « %1 » : %2"_s.arg(name, file.errorString());
        return false;
    }
    content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = u"lecture de « %1 » impossible : %2"_s.arg(name, file.errorString());
        return false;
    }
    return true;
}

void writeTo(std::FILE *file, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), file);
}

} // namespace

int main(int argc, char **argv)
{
    // A file-size limit reached while saving a PDF is a write error, not the end of the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // The program speaks for itself, in French: Qt's own notices stay out of its output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    InitNumberFormats(QLocale::system());
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
    const TOutputs outputs{[](std::string_view text) { writeTo(stdout, text); },
                           [](std::string_view text) { writeTo(stderr, text); }};
    const int status = RunCommandLine(args, outputs, readBatchFile);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "vemora-calc : écriture impossible : %s\n", std::strerror(errno));
        return 2;
    }
    return status;
}
