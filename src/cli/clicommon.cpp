#include "cli/clicommon.h"

#include "dictionary/dictionary.h"
#include "platform/datafile.h"
#include "platform/textfile.h"
#include "search/wordlist.h"

#include <cerrno>

namespace solve {

void writeText(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void Output::write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (fwrite(bytes.constData(), 1, size_t(bytes.size()), m_stream) != size_t(bytes.size()) && m_errno == 0)
        m_errno = errno;
}

bool Output::written(FILE *error)
{
    if (fflush(m_stream) != 0 && m_errno == 0)
        m_errno = errno;
    if (!failed())
        return true;
    writeText(error, QStringLiteral(u"tolvo-solve: 結果を書き込めませんでした。") + textfile::describeErrno(m_errno)
                         + u'\n');
    return false;
}

int usageError(FILE *error, const QString &why)
{
    writeText(error, u"tolvo-solve: " + why + u"\n" + QStringLiteral(u"詳しくは tolvo-solve --help を見てください。\n"));
    return 2;
}

bool loadDictionary(const Options &options, DictionaryStore &dictionary, FILE *error)
{
    const QString path = options.dictionaryPath.isEmpty() ? DataFilePath(QStringLiteral(".dic")) : options.dictionaryPath;
    DictionaryProblem problem;
    const DictionaryLoad load = readDictionaryFile(path, dictionary, &problem);
    if (load == DictionaryLoad::Loaded)
        return true;
    QString text = dictionaryFailureText(load, path, problem) + u'\n';
    // These two texts do not name the file themselves.
    if (load == DictionaryLoad::OpenFailed || load == DictionaryLoad::NoLines)
        text += path + u'\n';
    writeText(error, text);
    return false;
}

bool loadWords(WordList &words, FILE *error)
{
    const QString wordsPath = DataFilePath(QStringLiteral(".words"));
    if (words.load(wordsPath))
        return true;
    writeText(error, QStringLiteral(u"単語ファイルが見つかりません。\n") + wordsPath + u"\n");
    return false;
}

} // namespace solve
