#include "ui/fonts.h"
#include "platform/windowsfonts.h"

#include <QFont>
#include <QStringList>

using namespace Qt::StringLiterals;

void installFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList proportional{u"IPAPGothic"_s, u"Noto Sans CJK JP"_s, u"IPAGothic"_s};
    const QStringList fixed{u"IPAGothic"_s, u"Noto Sans Mono CJK JP"_s, u"Noto Sans CJK JP"_s};
    QFont::insertSubstitutions(pGothicFace(), proportional);
    QFont::insertSubstitutions(u"MS PGothic"_s, proportional);
    QFont::insertSubstitutions(gothicFace(), fixed);
    QFont::insertSubstitutions(u"MS Gothic"_s, fixed);
}
