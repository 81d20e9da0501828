// Opening web addresses and documents, and the user's documents folder.
#include "ShellHelpers.h"

#include "MessageDialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

bool ShellOpen(QWidget *owner, const QString &target)
{
    Q_UNUSED(owner); // the desktop places its own windows
    if (target.isEmpty())
        return false;
    const QUrl url =
        target.contains(u"://"_s) ? QUrl(target, QUrl::StrictMode) : QUrl::fromLocalFile(target);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

void OpenAddress(QWidget *owner, const QString &address, const QString &failureText)
{
    if (ShellOpen(owner, address))
        return;
    QString text = failureText;
    bool blank = !text.isEmpty();
    for (const QChar c : text)
        blank = blank && c.unicode() <= u' ';
    if (blank)
        text = u"Impossible d'ouvrir la page:\r"_s + address;
    ShowWarningBeep(text);
}

QString GetDocumentsFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    return QDir::cleanPath(folder);
}

QString SaveDialogFolder()
{
    const QString documents = GetDocumentsFolder();
    if (!documents.isEmpty())
        return documents;
    QStringList homes{qEnvironmentVariable("HOME")};
    if (const passwd *account = getpwuid(geteuid()))
        homes.append(QFile::decodeName(account->pw_dir));
    for (const QString &home : homes) {
        if (!home.isEmpty() && QFileInfo(home).isDir())
            return QDir::cleanPath(home);
    }
    return QDir::rootPath();
}
