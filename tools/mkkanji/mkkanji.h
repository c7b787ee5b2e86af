#pragma once
#include <QStringList>
#include <QStringView>

// tolvo.kanji from KANJIDIC: the readings the kanji pad looks kanji up by.
namespace mkkanji {

// KANJIDIC text ("kanji JIS U... ... F1234 ... オン くん.よみ T1 なのり {meaning}",
// one kanji a line) as the lines of tolvo.kanji: a comment line, then
// "kanji<TAB>readings<TAB>rank" for every kanji with an on or kun reading,
// in code-point order. Readings stay as KANJIDIC writes them, joined by
// spaces; name readings (after T1) and radical names (after T2) are left
// out, since nobody looks a letter up by them. rank is the F field, empty
// when there is none.
QStringList readingLines(QStringView kanjidic);

// KANJIDIC text as the lines of tolvo.grades, what the puzzle maker needs of
// a kanji: a comment line, then "kanji<TAB>grade<TAB>rank<TAB>variants" for
// every kanji with a grade, a frequency rank or a variant form, in
// code-point order. grade is the G field (1-6 school years, 8 the rest of
// the jōyō kanji, 9 and 10 name kanji), rank the F field, both empty when
// missing; variants are the kanji the XJ0 and XJ1 cross-references name
// (JIS X 0208 and 0212 codes), which is how KANJIDIC links 國 and 国.
QStringList gradeLines(QStringView kanjidic);

} // namespace mkkanji
