#pragma once
#include <QString>

// The Windows face names the layout and the settings file use. They stay
// names: the window maps them to Gothic faces this system has.
inline QString pGothicFace()
{
    return QStringLiteral(u"ＭＳ Ｐゴシック");
}

inline QString gothicFace()
{
    return QStringLiteral(u"ＭＳ ゴシック");
}
