#pragma once
#include <QByteArray>
#include <QString>
#include <QStringView>

// Shift_JIS as Windows writes it (code page 932). The mapping comes from the
// platform's "windows-31j" converter, read once into tables; decoding then
// never depends on converter state, and a byte that does not decode becomes
// U+FFFD instead of the converter's SUB character.
namespace cp932 {

// False, with the reason, when the platform has no windows-31j converter.
// Nothing is ever decoded with another encoding in its place.
bool available(QString *why = nullptr);

// Decodes one piece of text that starts on a character boundary.
QString decode(QByteArrayView bytes);

// Encodes text; false when some character has no code in code page 932
// (the caller must not write a '?' in its place). *badChar gets the first one.
bool encode(QStringView text, QByteArray *out, QString *badChar = nullptr);

// Whether bytes hold non-ASCII text in UTF-8's byte pattern. Shift_JIS
// kanji text practically never does: its lead bytes 0x81-0x9F cannot start
// a UTF-8 sequence. UTF-8 text read as Shift_JIS, on the other hand, is
// often still "valid", only wrong, so decoding alone cannot tell them apart.
bool looksUtf8(QByteArrayView bytes);

// The UTF-8 byte-order mark, which no Shift_JIS text starts with.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// For tests: every function behaves as on a platform without the converter
// until switched off again.
void simulateMissingConverter(bool on);

} // namespace cp932
