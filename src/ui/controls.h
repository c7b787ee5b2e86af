#pragma once
// The main window's building blocks that need nothing of the window itself:
// twips to pixels, the standard controls, the etched rule, the other forms.
#include <QFont>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class PictureBox;
class QProgressBar;
class QTreeWidget;
class QWidget;

// The layout is given in twips, 15 to a device-independent pixel.
inline constexpr int kTwipsPerPixel = 15;
constexpr int px(int twips) { return twips / kTwipsPerPixel; }

// Positions as laid out, in twips.
void place(QWidget *w, int left, int top, int width, int height);

// The Gothic face at `points`, normal weight.
QFont gothic(int points);

// A tool window's first place: right of the owner's window, on its screen;
// the left when there is no room, or else the screen's right edge.
void placeBeside(QWidget *window, const QWidget *owner);

// A two-column list view of whole-row single selection, widths in twips.
QTreeWidget *makeListView(QWidget *parent, const QString &name, const QStringList &headers, int firstWidth,
                          int secondWidth);
// A hidden progress bar without text, 0 of 100.
QProgressBar *makeProgressBar(QWidget *parent, const QString &name);
// A hidden sunken picture holder of `image`, left in twips.
PictureBox *makePictureHolder(QWidget *parent, const QString &name, const QString &image, int left);

// The etched rule under the menu bar: grey at the top, white under it;
// longer than the client area, which clips it.
void addEtchedRule(QWidget *client);

// Every window other than `main` that its unload closes, the most recently
// created last: the visible forms it does not own, taken as older, then
// those it owns in creation order.
QList<QPointer<QWidget>> otherForms(const QWidget *main);

// The title bar and borders, `frame` high in Qt's pixels, in layout pixels.
int frameInLayoutPixels(int frame, qreal programScale);
