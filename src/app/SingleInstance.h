// The single-instance lock: one running calculator per user.
#pragma once

#include <QString>

// Takes the lock named `name` without waiting, as a flock() on a file of that name in the
// user's runtime folder; the kernel releases it when the process ends, however it ends.
class TSingleInstance
{
public:
    TSingleInstance() = default;
    TSingleInstance(const TSingleInstance &) = delete;
    TSingleInstance &operator=(const TSingleInstance &) = delete;
    ~TSingleInstance();

    // True when this process now holds the lock; false when another one does, or when the
    // lock cannot be taken at all.
    bool Acquire(const QString &name);
    QString lockPath() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};

// The folder of the lock: $XDG_RUNTIME_DIR when it is a private folder of the user, otherwise
// a private folder of the user's own under the temporary folder (created when missing).
QString LockFolder();
