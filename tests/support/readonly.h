#pragma once
#include <QFile>
#include <QList>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Sets or clears the immutable flag, which stops even root from creating
// files in a directory or replacing a file. False when the file system or
// the process cannot.
inline bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

// Files and folders made read-only for one test, root included: a normal
// user loses the write bits, root (whom write bits do not stop) gets the
// immutable flag. Everything is writable again on release() or destruction,
// so that the temporary folders can be removed.
class ReadOnlyPaths
{
public:
    ReadOnlyPaths() = default;
    ReadOnlyPaths(const ReadOnlyPaths &) = delete;
    ReadOnlyPaths &operator=(const ReadOnlyPaths &) = delete;
    ~ReadOnlyPaths() { release(); }

    // False when it cannot be done (root on a file system without the flag).
    bool lock(const QString &path)
    {
        const QFile::Permissions before = QFile::permissions(path);
        m_locked.append({path, before});
        if (::geteuid() == 0)
            return setImmutable(path, true);
        return QFile::setPermissions(path, before & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup
                                                      | QFile::WriteOther));
    }
    void release()
    {
        for (const Locked &l : std::as_const(m_locked)) {
            if (::geteuid() == 0)
                setImmutable(l.path, false);
            else
                QFile::setPermissions(l.path, l.before);
        }
        m_locked.clear();
    }

private:
    struct Locked {
        QString path;
        QFile::Permissions before;
    };
    QList<Locked> m_locked;
};
