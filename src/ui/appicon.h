#pragma once
#include <QIcon>

// The program's icon, 16 and 32 pixels, for every window's title bar and
// the About box's picture.
QIcon appIcon();
