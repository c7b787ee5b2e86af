#pragma once
#include <QString>

// Every data file sits beside the executable under the product name:
// tolvo.dic, tolvo.ini, tolvo.hlp, whatever the executable is called.
QString DataFilePath(const QString &extension);

// The rule itself, for any directory: a separator goes between directory and
// name unless the directory text already ends with one ('\' or '/').
QString dataFilePathIn(const QString &directory, const QString &extension);

// The product name compiled into the program.
QString ProductName();

// "0.30 (Build: 20)": plain decimal numbers, no padding. The About box shows
// it after "Version ", tolvo-solve --help after its own name; the help file
// gets the same form from CMake, and its test holds the two together.
QString versionText(int major, int minor, int revision);
// This build's, from project() in CMake.
QString versionText();
