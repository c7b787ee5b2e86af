#pragma once
#include <QString>
#include <QtGlobal>
#include <variant>

// The tagged value that keyed accessors hand out: empty, Boolean, 32-bit
// integer or text.
using Value = std::variant<std::monostate, bool, qint32, QString>;

inline bool isEmptyValue(const Value &v) { return std::holds_alternative<std::monostate>(v); }

// Conversions as the settings and the dictionary accessors use them; each
// throws RuntimeError (type mismatch or overflow) and never returns a guess.
bool toBoolean(const Value &v);
qint32 toInt32(const Value &v);
QString toText(const Value &v);

// Removes ordinary spaces at both ends; tabs and the full-width space stay.
QStringView trimSpaces(QStringView s);

// Whole number from decimal text: optional sign, ordinary spaces around it,
// a fraction rounded half to even. Throws TypeMismatch or Overflow (outside
// [minimum, maximum]).
qint32 parseWholeNumber(QStringView text, qint64 minimum = INT32_MIN, qint64 maximum = INT32_MAX);
