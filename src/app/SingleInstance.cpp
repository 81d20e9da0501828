// The single-instance lock: one running calculator per user.
#include "SingleInstance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A folder that only the user can enter: owned by the user, no access for others, not a link.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat info;
    if (lstat(path.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

} // namespace

QString LockFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return QFile::decodeName(runtime);
    const QByteArray fallback =
        QFile::encodeName(QDir::tempPath()) + "/vemora-" + QByteArray::number(geteuid());
    if (mkdir(fallback.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(fallback) ? QFile::decodeName(fallback) : QString();
}

TSingleInstance::~TSingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TSingleInstance::Acquire(const QString &name)
{
    const QString folder = LockFolder();
    if (folder.isEmpty())
        return false;
    m_path = folder + u'/' + name;
    // Never through a symbolic link planted at the lock's place.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}
