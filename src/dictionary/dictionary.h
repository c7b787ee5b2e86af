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

enum class DictionaryLoad { Loaded, OpenFailed, NoLines };

// Reads path into store (emptied first): leading spaces removed, lines of
// fewer than two characters dropped. *error is set on OpenFailed.
DictionaryLoad readDictionaryFile(const QString &path, DictionaryStore &store,
                                  textfile::FileError *error = nullptr);

// readDictionaryFile plus the user's messages; true when a line was kept.
bool LoadDictionary(const QString &path, DictionaryStore &store, Prompts &prompts);

// The two texts shown when loading fails; tolvo-solve prints them too.
QString dictionaryOpenFailedText(const textfile::FileError &error);
QString dictionaryEmptyText();

// The keyed accessor. "DicNum": the line count; "Kanji": a copy of line
// index (RuntimeError OutOfRange outside 1..count); any other key: the
// empty value.
Value GetDictionaryValue(const DictionaryStore &store, const QString &key, qint32 index);
