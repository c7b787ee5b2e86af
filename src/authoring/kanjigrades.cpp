#include "authoring/kanjigrades.h"
#include "platform/textfile.h"

// Far above the generated file (40 KB).
constexpr qint64 kGradesFileLimit = qint64(4) << 20;

bool KanjiGrades::load(const QString &path)
{
    QByteArray bytes;
    if (textfile::readBytes(path, kGradesFileLimit, &bytes) != textfile::ReadStatus::Done) {
        m_facts.clear();
        return false;
    }
    loadText(QString::fromUtf8(bytes));
    return true;
}

void KanjiGrades::loadText(QStringView text)
{
    m_facts.clear();
    for (QStringView line : text.tokenize(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 4 || fields[0].size() != 1 || fields[0][0] == u'#' || fields[0][0].isSurrogate())
            continue;
        Facts &f = m_facts[fields[0][0].unicode()];
        f.grade = quint8(std::min(fields[1].toUInt(), 255u));
        f.frequency = quint16(std::min(fields[2].toUInt(), 65535u));
        f.variants = fields[3].toString();
    }
}

int KanjiGrades::grade(QChar kanji) const
{
    const auto it = m_facts.constFind(kanji.unicode());
    return it == m_facts.cend() ? 0 : it->grade;
}

int KanjiGrades::frequency(QChar kanji) const
{
    const auto it = m_facts.constFind(kanji.unicode());
    return it == m_facts.cend() ? 0 : it->frequency;
}

bool KanjiGrades::areVariants(QChar a, QChar b) const
{
    const auto it = m_facts.constFind(a.unicode());
    return a != b && it != m_facts.cend() && it->variants.contains(b);
}

bool isNumeral(QChar kanji)
{
    return QStringView(u"一二三四五六七八九十百千万億兆零〇壱弐参拾").contains(kanji);
}
