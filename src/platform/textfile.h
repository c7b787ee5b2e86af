#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

// Line-oriented Shift_JIS text files as the program's data files use them.
// A line ends at CR or CR LF; a lone LF stays in the line unless the reader
// asks otherwise; a last line without a terminator is read like any other.
// Lines are written with CR LF.
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

// Opens path and calls onLine for every line, decoded, in file order.
// Returns false (and fills *error) only when the file cannot be opened; a
// read failure after that ends the file quietly, keeping the lines already
// delivered.
bool readLines(const QString &path, const std::function<void(QString &&line)> &onLine,
               FileError *error = nullptr, const ReadOptions &options = {});

// The file at path rewritten with bytes where it stands, for a folder that
// takes no new file while the file itself may be written. The old bytes are
// read first and put back when the rewrite fails, so a false result still
// leaves the previous file unless the disk refuses even that.
bool rewriteInPlace(const QString &path, QByteArrayView bytes);

// The bytes of one written line: the text in code page 932 and CR LF.
// False when the text holds a character code page 932 cannot represent;
// *badChar then names it.
bool encodeLine(QStringView line, QByteArray *out, QString *badChar = nullptr);

} // namespace textfile
