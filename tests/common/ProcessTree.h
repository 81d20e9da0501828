// The processes a program started, and what the kernel says of each, read from /proc.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
#include <QString>

#include <unistd.h>

// Every living descendant of `pid` (children, their children...).
inline QList<qint64> DescendantsOf(qint64 pid)
{
    QMap<qint64, QList<qint64>> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 child = entry.toLongLong(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children[fields.at(1).toLongLong()].append(child);
    }
    QList<qint64> found;
    QList<qint64> next{pid};
    while (!next.isEmpty()) {
        const QList<qint64> level = children.value(next.takeFirst());
        found += level;
        next += level;
    }
    return found;
}

// The command line of a process, its arguments separated by blanks; empty once it has ended.
inline QString CommandLineOf(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray line = file.readAll();
    line.replace('\0', ' ');
    return QString::fromLocal8Bit(line.trimmed());
}

// One "Name:\tvalue" line of /proc/PID/status ("Seccomp", "NSpid"...); empty when absent.
inline QString StatusOf(qint64 pid, const QString &name)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromLocal8Bit(file.readAll()).split(u'\n');
    for (const QString &line : lines) {
        if (line.startsWith(name + u':'))
            return line.mid(name.size() + 1).trimmed();
    }
    return {};
}

// The namespace of that kind ("user", "pid"...) a process lives in, as "user:[4026531837]".
inline QString NamespaceOf(qint64 pid, const char *kind)
{
    char target[256];
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/ns/" + kind;
    const ssize_t size = ::readlink(link.constData(), target, sizeof target - 1);
    return size > 0 ? QString::fromLatin1(target, size) : QString();
}
