#pragma once
#include <QString>

#include <functional>

class Prompts;
class QWidget;

// Help > Search topics: opens the help file in the help viewer.
void ShowHelpContents(QWidget *owner);

// Help > About: shows the one About box, owned by owner and not modal.
void ShowAboutBox(QWidget *owner);

// The help file start-up fixes once for the whole run. Until it does,
// HelpFilePath() gives DataFilePath(".hlp").
void SetHelpFilePath(const QString &path);
QString HelpFilePath();

// Help > Search topics with its message boxes and its source of the help
// file's path passed in. Every step that fails is skipped and the next one
// runs; the last failure is then shown in an "エラー" box. A help file the
// viewer cannot open is the viewer's to report, not a failure here.
void ShowHelpContents(QWidget *owner, Prompts &prompts,
                      const std::function<QString()> &readHelpFilePath = HelpFilePath);
