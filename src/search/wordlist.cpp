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
    m_at.clear();
    for (qsizetype at = 0; at < m_text.size();) {
        // A last line without its line end may be cut short inside its
        // readings; a wrong reading is worse than none.
        const qsizetype end = m_text.indexOf(u'\n', at);
        if (end < 0)
            break;
        if (end - at >= 3 && m_text[at + 2] == u'\t' && m_text[at] != u'#') {
            const quint32 key = keyOf(m_text[at], m_text[at + 1]);
            if (!m_at.contains(key))
                m_at.insert(key, at);
        }
        at = end + 1;
    }
}

bool WordList::isEmpty() const
{
    loadPending();
    return m_at.isEmpty();
}

std::optional<WordList::Word> WordList::find(QChar a, QChar b) const
{
    loadPending();
    const auto ab = m_at.constFind(keyOf(a, b));
    const auto ba = m_at.constFind(keyOf(b, a));
    qsizetype at = -1;
    if (ab != m_at.cend())
        at = *ab;
    if (ba != m_at.cend() && (at < 0 || *ba < at))
        at = *ba;
    if (at < 0)
        return std::nullopt;
    return wordAt(at);
}

std::optional<WordList::Word> WordList::findInOrder(QChar first, QChar second) const
{
    loadPending();
    const auto it = m_at.constFind(keyOf(first, second));
    if (it == m_at.cend())
        return std::nullopt;
    return wordAt(*it);
}

bool WordList::contains(QChar first, QChar second) const
{
    loadPending();
    return m_at.contains(keyOf(first, second));
}

WordList::Word WordList::wordAt(qsizetype at) const
{
    QString readings = m_text.sliced(at + 3, m_text.indexOf(u'\n', at) - at - 3);
    if (readings.endsWith(u'\r'))
        readings.chop(1);
    return Word{m_text.sliced(at, 2), readings};
}
