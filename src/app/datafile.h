#pragma once
#include <QString>

// Every data file sits beside the executable under the product name:
// tolvo.dic, tolvo.ini, tolvo.hlp, whatever the executable is called.
QString DataFilePath(const QString &extension);

// The rule itself, for any directory: a separator goes between directory and
// name unless the directory text already ends with one ('\' or '/').
QString DataFilePathIn(const QString &directory, const QString &extension);

// The product name compiled into the program.
QString ProductName();
