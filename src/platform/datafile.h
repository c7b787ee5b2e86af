#pragma once
#include <QString>

// Every data file sits beside the executable under the product name:
// tolvo.dic, tolvo.ini, tolvo.hlp, whatever the executable is called.
QString DataFilePath(const QString &extension);

// The rule itself, for any directory: a separator goes between directory and
// name unless the directory text already ends with one ('\' or '/').
QString dataFilePathIn(const QString &directory, const QString &extension);

// Where the settings file is read at start and written at exit.
struct SettingsFiles {
    QString read;
    QString write;
};

// The settings file for a program in programDirectory. It is the data file
// beside the program whenever the program can write it (its folder takes a
// new file, or the file itself is writable), as it always was. Otherwise,
// as a protected install redirects such writes, it is a per-user copy in
// perUserSettingsFolder(): written from the first save on and read once it
// exists; until then the program folder's file gives the starting settings.
SettingsFiles settingsFilesFor(const QString &programDirectory);
// The same for this program.
SettingsFiles SettingsFilePaths();

// $XDG_CONFIG_HOME/tolvo, or ~/.config/tolvo when that variable is unset,
// empty or relative (the XDG base directory rules).
QString perUserSettingsFolder();
// Creates the per-user settings folder, private to the user, when path lies
// directly in it and it is missing; any other path is left alone, so that a
// missing program folder still fails its save as it always did. Called
// before every attempt at a save, so that Retry tries again.
void makeSettingsFolderFor(const QString &path);

// The product name compiled into the program.
QString ProductName();

// "0.30 (Build: 20)": plain decimal numbers, no padding. The About box shows
// it after "Version ", tolvo-solve --help after its own name; the help file
// gets the same form from CMake, and its test holds the two together.
QString versionText(int major, int minor, int revision);
// This build's, from project() in CMake.
QString versionText();

// Where the files the main window reads when it needs them are: each beside
// the program, unless start-up or a test puts it elsewhere.
struct DataFiles {
    QString words;              // the words with their readings, for the tips and the arrows
    QString help;               // the help file
    QString kanji;              // the kanji pad's readings
    QString handwritingModel;   // the kanji pad's handwriting model
    QString strokeTemplates;    // the kanji pad's stroke templates, for any stroke order
    QString pictureData;        // the text engine's data folder; empty: its own default
    QString grades;             // the kanji's school grades, for making puzzles
};
