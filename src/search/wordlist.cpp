#include "search/wordlist.h"
#include "platform/textfile.h"

namespace {

quint32 keyOf(QChar a, QChar b)
{
    return quint32(a.unicode()) << 16 | b.unicode();
}

std::optional<QString> readText(const QString &path)
{
    QByteArray bytes;
    if (textfile::readBytes(path, kWordsFileLimit, &bytes) != textfile::ReadStatus::Done)
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

} // namespace

bool WordList::load(const QString &path)
{
    m_pending.clear();
    const std::optional<QString> text = readText(path);
    parse(text.value_or(QString()));
    return text.has_value();
}

void WordList::loadText(const QString &text)
{
    m_pending.clear();
    parse(text);
}

void WordList::loadLater(const QString &path)
{
    parse(QString());
    m_pending = path;
}

void WordList::loadPending() const
{
    if (!m_pending.isEmpty())
        parse(readText(std::exchange(m_pending, QString())).value_or(QString()));
}

void WordList::parse(const QString &text) const
{
    m_text = text;
    m_rankOf.clear();
    m_lineAt.clear();
    for (qsizetype at = 0; at < m_text.size();) {
        // A last line without its line end may be cut short inside its
        // readings; a wrong reading is worse than none.
        const qsizetype end = m_text.indexOf(u'\n', at);
        if (end < 0)
            break;
        if (end - at >= 3 && m_text[at + 2] == u'\t' && m_text[at] != u'#') {
            const quint32 key = keyOf(m_text[at], m_text[at + 1]);
            if (!m_rankOf.contains(key)) {
                m_rankOf.insert(key, qint32(m_lineAt.size()));
                m_lineAt.push_back(at);
            }
        }
        at = end + 1;
    }
}

bool WordList::isEmpty() const
{
    loadPending();
    return m_lineAt.empty();
}


std::optional<WordList::Word> WordList::find(QChar a, QChar b) const
{
    loadPending();
    const auto ab = m_rankOf.constFind(keyOf(a, b));
    const auto ba = m_rankOf.constFind(keyOf(b, a));
    qint32 rank = -1;
    if (ab != m_rankOf.cend())
        rank = *ab;
    if (ba != m_rankOf.cend() && (rank < 0 || *ba < rank))
        rank = *ba;
    if (rank < 0)
        return std::nullopt;
    return wordAt(rank);
}

std::optional<WordList::Word> WordList::findInOrder(QChar first, QChar second) const
{
    loadPending();
    const auto it = m_rankOf.constFind(keyOf(first, second));
    if (it == m_rankOf.cend())
        return std::nullopt;
    return wordAt(*it);
}

bool WordList::contains(QChar first, QChar second) const
{
    loadPending();
    return m_rankOf.contains(keyOf(first, second));
}

WordList::Word WordList::wordAt(qint32 rank) const
{
    const qsizetype at = m_lineAt[size_t(rank)];
    qsizetype end = m_text.indexOf(u'\n', at);
    if (m_text[end - 1] == u'\r')
        --end;
    QString readings = m_text.sliced(at + 3, end - at - 3);
    const qsizetype tab = readings.indexOf(u'\t');
    const bool common = tab >= 0 && QStringView(readings).sliced(tab + 1) == u"P";
    if (tab >= 0)
        readings.truncate(tab);
    return Word{m_text.sliced(at, 2), readings, rank, common};
}
