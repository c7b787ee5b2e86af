#include "ui/controls.h"
#include "platform/windowsfonts.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTreeWidget>
#include <QtMath>

using namespace Qt::StringLiterals;

namespace {

// One of the two lines of the etched rule under the menu bar.
class RuleLine : public QWidget
{
public:
    RuleLine(const QColor &color, QWidget *parent) : QWidget(parent), m_color(color)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), m_color);
    }

private:
    QColor m_color;
};

// A window the unload sequence closes: a form, not a menu or a tip.
bool isForm(const QWidget *w)
{
    switch (w->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Tool:
    case Qt::Sheet:
    case Qt::Drawer:
        return true;
    default:
        return false;
    }
}

} // namespace

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(px(left), px(top), px(width), px(height));
}

QFont gothic(int points)
{
    QFont f(pGothicFace());
    f.setPointSize(points);
    f.setWeight(QFont::Normal);
    return f;
}

QTreeWidget *makeListView(QWidget *parent, const QString &name, const QStringList &headers,
                          int firstWidth, int secondWidth)
{
    auto *view = new QTreeWidget(parent);
    view->setObjectName(name);
    view->setColumnCount(2);
    view->setHeaderLabels(headers);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSortingEnabled(false);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setAllColumnsShowFocus(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView *header = view->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->resizeSection(0, px(firstWidth));
    header->resizeSection(1, px(secondWidth));
    return view;
}

QProgressBar *makeProgressBar(QWidget *parent, const QString &name)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->hide();
    return bar;
}

PictureBox *makePictureHolder(QWidget *parent, const QString &name, const QString &image, int left)
{
    auto *holder = new PictureBox(parent);
    holder->setObjectName(name);
    holder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    holder->setLineWidth(2);
    place(holder, left, 4560, 2250, 2535);
    holder->setSurface(QImage(image));
    holder->hide();
    return holder;
}

void addEtchedRule(QWidget *client)
{
    auto *line0 = new RuleLine(QColor(128, 128, 128), client);
    line0->setObjectName(u"Line1_0"_s);
    line0->setGeometry(0, 0, px(5640), 1);
    auto *line1 = new RuleLine(Qt::white, client);
    line1->setObjectName(u"Line1_1"_s);
    line1->setGeometry(0, 1, px(5640), 2);
}

QList<QPointer<QWidget>> otherForms(const QWidget *main)
{
    QList<QPointer<QWidget>> others;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != main && w->parentWidget() != main && isForm(w) && w->isVisible())
            others.append(w);
    }
    for (QObject *child : main->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w && w->isWindow() && isForm(w))
            others.append(w);
    }
    return others;
}

int frameInLayoutPixels(int frame, qreal programScale)
{
    // The window manager draws the frame at its own size: a scale that Qt
    // applies to this program alone (QT_SCALE_FACTOR) leaves it as it is,
    // where on the system this layout comes from the title bar grows with
    // everything else. So each of its device pixels counts as one of the
    // layout's pixels, and the window scales as a whole. Qt gives the
    // frame in scaled pixels rounded to whole ones; taking the smaller
    // device size it may stand for never cuts the client area short.
    if (frame <= 0)
        return 0;
    return qMax(0, qCeil((frame - 0.5) * programScale));
}

void placeBeside(QWidget *window, const QWidget *owner)
{
    const QRect frame = owner->frameGeometry();
    QPoint at = frame.topRight() + QPoint(8, 0);
    if (const QScreen *screen = owner->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize size = window->sizeHint();
        if (at.x() + size.width() > available.right())
            at.setX(frame.left() - 8 - size.width() >= available.left() ? frame.left() - 8 - size.width()
                                                                          : available.right() - size.width());
        at.setY(std::clamp(at.y(), available.top(), std::max(available.top(), available.bottom() - size.height())));
    }
    window->move(at);
}
