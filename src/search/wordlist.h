#pragma once
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

// Far above the shipped tolvo.words (0.9 MB), like the dictionary's limit:
// a larger file, a pipe or a device is not read, as if it were missing.
inline constexpr qint64 kWordsFileLimit = qint64(64) << 20;

// The two-kanji words the dictionary was built from, with their readings:
// tolvo.words, UTF-8, one "word<TAB>readings" line each, the most common
// word first; a third field "P" marks a common word (EDICT's mark). QtCore only.
class WordList
{
public:
    struct Word {
        QString spelling;   // as it is written: 続出, 家出
        QString readings;   // hiragana, joined by "・"
        qint32 rank = 0;    // 0 for the most common word of the file
        bool common = false;
    };

    // False when the file cannot be read (or is over kWordsFileLimit); lines that are not a two-character
    // word and a TAB, and a last line without its line end, are passed over.
    bool load(const QString &path);
    void loadText(const QString &text);
    // Reads the file at the first look-up instead, so that start-up does not
    // wait for it; a file that cannot be read then leaves the list empty.
    void loadLater(const QString &path);

    bool isEmpty() const;

    // The word a and b make, in whichever order is listed first (the more
    // common one); none when the file has neither.
    std::optional<Word> find(QChar a, QChar b) const;
    // The word that reads first, then second; none when the list lacks it.
    std::optional<Word> findInOrder(QChar first, QChar second) const;
    bool contains(QChar first, QChar second) const;

private:
    void loadPending() const;
    void parse(const QString &text) const;
    Word wordAt(qint32 rank) const;

    mutable QString m_pending;
    mutable QString m_text;
    mutable QHash<quint32, qint32> m_rankOf;   // (first << 16 | second) → its rank
    mutable std::vector<qsizetype> m_lineAt;   // rank → where its line starts
};
