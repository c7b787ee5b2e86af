// The file layer works with POSIX calls (open, fstat, read, pwrite,
// ftruncate, fsync, fcntl locks), the only place in the core that does: a
// failed open must give the errno its message names, a FIFO must be opened
// without waiting for a writer, and a file rewritten in place must keep its
// old bytes until the new ones are written and synced, one process at a
// time, which QFile cannot do. Everything else in the core uses Qt alone.
#include "platform/textfile.h"
#include "platform/cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace textfile {

QString describeErrno(int number)
{
    switch (number) {
    case ENOENT: return QStringLiteral(u"ファイルまたはディレクトリが見つかりません。");
    case ENOTDIR: return QStringLiteral(u"パスが見つかりません。");
    case EACCES:
    case EPERM: return QStringLiteral(u"アクセスが拒否されました。");
    case EISDIR: return QStringLiteral(u"ファイルではなくディレクトリです。");
    case EROFS: return QStringLiteral(u"読み取り専用のファイルシステムです。");
    case ENOSPC: return QStringLiteral(u"ディスクの空き容量が足りません。");
    case EDQUOT: return QStringLiteral(u"ディスク使用量の上限を超えました。");
    case EMFILE:
    case ENFILE: return QStringLiteral(u"開いているファイルが多すぎます。");
    case ENAMETOOLONG: return QStringLiteral(u"ファイル名が長すぎます。");
    case ELOOP: return QStringLiteral(u"シンボリックリンクの階層が深すぎます。");
    case EIO: return QStringLiteral(u"入出力エラーが発生しました。");
    case ENOMEM: return QStringLiteral(u"メモリが足りません。");
    case EFBIG: return QStringLiteral(u"ファイルが大きすぎます。");
    case EBUSY: return QStringLiteral(u"ファイルは使用中です。");
    case EINVAL: return QStringLiteral(u"引数が無効です。");
    case EPIPE: return QStringLiteral(u"読み手のいないパイプです。");
    default: return QStringLiteral(u"システムエラーが発生しました。");
    }
}

namespace {

// A pipe, a socket or a device where a file was expected. EINVAL, as the
// kernel gives for a file operation that such a file cannot take; the text
// says which.
constexpr int kNotRegularFile = EINVAL;

QString notRegularFileText()
{
    return QStringLiteral(u"通常のファイルではありません（パイプやデバイスは読み込めません）。");
}

// Opened without waiting for a writer, so that a FIFO in a data file's
// place cannot hang the program, and refused unless it is a regular file:
// a pipe or a device (a link to /dev/zero) has no end to read to.
int openRegularFile(const QString &path, int flags, FileError *error)
{
    auto fail = [error](int number, QString description = {}) {
        if (error)
            *error = {number, description.isEmpty() ? describeErrno(number) : description};
        return -1;
    };
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return fail(ENOENT);
    const int fd = ::open(native.constData(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return fail(errno);
    struct stat st;
    int number = 0;
    if (::fstat(fd, &st) != 0)
        number = errno;
    else if (S_ISDIR(st.st_mode))
        number = EISDIR;
    else if (!S_ISREG(st.st_mode))
        number = kNotRegularFile;
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        number = errno;
    if (number != 0) {
        ::close(fd);
        return fail(number, number == kNotRegularFile ? notRegularFileText() : QString());
    }
    return fd;
}

bool openForReading(const QString &path, QFile *file, FileError *error)
{
    const int fd = openRegularFile(path, O_RDONLY, error);
    if (fd < 0)
        return false;
    if (!file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (error)
            *error = {EIO, describeErrno(EIO)};
        return false;
    }
    return true;
}

bool readWhole(int fd, QByteArray *out)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
        if (n > 0)
            out->append(buf, n);
    }
}

// From the first byte on, every byte checked: a short write goes on where
// it stopped.
bool writeWhole(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The next line end in one chunk. CR and LF are each searched for once per
// stretch, so a file of many short lines is not scanned again per line.
class LineEndFinder
{
public:
    LineEndFinder(const char *begin, const char *end, bool lfEndsLine)
        : m_end(end), m_cr(find(begin, '\r')), m_lf(lfEndsLine ? find(begin, '\n') : end), m_lfEndsLine(lfEndsLine)
    {
    }
    // The first terminator at or after p; nullptr when the chunk holds none.
    const char *next(const char *p)
    {
        if (m_cr < p)
            m_cr = find(p, '\r');
        if (m_lfEndsLine && m_lf < p)
            m_lf = find(p, '\n');
        const char *e = std::min(m_cr, m_lf);
        return e == m_end ? nullptr : e;
    }

private:
    const char *find(const char *p, char c) const
    {
        const void *hit = memchr(p, c, size_t(m_end - p));
        return hit ? static_cast<const char *>(hit) : m_end;
    }
    const char *m_end;
    const char *m_cr;
    const char *m_lf;
    bool m_lfEndsLine;
};

} // namespace

ReadStatus readRawLines(const QString &path, const std::function<bool(QByteArrayView)> &onLine, FileError *error,
                        const ReadOptions &options)
{
    QString why;
    if (!cp932::available(&why)) {
        if (error)
            *error = {EINVAL, why};
        return ReadStatus::OpenFailed;
    }
    QFile file;
    if (!openForReading(path, &file, error))
        return ReadStatus::OpenFailed;
    constexpr qint64 kNoLimit = std::numeric_limits<qint64>::max();
    const qint64 fileLimit = options.fileLimit > 0 ? options.fileLimit : kNoLimit;
    const qint64 lineLimit = options.lineLimit > 0 ? options.lineLimit : kNoLimit;
    // A regular file says its size up front; a device or a growing file is
    // caught by the count below.
    if (file.size() > fileLimit)
        return ReadStatus::TooLarge;

    // Small files get a small buffer; big ones are read a mebibyte at a time.
    const qint64 kChunk = std::clamp<qint64>(file.size() + 1, 4096, 1 << 20);
    QByteArray pending;         // bytes of the line not yet ended
    bool skipLf = false;        // the previous chunk ended with a CR
    qint64 total = 0;
    QByteArray chunk;
    while (total < options.maxBytes) {
        chunk.resize(qMin(kChunk, options.maxBytes - total));
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got <= 0)
            break;   // end of file, or a read failure taken as the end
        total += got;
        if (total > fileLimit)
            return ReadStatus::TooLarge;
        const char *p = chunk.constData();
        const char *end = p + got;
        if (skipLf && p < end && *p == '\n')
            ++p;
        skipLf = false;
        LineEndFinder ends(p, end, options.lfEndsLine);
        while (p < end) {
            const char *eol = ends.next(p);
            if (!eol) {
                if (pending.size() + (end - p) > lineLimit)
                    return ReadStatus::TooLarge;
                pending.append(p, end - p);
                break;
            }
            // CR and LF never occur inside a two-byte character, so cutting
            // the bytes here never splits one.
            QByteArrayView line(p, eol - p);
            if (!pending.isEmpty()) {
                pending.append(line);
                line = pending;
            }
            if (line.size() > lineLimit)
                return ReadStatus::TooLarge;
            if (!onLine(line))
                return ReadStatus::Stopped;
            pending.clear();
            p = eol + 1;
            if (*eol == '\r') {
                if (p == end)
                    skipLf = true;
                else if (*p == '\n')
                    ++p;
            }
        }
    }
    if (!pending.isEmpty() && !onLine(pending))
        return ReadStatus::Stopped;
    return ReadStatus::Done;
}

ReadStatus readBytes(const QString &path, qint64 limit, QByteArray *out, FileError *error)
{
    out->clear();
    QFile file;
    if (!openForReading(path, &file, error))
        return ReadStatus::OpenFailed;
    if (limit > 0 && file.size() > limit)
        return ReadStatus::TooLarge;
    out->reserve(file.size());
    char buf[65536];
    for (;;) {
        const qint64 got = file.read(buf, sizeof buf);
        if (got == 0)
            return ReadStatus::Done;
        if (got < 0) {
            out->clear();
            if (error)
                *error = {EIO, describeErrno(EIO)};
            return ReadStatus::OpenFailed;
        }
        // The size said up front may have grown since.
        if (limit > 0 && out->size() + got > limit) {
            out->clear();
            return ReadStatus::TooLarge;
        }
        out->append(buf, got);
    }
}

bool isReadableRegularFile(const QString &path, FileError *error)
{
    const int fd = openRegularFile(path, O_RDONLY, error);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool readLines(const QString &path, const std::function<void(QString &&)> &onLine, FileError *error,
               const ReadOptions &options)
{
    const auto decoded = [&onLine](QByteArrayView line) {
        onLine(cp932::decode(line));
        return true;
    };
    return readRawLines(path, decoded, error, options) != ReadStatus::OpenFailed;
}

bool encodeLine(QStringView line, QByteArray *out, QString *badChar)
{
    if (!cp932::encode(line, out, badChar))
        return false;
    out->append("\r\n", 2);
    return true;
}

namespace {

struct flock wholeFileLock(short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;   // from 0 with length 0: however long the file grows
    return lock;
}

// How long a rewrite waits for another copy's rewrite of the same file.
constexpr int kLockWaitMs = 10000;

// An exclusive lock on the whole file for as long as fd is open. Two copies
// of the program rewriting one file in place then take turns, so each
// writes a whole file and the last one wins. The lock sits on the file
// itself: where this path is taken the folder takes no lock file. False
// only when another holder keeps it past the wait; a file system without
// such locks is rewritten as before.
bool lockWhole(int fd)
{
    const struct flock lock = wholeFileLock(F_WRLCK);
    for (int waited = 0;; waited += 5) {
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0)
            return true;
        if (errno != EAGAIN && errno != EACCES)
            return true;
        if (waited >= kLockWaitMs)
            return false;
        const timespec pause = {0, 5'000'000};
        ::nanosleep(&pause, nullptr);
    }
}

// The new bytes, and after them as many blank lines as make up the old
// length: a rewrite stopped before its truncation then leaves the new
// settings and some empty lines, never the old file's tail, whose first
// line would be cut.
QByteArray padded(QByteArrayView bytes, qsizetype length)
{
    QByteArray out = bytes.toByteArray();
    while (out.size() + 2 <= length)
        out.append("\r\n", 2);
    if (out.size() < length)
        out.append('\r');
    return out;
}

// Marks a copy as one of ours, by its inode number: a user's own
// "tolvo.ini.backup" has a name of the same pattern, and a copy of one of
// ours (cp -a) keeps the attribute but not the inode.
const char kSaveCopyMark[] = "user.tolvo.save-copy";

QByteArray markFor(const struct stat &st)
{
    return QByteArray::number(quint64(st.st_ino));
}

// Held while the copy is written, so that another copy of the program
// never takes it for a leftover.
void holdSaveCopy(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return;
    const QByteArray mark = markFor(st);
    ::fsetxattr(fd, kSaveCopyMark, mark.constData(), size_t(mark.size()), 0);
    const struct flock lock = wholeFileLock(F_WRLCK);
    ::fcntl(fd, F_OFD_SETLK, &lock);
}

bool isSaveCopyName(const QString &name, const QString &prefix)
{
    if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
        return false;
    return std::all_of(name.cbegin() + prefix.size(), name.cend(),
                       [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); });
}

} // namespace

// Everything that can fail without touching the old file comes first: the
// lock taken, the new bytes ready, the old ones read back. Then one write
// of the new bytes, padded to the old length, the truncation and the sync.
// A process killed part-way leaves old or new lines whole, except for a
// write of more than a page, which the kernel may stop at a page boundary.
bool rewriteInPlace(const QString &path, QByteArrayView bytes)
{
    const int fd = openRegularFile(path, O_RDWR, nullptr);
    if (fd < 0)
        return false;
    bool ok = false;
    try {
        QByteArray old;
        ok = lockWhole(fd) && readWhole(fd, &old);
        if (ok) {
            const QByteArray out = padded(bytes, old.size());
            ok = writeWhole(fd, out) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
            if (!ok && writeWhole(fd, old) && ::ftruncate(fd, off_t(old.size())) == 0)
                ::fsync(fd);
        }
    } catch (...) {
        // Out of memory before the first write: the file is untouched.
        ::close(fd);
        throw;
    }
    return ::close(fd) == 0 && ok;
}

int removeStaleSaveCopies(const QString &path)
{
    const QFileInfo target(path);
    const QString prefix = target.fileName() + u'.';
    const QDir folder = target.dir();
    // A copy just made by a save that has not taken its hold yet, or whose
    // rename is under way, looks stale but for its age.
    constexpr time_t kMinimumAgeSeconds = 3;
    const time_t now = ::time(nullptr);
    int removed = 0;
    const QStringList names = folder.entryList({prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (!isSaveCopyName(name, prefix))
            continue;
        const QByteArray native = QFile::encodeName(folder.filePath(name));
        const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat st;
        char mark[32];
        const struct flock lock = wholeFileLock(F_WRLCK);
        bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= kMinimumAgeSeconds;
        if (stale) {
            const ssize_t n = ::fgetxattr(fd, kSaveCopyMark, mark, sizeof mark);
            stale = n > 0 && QByteArrayView(mark, n) == markFor(st) && ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
        }
        if (stale && ::unlink(native.constData()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

bool saveFile(const QString &path, QByteArrayView bytes)
{
    removeStaleSaveCopies(path);
    QSaveFile file(path);
    // Qt's own fallback truncates the target before writing; the rewrite
    // in place keeps the old bytes to put back.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return rewriteInPlace(path, bytes);
    holdSaveCopy(int(file.handle()));
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    // The saved file is no copy: a hard link to it made as a backup must
    // not look like one once a later save has replaced it.
    ::removexattr(QFile::encodeName(path).constData(), kSaveCopyMark);
    return true;
}

} // namespace textfile
