#pragma once
// What the puzzle maker knows of a kanji beyond its partners: its school
// grade, its frequency rank and its variant forms, from tolvo.grades
// (generated from KANJIDIC). QtCore only.
#include <QChar>
#include <QHash>
#include <QString>
#include <QStringView>

class KanjiGrades
{
public:
    // False when the file cannot be read; the grades are then empty.
    bool load(const QString &path);
    // "kanji<TAB>grade<TAB>rank<TAB>variants" lines; others are passed over.
    void loadText(QStringView text);
    bool isEmpty() const { return m_facts.isEmpty(); }

    // KANJIDIC's grade: 1-6 the school years, 8 the other jōyō kanji, 9
    // and 10 name kanji; 0 when it has none.
    int grade(QChar kanji) const;
    bool isSchool(QChar kanji) const { const int g = grade(kanji); return g >= 1 && g <= 6; }
    bool isJoyo(QChar kanji) const { const int g = grade(kanji); return g >= 1 && g <= 8; }
    // 1 for the most frequent kanji of newspapers; 0 when unranked.
    int frequency(QChar kanji) const;
    // Whether a and b are variant forms of one kanji (国 and 國).
    bool areVariants(QChar a, QChar b) const;

private:
    struct Facts {
        quint8 grade = 0;
        quint16 frequency = 0;
        QString variants;
    };
    QHash<char16_t, Facts> m_facts;
};

// Numerals, of which a puzzle shows at most one: two would make the answer
// a counter word guessable without the other letters.
bool isNumeral(QChar kanji);
