#include "ui/fonts.h"

#include <QFont>
#include <QStringList>

using namespace Qt::StringLiterals;

void InstallFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList proportional{u"IPAPGothic"_s, u"Noto Sans CJK JP"_s, u"IPAGothic"_s};
    const QStringList fixed{u"IPAGothic"_s, u"Noto Sans Mono CJK JP"_s, u"Noto Sans CJK JP"_s};
    QFont::insertSubstitutions(u"ＭＳ Ｐゴシック"_s, proportional);
    QFont::insertSubstitutions(u"MS PGothic"_s, proportional);
    QFont::insertSubstitutions(u"ＭＳ ゴシック"_s, fixed);
    QFont::insertSubstitutions(u"MS Gothic"_s, fixed);
}
