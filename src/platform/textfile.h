#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

// Line-oriented Shift_JIS text files as the program's data files use them.
// A line ends at CR or CR LF; a lone LF stays in the line unless the reader
// asks otherwise; a last line without a terminator is read like any other.
// Lines are written with CR LF. Every reader refuses a path that is not a
// regular file (a FIFO, a device) with the error number EINVAL instead of
// waiting on it or reading without end.
namespace textfile {

struct FileError {
    int number = 0;        // the platform's error number (errno)
    QString description;   // in Japanese
};

// The Japanese description of an errno value.
QString describeErrno(int number);

struct ReadOptions {
    // Reading stops here as if the file ended: a device or a runaway file
    // must not hang the program or exhaust memory.
    qint64 maxBytes = qint64(1) << 30;
    // A lone LF ends a line too (CR and CR LF always do), for files that
    // were saved with Unix line ends.
    bool lfEndsLine = false;
    // A file or a line larger than these is refused, not read: the reader
    // stops before it holds more than this much of it. 0: no limit.
    qint64 fileLimit = 0;
    qint64 lineLimit = 0;
};

enum class ReadStatus {
    Done,         // the end of the file, or a read failure taken as the end
    OpenFailed,   // *error says why
    TooLarge,     // beyond fileLimit or lineLimit
    Stopped,      // onLine asked to stop
};

// Opens path and hands every line's bytes, without its terminator, to
// onLine in file order, for a reader that checks them before decoding;
// onLine returns false to stop. Lines already delivered stay delivered
// whatever the status.
ReadStatus readRawLines(const QString &path, const std::function<bool(QByteArrayView line)> &onLine,
                        FileError *error = nullptr, const ReadOptions &options = {});

// The whole file at path, bytes as they stand, for the files that are not
// read line by line. TooLarge beyond limit (0: none), leaving *out empty;
// OpenFailed also when a read fails half-way.
ReadStatus readBytes(const QString &path, qint64 limit, QByteArray *out, FileError *error = nullptr);

// Whether path is a regular file that opens for reading, checked without
// waiting on a FIFO, for a library that opens the file by its path alone.
// *error as for the readers: EINVAL for a FIFO or a device.
bool isReadableRegularFile(const QString &path, FileError *error = nullptr);

// Opens path and calls onLine for every line, decoded, in file order.
// Returns false (and fills *error) only when the file cannot be opened; a
// read failure after that ends the file quietly, keeping the lines already
// delivered.
bool readLines(const QString &path, const std::function<void(QString &&line)> &onLine,
               FileError *error = nullptr, const ReadOptions &options = {});

// The file at path rewritten with bytes where it stands, for a folder that
// takes no new file while the file itself may be written. The old bytes are
// read first and put back when the rewrite fails, so a false result still
// leaves the previous file unless the disk refuses even that. Rewrites of
// one file by several processes take turns (false when another holds the
// file for more than ten seconds).
bool rewriteInPlace(const QString &path, QByteArrayView bytes);

// The file at path replaced by bytes: a temporary copy beside it, path
// plus "." and six letters, renamed over it; or, where the folder takes no
// new file, the rewrite in place above. False when neither worked; the old
// file then stands. Each copy is marked as ours (an extended attribute) and
// held while it is written, and every save first removes the marked copies
// that no save holds and that are a few seconds old: those of a save killed
// before its rename. Where the file system keeps no extended attributes,
// nothing is marked and nothing removed.
bool saveFile(const QString &path, QByteArrayView bytes);
int removeStaleSaveCopies(const QString &path);   // how many it removed

// The bytes of one written line: the text in code page 932 and CR LF.
// False when the text holds a character code page 932 cannot represent;
// *badChar then names it.
bool encodeLine(QStringView line, QByteArray *out, QString *badChar = nullptr);

} // namespace textfile
