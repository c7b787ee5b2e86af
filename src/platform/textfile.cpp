// The file layer works with POSIX calls (open, fstat, read, pwrite,
// ftruncate, fsync), the only place in the core that does: a failed open
// must give the errno its message names, and a file rewritten in place must
// keep its old bytes until the new ones are written and synced, which
// QFile cannot do. Everything else in the core uses Qt alone.
#include "platform/textfile.h"
#include "platform/cp932.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
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

bool openForReading(const QString &path, QFile *file, FileError *error)
{
    auto fail = [error](int number) {
        if (error)
            *error = {number, describeErrno(number)};
        return false;
    };
    QString why;
    if (!cp932::available(&why)) {
        if (error)
            *error = {EINVAL, why};
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return fail(ENOENT);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat st;
    const bool statFailed = ::fstat(fd, &st) != 0;
    if (statFailed || S_ISDIR(st.st_mode)) {
        const int number = statFailed ? errno : EISDIR;
        ::close(fd);
        return fail(number);
    }
    if (!file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(EIO);
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

// Everything that can fail without touching the old file comes first: the
// new bytes are ready, the old ones read back. Only then is the file
// overwritten, cut to its new length and synced.
bool rewriteInPlace(const QString &path, QByteArrayView bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    QByteArray old;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && readWhole(fd, &old);
    if (ok) {
        ok = writeWhole(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
        if (!ok && writeWhole(fd, old) && ::ftruncate(fd, off_t(old.size())) == 0)
            ::fsync(fd);
    }
    return ::close(fd) == 0 && ok;
}

} // namespace textfile
