#include "dictionary/dictionary.h"
#include "platform/cp932.h"
#include "platform/runtimeerror.h"

#include <new>

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

namespace {

QString utf8Text()
{
    return QStringLiteral(u"UTF-8 で保存されたファイルのようです。Shift_JIS で保存し直してください。");
}

// Tells a file that is clearly not Shift_JIS text from a good file with a
// few bad lines, which loads as it always did.
class ShiftJisCheck
{
public:
    // False when this line alone settles it: a byte-order mark at the
    // start, or a NUL byte, which Shift_JIS text never holds.
    bool accepts(QByteArrayView raw)
    {
        if (m_first) {
            m_first = false;
            if (raw.startsWith(cp932::kUtf8Bom))
                m_looksLike = utf8Text();
            else if (raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF"))
                m_looksLike = QStringLiteral(u"UTF-16 で保存されたファイルのようです。"
                                             u"Shift_JIS で保存し直してください。");
        }
        if (m_looksLike.isEmpty() && raw.contains('\0'))
            m_looksLike = QStringLiteral(u"NUL バイトを含んでいます。"
                                         u"テキストではないファイルか、UTF-16 のテキストのようです。");
        return m_looksLike.isEmpty();
    }

    void count(QByteArrayView raw, QStringView decoded)
    {
        if (raw.isEmpty())
            return;
        ++m_lines;
        const bool utf8 = cp932::looksUtf8(raw);
        if (utf8 || decoded.contains(QChar(0xFFFD)))
            ++m_bad;
        if (utf8)
            ++m_utf8;
    }

    // What the file seems to be when it is not Shift_JIS text; empty when it is.
    QString verdict() const
    {
        if (!m_looksLike.isEmpty() || m_bad * 2 <= m_lines)
            return m_looksLike;
        return m_utf8 * 2 > m_bad ? utf8Text()
                                  : QStringLiteral(u"大半の行に Shift_JIS として読めないバイトがあります。");
    }

private:
    bool m_first = true;
    QString m_looksLike;
    qint64 m_lines = 0;   // lines that are not empty
    qint64 m_bad = 0;     // of them, undecodable or in UTF-8
    qint64 m_utf8 = 0;
};

DictionaryLoad readInto(const QString &path, DictionaryStore &store, DictionaryProblem &problem)
{
    textfile::ReadOptions options;
    options.lfEndsLine = true;
    options.fileLimit = kDictionaryFileLimit;
    options.lineLimit = kDictionaryLineLimit;
    ShiftJisCheck check;
    const auto onLine = [&store, &check](QByteArrayView raw) {
        if (!check.accepts(raw))
            return false;
        const QString line = cp932::decode(raw);
        check.count(raw, line);
        qsizetype start = 0;
        while (start < line.size() && line[start] == u' ')
            ++start;
        if (line.size() - start >= 2 && store.lineCount() < INT32_MAX)
            store.append(QStringView(line).mid(start));
        return true;
    };
    switch (textfile::readRawLines(path, onLine, &problem.error, options)) {
    case textfile::ReadStatus::OpenFailed:
        return DictionaryLoad::OpenFailed;
    case textfile::ReadStatus::TooLarge:
        return DictionaryLoad::TooLarge;
    case textfile::ReadStatus::Done:
    case textfile::ReadStatus::Stopped:
        break;
    }
    problem.looksLike = check.verdict();
    if (!problem.looksLike.isEmpty())
        return DictionaryLoad::NotShiftJis;
    return store.lineCount() > 0 ? DictionaryLoad::Loaded : DictionaryLoad::NoLines;
}

} // namespace

DictionaryLoad readDictionaryFile(const QString &path, DictionaryStore &store, DictionaryProblem *problem)
{
    DictionaryProblem scratch;
    store.clear();
    DictionaryLoad load;
    try {
        load = readInto(path, store, problem ? *problem : scratch);
    } catch (const std::bad_alloc &) {
        // A file within the limits can still outgrow the memory there is.
        load = DictionaryLoad::TooLarge;
    }
    if (load != DictionaryLoad::Loaded)
        store = DictionaryStore();   // gives the memory back, not just the lines
    return load;
}

QString dictionaryFailureText(DictionaryLoad load, const QString &path, const DictionaryProblem &problem)
{
    switch (load) {
    case DictionaryLoad::OpenFailed:
        return QStringLiteral(u"辞書ファイルの読み込みに失敗しました。\nErrorNo: ")
            + QString::number(problem.error.number) + u'\n' + problem.error.description;
    case DictionaryLoad::NoLines:
        return QStringLiteral(u"辞書ファイルから、漢字情報が読み込めませんでした。");
    case DictionaryLoad::NotShiftJis:
        return QStringLiteral(u"辞書ファイル「") + path + QStringLiteral(u"」は Shift_JIS のテキストではありません。\n")
            + problem.looksLike;
    case DictionaryLoad::TooLarge:
        return QStringLiteral(u"辞書ファイル「") + path + QStringLiteral(u"」は大きすぎて読み込めません。\n")
            + QStringLiteral(u"辞書ファイルは %1 MB まで、一行は %2 MB までで、"
                             u"メモリに収まる大きさでなければなりません。")
                  .arg(kDictionaryFileLimit >> 20)
                  .arg(kDictionaryLineLimit >> 20);
    case DictionaryLoad::Loaded:
        break;
    }
    return {};
}

bool LoadDictionary(const QString &path, DictionaryStore &store, Prompts &prompts)
{
    DictionaryProblem problem;
    const DictionaryLoad load = readDictionaryFile(path, store, &problem);
    if (load == DictionaryLoad::Loaded)
        return true;
    prompts.message(QStringLiteral(u"エラー"), dictionaryFailureText(load, path, problem), Prompts::Icon::Error);
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
