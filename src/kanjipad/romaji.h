#pragma once
#include <QString>
#include <QStringView>

// Romaji as Mozc's default table turns it into hiragana: Hepburn and
// kunrei spellings alike (shi and si, tsu and tu, ja, jya and zya), small
// kana with x or l (xtu, lya), っ from a doubled consonant (kka), ん from
// nn, n' or an n before a consonant. `latin` is lower case; anything that
// is not a Latin letter passes through. Letters still waiting for the rest
// of their syllable at the end ("yam", "ky") are left out and *incomplete
// set; a final n is ん, as Mozc commits it.
QString romajiToHiragana(QStringView latin, bool *incomplete = nullptr);
