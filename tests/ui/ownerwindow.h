#pragma once
// The plain window the About box and the help viewer are opened over: at
// the main window's place and size, without the main window's own state.
#include <QString>
#include <QWidget>

#include <memory>

inline std::unique_ptr<QWidget> showOwnerWindow()
{
    auto owner = std::make_unique<QWidget>();
    owner->setWindowTitle(QStringLiteral("owner"));
    owner->setGeometry(120, 90, 343, 358);
    owner->show();
    return owner;
}
