#include "settings/parsecolor.h"
#include "platform/value.h"

quint32 ParseColor(const QString &text)
{
    quint32 value = 0;
    for (int group = 0; group < 3; ++group) {
        // A group past the end of the text is shorter, or empty, and then fails.
        const QStringView digits = QStringView(text).mid(qMin<qsizetype>(group * 3, text.size()), 3);
        const qint32 component = qBound(0, parseWholeNumber(digits), 255);
        value |= quint32(component) << (8 * group);
    }
    return value;
}
