#pragma once
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// A typed reading as hiragana: katakana turned to hiragana, romaji as the
// input method reads it (romaji.h). Romaji that ends in a consonant not yet
// followed by its vowel ("yam") is cut there and *incomplete set, for a
// look-up by prefix alone.
QString typedReadingToHiragana(QStringView typed, bool *incomplete = nullptr);

// The kanji readings file, tolvo.kanji (UTF-8, from KANJIDIC at build
// time): after "#" comment lines, one "kanji<TAB>readings<TAB>rank" line
// per kanji, readings as KANJIDIC writes them (on in katakana, kun in
// hiragana, "." before the okurigana, "-" for a prefix or suffix), joined
// by spaces; rank the newspaper frequency rank, empty when it has none.
class KanjiReadings
{
public:
    // False when the file cannot be read; lines of another form are passed over.
    bool load(const QString &path);
    void loadText(QStringView text);
    bool isEmpty() const { return m_entries.empty(); }

    // The kanji with a reading that the typed text (hiragana, katakana or
    // romaji) is, or begins: those it is whole (okurigana included, not a
    // prefix or suffix form) before the rest, each part the more frequent
    // first, then by code point. Only kanji `accept` lets through.
    QList<QChar> lookup(QStringView typed, const std::function<bool(QChar)> &accept = {}) const;

    // The kanji's readings for a tip: 「音：サン・セン　訓：やま」; empty when unknown.
    QString readingsText(QChar kanji) const;

private:
    struct Entry {
        QChar kanji;
        quint32 rank;
        QStringList on;
        QStringList kun;
    };
    struct Key {
        QString full;   // hiragana, okurigana included, no marks: あたらしい
        bool whole;     // not a prefix or suffix form
        qsizetype entry;
    };
    const Entry *find(QChar kanji) const;

    std::vector<Entry> m_entries;   // in code-point order
    std::vector<Key> m_keys;
};
