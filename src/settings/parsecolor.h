#pragma once
#include <QString>
#include <QtGlobal>

// The nine-character colour text of the settings, RRRGGGBBB in decimal, as
// a Windows colour value: red + 256 * green + 65536 * blue. Characters
// after the ninth are ignored; a component above 255 counts as 255 and a
// negative one (only a hand-edited file has one) as 0. Throws RuntimeError
// TypeMismatch when a group is empty or does not read as a number.
quint32 ParseColor(const QString &text);
