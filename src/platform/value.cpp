#include "platform/value.h"
#include "platform/runtimeerror.h"

QStringView trimSpaces(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

qint32 parseWholeNumber(QStringView text, qint64 minimum, qint64 maximum)
{
    QStringView s = trimSpaces(text);
    bool negative = false;
    if (!s.isEmpty() && (s[0] == u'+' || s[0] == u'-')) {
        negative = s[0] == u'-';
        s = s.mid(1);
    }
    const qsizetype dot = s.indexOf(u'.');
    const QStringView whole = dot < 0 ? s : s.left(dot);
    const QStringView fraction = dot < 0 ? QStringView() : s.mid(dot + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        throw RuntimeError::typeMismatch();
    for (QChar c : whole)
        if (!isDigit(c))
            throw RuntimeError::typeMismatch();
    for (QChar c : fraction)
        if (!isDigit(c))
            throw RuntimeError::typeMismatch();

    // Accumulate with a ceiling so that a thousand digits cannot wrap around.
    constexpr qint64 kCeiling = qint64(1) << 40;
    qint64 magnitude = 0;
    for (QChar c : whole) {
        magnitude = magnitude * 10 + (c.unicode() - u'0');
        if (magnitude > kCeiling)
            throw RuntimeError::overflow();
    }
    if (!fraction.isEmpty()) {
        const int first = fraction[0].unicode() - u'0';
        bool restNonZero = false;
        for (qsizetype i = 1; i < fraction.size(); ++i)
            restNonZero = restNonZero || fraction[i] != u'0';
        if (first > 5 || (first == 5 && restNonZero) || (first == 5 && magnitude % 2 == 1))
            ++magnitude;
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < minimum || value > maximum)
        throw RuntimeError::overflow();
    return qint32(value);
}

bool toBoolean(const Value &v)
{
    if (const bool *b = std::get_if<bool>(&v))
        return *b;
    if (const qint32 *i = std::get_if<qint32>(&v))
        return *i != 0;
    if (const QString *t = std::get_if<QString>(&v)) {
        const QStringView s = trimSpaces(*t);
        if (s.compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(u"False", Qt::CaseInsensitive) == 0)
            return false;
        // Any number converts, however large; only its being zero matters,
        // and "0.4" is not zero even though it rounds to 0.
        QStringView digits = s;
        if (!digits.isEmpty() && (digits[0] == u'+' || digits[0] == u'-'))
            digits = digits.mid(1);
        const qsizetype dot = digits.indexOf(u'.');
        bool any = false, nonZero = false;
        for (qsizetype i = 0; i < digits.size(); ++i) {
            if (i == dot)
                continue;
            if (!isDigit(digits[i]))
                throw RuntimeError::typeMismatch();
            any = true;
            nonZero = nonZero || digits[i] != u'0';
        }
        if (!any)
            throw RuntimeError::typeMismatch();
        return nonZero;
    }
    return false;
}

qint32 toInt32(const Value &v)
{
    if (const bool *b = std::get_if<bool>(&v))
        return *b ? -1 : 0;
    if (const qint32 *i = std::get_if<qint32>(&v))
        return *i;
    if (const QString *t = std::get_if<QString>(&v))
        return parseWholeNumber(*t);
    return 0;
}

QString toText(const Value &v)
{
    if (const bool *b = std::get_if<bool>(&v))
        return *b ? QStringLiteral("True") : QStringLiteral("False");
    if (const qint32 *i = std::get_if<qint32>(&v))
        return QString::number(*i);
    if (const QString *t = std::get_if<QString>(&v))
        return *t;
    return QString();
}
