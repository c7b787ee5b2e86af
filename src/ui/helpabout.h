#pragma once
#include <QPointer>
#include <QString>

#include <functional>

class HelpViewer;
class Prompts;
class QWidget;
class frmAbout;

// Help > About: shows the one About box, owned by owner and not modal. box
// holds it while it is open; an empty one gets a new box.
void showAboutBox(QPointer<frmAbout> &box, QWidget *owner);

// Help > Search topics: opens the help file readHelpFilePath gives in the
// one help viewer, which viewer holds while it is open. Every step that
// fails is skipped and the next one runs; the last failure is then shown in
// an "エラー" box. A help file the viewer cannot open is the viewer's to
// report, not a failure here.
void showHelpContents(QPointer<HelpViewer> &viewer, QWidget *owner, Prompts &prompts,
                      const std::function<QString()> &readHelpFilePath);
