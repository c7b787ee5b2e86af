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

} // namespace mkkanji
