#include "ui/appicon.h"

using namespace Qt::StringLiterals;

QIcon appIcon()
{
    QIcon icon;
    icon.addFile(u":/images/tolvo16.png"_s, QSize(16, 16));
    icon.addFile(u":/images/tolvo.png"_s, QSize(32, 32));
    return icon;
}
