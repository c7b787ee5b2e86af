#pragma once
#include "platform/prompts.h"
#include "platform/textfile.h"
#include "platform/value.h"

#include <QString>
#include <vector>

// The kept dictionary lines, 1-based, in one contiguous buffer: a million
// short lines cost a few bytes each, and the search reads the first
// character of every line from one tight array.
class DictionaryStore
{
public:
    DictionaryStore() { m_offsets.push_back(0); }

    qint32 lineCount() const { return qint32(m_first.size()); }
    // Line n, 1 <= n <= lineCount(), unchecked.
    QString line(qint32 n) const;
    QStringView lineView(qint32 n) const
    {
        return QStringView(m_text.data() + m_offsets[n - 1], qsizetype(m_offsets[n] - m_offsets[n - 1]));
    }
    // First code unit of every line; element 0 is line 1.
    const char16_t *firstUnits() const { return m_first.data(); }
    const char16_t *text() const { return m_text.data(); }
    const std::vector<qsizetype> &offsets() const { return m_offsets; }

    // Stores a line as it stands; the caller has trimmed and filtered it.
    void append(QStringView line);
    void clear();

private:
    std::vector<char16_t> m_text;
    std::vector<qsizetype> m_offsets;   // lineCount() + 1 entries
    std::vector<char16_t> m_first;
};

enum class DictionaryLoad { Loaded, OpenFailed, NoLines, NotShiftJis, TooLarge };

// Far above any real dictionary (the shipped one is 0.2 MB with lines under
// 1 KB; a million lines of twelve kanji are 26 MB), yet small enough that
// the store fits in memory: a larger file, or a line without a break, is
// refused before it is read whole.
inline constexpr qint64 kDictionaryFileLimit = qint64(64) << 20;
inline constexpr qint64 kDictionaryLineLimit = qint64(1) << 20;

// Why a load kept no line, for its message.
struct DictionaryProblem {
    textfile::FileError error;   // OpenFailed
    QString looksLike;           // NotShiftJis: what the file seems to be
};

// Reads path into store (emptied first): lines end at CR, CR LF or LF,
// leading spaces are removed, lines of fewer than two characters dropped.
// A file that is clearly not Shift_JIS text (a UTF-8 or UTF-16 byte-order
// mark, a NUL byte, most lines undecodable or in UTF-8) is NotShiftJis; a
// file or a line beyond the limits above, or one the memory cannot hold, is
// TooLarge. The store is left empty unless the result is Loaded.
DictionaryLoad readDictionaryFile(const QString &path, DictionaryStore &store,
                                  DictionaryProblem *problem = nullptr);

// readDictionaryFile plus the user's messages; true when a line was kept.
bool LoadDictionary(const QString &path, DictionaryStore &store, Prompts &prompts);

// The message for a load that kept no line (load is not Loaded); tolvo-solve
// prints it too.
QString dictionaryFailureText(DictionaryLoad load, const QString &path, const DictionaryProblem &problem);

// The keyed accessor. "DicNum": the line count; "Kanji": a copy of line
// index (RuntimeError OutOfRange outside 1..count); any other key: the
// empty value.
Value GetDictionaryValue(const DictionaryStore &store, const QString &key, qint32 index);
