#pragma once
// What tolvo-solve's commands share: the output stream that remembers a
// loss, the usage message, and the data files loaded with their messages.
#include "cli/solve.h"

#include <QString>

#include <cstdio>

class DictionaryStore;
class WordList;

namespace solve {

void writeText(FILE *stream, const QString &text);

// The results' stream. Output that was lost (a full disk, a reader that went
// away) must not pass for an answer, so it keeps why it first lost something.
class Output
{
public:
    explicit Output(FILE *stream) : m_stream(stream) {}
    void write(const QString &text);
    bool failed() const { return ferror(m_stream) != 0; }
    // Flushes; false, with the message on error, when anything was lost.
    bool written(FILE *error);

private:
    FILE *m_stream;
    int m_errno = 0;
};

// The message and --help's hint on error; 2.
int usageError(FILE *error, const QString &why);

// The options' dictionary, or tolvo.dic beside the program; false, with the
// message written, when it keeps no line.
bool loadDictionary(const Options &options, DictionaryStore &dictionary, FILE *error);

// tolvo.words beside the program; false, with the message written, when it
// cannot be read.
bool loadWords(WordList &words, FILE *error);

// --check and --make (makecheck.cpp).
int runCheck(const Options &options, Output &out, FILE *error);
int runMake(const Options &options, Output &out, FILE *error);

} // namespace solve
