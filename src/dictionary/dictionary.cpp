#include "dictionary/dictionary.h"
#include "platform/runtimeerror.h"

QString DictionaryStore::line(qint32 n) const
{
    return lineView(n).toString();
}

void DictionaryStore::append(QStringView line)
{
    m_first.push_back(line[0].unicode());
    m_text.insert(m_text.end(), line.utf16(), line.utf16() + line.size());
    m_offsets.push_back(qsizetype(m_text.size()));
}

void DictionaryStore::clear()
{
    m_text.clear();
    m_first.clear();
    m_offsets.assign(1, 0);
}

DictionaryLoad readDictionaryFile(const QString &path, DictionaryStore &store, textfile::FileError *error)
{
    store.clear();
    const bool opened = textfile::readLines(path, [&store](QString &&line) {
        qsizetype start = 0;
        while (start < line.size() && line[start] == u' ')
            ++start;
        if (line.size() - start >= 2 && store.lineCount() < INT32_MAX)
            store.append(QStringView(line).mid(start));
    }, error);
    if (!opened)
        return DictionaryLoad::OpenFailed;
    return store.lineCount() > 0 ? DictionaryLoad::Loaded : DictionaryLoad::NoLines;
}

QString dictionaryOpenFailedText(const textfile::FileError &error)
{
    return QStringLiteral(u"辞書ファイルの読み込みに失敗しました。\nErrorNo: ") + QString::number(error.number)
        + u'\n' + error.description;
}

QString dictionaryEmptyText()
{
    return QStringLiteral(u"辞書ファイルから、漢字情報が読み込めませんでした。");
}

bool LoadDictionary(const QString &path, DictionaryStore &store, Prompts &prompts)
{
    textfile::FileError error;
    switch (readDictionaryFile(path, store, &error)) {
    case DictionaryLoad::Loaded:
        return true;
    case DictionaryLoad::OpenFailed:
        prompts.message(QStringLiteral(u"エラー"), dictionaryOpenFailedText(error), Prompts::Icon::Error);
        return false;
    case DictionaryLoad::NoLines:
        prompts.message(QStringLiteral(u"エラー"), dictionaryEmptyText(), Prompts::Icon::Error);
        return false;
    }
    return false;
}

Value GetDictionaryValue(const DictionaryStore &store, const QString &key, qint32 index)
{
    if (key == u"DicNum")
        return store.lineCount();
    if (key == u"Kanji") {
        if (index < 1 || index > store.lineCount())
            throw RuntimeError::outOfRange();
        return store.line(index);
    }
    return {};
}
