#include "ui/frmmain.h"
#include "ui/formsteps.h"
#include "platform/datafile.h"
#include "dictionary/dictionary.h"
#include "platform/prompts.h"
#include "platform/runtimeerror.h"
#include "platform/windowsfonts.h"
#include "settings/basparam.h"
#include "ui/appicon.h"
#include "ui/fonts.h"
#include "ui/frmabout.h"
#include "ui/helpabout.h"
#include "ui/helpviewer.h"
#include "ui/letterbox.h"
#include "settings/parsecolor.h"
#include "search/partnerletters.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QtMath>

using namespace Qt::StringLiterals;

static void initResources()
{
    Q_INIT_RESOURCE(tolvo);
}

namespace {

constexpr int px(int twips) { return twips / frmMain::kTwipsPerPixel; }

// Positions as laid out, in twips.
void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(px(left), px(top), px(width), px(height));
}

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

frmMain::frmMain(Prompts &prompts, DictionaryStore &dictionary, SettingsStore &settings,
                 const QString &settingsPath, QWidget *parent)
    : QMainWindow(parent),
      m_prompts(prompts),
      m_dictionary(dictionary),
      m_settings(settings),
      m_settingsPath(settingsPath),
      m_helpFilePath(DataFilePath(u".hlp"_s))
{
    initResources();
    installFontSubstitutions();
    setObjectName(u"frmMain"_s);
    setWindowTitle(u"ヴェルモラ支援ソフト"_s);
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(gothic(9));
    buildControls();
    buildMenus();
    setOuterHeightTwips(kHeightWithHistoryTwips);
    // Key preview: Esc is seen before whichever control has the focus.
    qApp->installEventFilter(this);
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
}

void frmMain::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(u"client"_s);
    setCentralWidget(client);

    picMain = new PictureBox(client);
    picMain->setObjectName(u"picMain"_s);
    place(picMain, 120, 120, 2775, 2535);
    picMain->clearSurface(palette().color(QPalette::Window));

    static constexpr int boxAt[kLetterBoxCount][2] = {
        {1080, 300}, {1755, 690}, {1755, 1470}, {1080, 1860}, {405, 1470}, {405, 690}};
    const QString initial = u"続家版露身発"_s;
    for (int i = 0; i < kLetterBoxCount; ++i) {
        auto *box = new LetterBox(picMain);
        box->setObjectName(u"txtLetter_"_s + QString::number(i));
        place(box, boxAt[i][0], boxAt[i][1], 495, 495);
        box->setFont(gothic(24));
        box->setText(initial.mid(i, 1));
        txtLetter[i] = box;
    }
    // A pasted puzzle or a converted word goes on into the boxes after the
    // one it was entered in; the focus then waits after the last letter.
    for (int i = 0; i + 1 < kLetterBoxCount; ++i) {
        connect(txtLetter[i], &LetterBox::overflowed, this, [this, i](const QString &rest) {
            txtLetter[i + 1]->enterText(rest);
            if (!txtLetter[i]->hasFocus())
                return;
            // Not from inside the input method's commit: a focus change asks
            // it to commit, and IBus would send the same word again.
            LetterBox *from = txtLetter[i];
            LetterBox *next = txtLetter[std::min<qsizetype>(i + 1 + rest.size(), kLetterBoxCount - 1)];
            QMetaObject::invokeMethod(next, [from, next] {
                if (from->hasFocus())
                    next->setFocus(Qt::OtherFocusReason);
            }, Qt::QueuedConnection);
        });
    }

    lblAnswer = new QLabel(picMain);
    lblAnswer->setObjectName(u"lblAnswer"_s);
    place(lblAnswer, 1080, 1080, 495, 495);
    lblAnswer->setFont(gothic(24));
    lblAnswer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette answerPalette = lblAnswer->palette();
    answerPalette.setColor(QPalette::WindowText, answerPalette.color(QPalette::Highlight));
    lblAnswer->setPalette(answerPalette);

    lblCandidate = new QLabel(u"候補一覧リスト："_s, client);
    lblCandidate->setObjectName(u"lblCandidate"_s);
    place(lblCandidate, 3000, 120, 2055, 255);

    lsvCandidate = makeListView(client, u"lsvCandidate"_s, {u"漢字"_s, u"ヒット数"_s}, 900, 825);
    place(lsvCandidate, 3000, 360, 2055, 2415);

    lblHistory = new QLabel(u"履歴：（右クリックで読み込み）"_s, client);
    lblHistory->setObjectName(u"lblHistory"_s);
    place(lblHistory, 240, 2760, 2415, 255);

    lsvHistory = makeListView(client, u"lsvHistory"_s, {u"検索文字"_s, u"検索結果"_s}, 3360, 1260);
    place(lsvHistory, 120, 3000, 4935, 1455);

    pbrLetter = makeProgressBar(client, u"pbrLetter"_s);
    place(pbrLetter, 0, 4440, 5145, 135);
    pbrStatus = makeProgressBar(client, u"pbrStatus"_s);
    place(pbrStatus, 0, 4575, 5145, 135);

    const auto makeHolder = [client](const QString &name, const QString &image, int left) {
        auto *holder = new PictureBox(client);
        holder->setObjectName(name);
        holder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        holder->setLineWidth(2);
        place(holder, left, 4560, 2250, 2535);
        holder->setSurface(QImage(image));
        holder->hide();
        return holder;
    };
    picBack = makeHolder(u"picBack"_s, u":/images/back.bmp"_s, 1680);
    picBackMask = makeHolder(u"picBackMask"_s, u":/images/backmask.bmp"_s, 3480);

    // The etched rule: grey at the top, white under it; longer than the
    // client area, which clips it.
    auto *line0 = new RuleLine(QColor(128, 128, 128), client);
    line0->setObjectName(u"Line1_0"_s);
    line0->setGeometry(0, 0, px(5640), 1);
    auto *line1 = new RuleLine(Qt::white, client);
    line1->setObjectName(u"Line1_1"_s);
    line1->setGeometry(0, 1, px(5640), 2);

    QWidget::setTabOrder(txtLetter[0], txtLetter[1]);
    for (int i = 1; i + 1 < kLetterBoxCount; ++i)
        QWidget::setTabOrder(txtLetter[i], txtLetter[i + 1]);
    QWidget::setTabOrder(txtLetter[kLetterBoxCount - 1], lsvCandidate);
    QWidget::setTabOrder(lsvCandidate, lsvHistory);
}

void frmMain::buildMenus()
{
    const auto named = [](auto *object, const QString &name) {
        object->setObjectName(name);
        return object;
    };
    mnuFile = named(menuBar()->addMenu(u"ファイル(&F)"_s), u"mnuFile"_s);
    mnuFileExit = named(mnuFile->addAction(u"終了(&X)"_s), u"mnuFileExit"_s);

    mnuEdit = named(menuBar()->addMenu(u"編集(&E)"_s), u"mnuEdit"_s);
    mnuEditFind = named(mnuEdit->addAction(u"検索(&F)"_s), u"mnuEditFind"_s);
    mnuEditFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuEditHistory = named(mnuEdit->addAction(u"履歴(&H)"_s), u"mnuEditHistory"_s);
    mnuEditHistory->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuEditHistory->setCheckable(true);
    mnuEditHistory->setChecked(true);

    mnuHelp = named(menuBar()->addMenu(u"ヘルプ(&H)"_s), u"mnuHelp"_s);
    mnuHelpContents = named(mnuHelp->addAction(u"トピックの検索(&S)..."_s), u"mnuHelpContents"_s);
    mnuHelpBar1 = named(mnuHelp->addSeparator(), u"mnuHelpBar1"_s);
    mnuHelpAbout = named(mnuHelp->addAction(u"バージョン情報(&A)..."_s), u"mnuHelpAbout"_s);

    // Never on the menu bar: opened only over the history list.
    mnuPopup = named(new QMenu(u"A"_s, this), u"mnuPopup"_s);
    mnuPopup->menuAction()->setVisible(false);
    mnuPopupGetString = named(mnuPopup->addAction(u"読み込み"_s), u"mnuPopupGetString"_s);

    connect(mnuFileExit, &QAction::triggered, this, &frmMain::onFileExit);
    connect(mnuEditFind, &QAction::triggered, this, &frmMain::onEditFind);
    // The action has already turned its mark over: the new state is the mark.
    connect(mnuEditHistory, &QAction::triggered, this, [this](bool shown) { applyHistoryPanel(shown); });
    connect(mnuHelpContents, &QAction::triggered, this, &frmMain::onHelpContents);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::onHelpAbout);
    connect(mnuPopupGetString, &QAction::triggered, this, &frmMain::onPopupGetString);
}

void frmMain::setVisible(bool visible) noexcept
{
    if (visible && !m_loaded) {
        m_loaded = true;
        formLoad();
    }
    QMainWindow::setVisible(visible);
}

void frmMain::formLoad()
{
    attempt([&] {
        picMain->bitBlt(QPoint(16, 6), *picBackMask, picBackMask->size(),
                        QPainter::RasterOp_SourceAndDestination);
    });
    attempt([&] {
        picMain->bitBlt(QPoint(16, 6), *picBack, picBack->size(), QPainter::RasterOp_SourceOrDestination);
    });
    attempt([&] {
        const QString letters = toText(basParam::GetParam(m_settings, u"HistString"_s, 1));
        // Characters after the sixth find no box.
        for (int i = 0; i < letters.size() && i < kLetterBoxCount; ++i)
            txtLetter[i]->setText(letters.mid(i, 1));
    });
    for (LetterBox *box : txtLetter) {
        attempt([&] {
            QFont f = box->font();
            f.setFamily(toText(basParam::GetParam(m_settings, u"FontName"_s, 0)));
            box->setFont(f);
        });
        attempt([&] {
            const qint32 points = toInt32(basParam::GetParam(m_settings, u"FontSize"_s, 0));
            if (points > 0) {
                QFont f = box->font();
                f.setPointSize(points);
                box->setFont(f);
            }
        });
        attempt([&] {
            const quint32 rgb = ParseColor(toText(basParam::GetParam(m_settings, u"FontColor"_s, 0)));
            box->setTextColor(QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
        });
    }
    attempt([&] { RefreshHistoryList(); });
    attempt([&] { mnuEditHistory->setChecked(!toBoolean(basParam::GetParam(m_settings, u"History"_s, 0))); });
    attempt([&] { mnuEditHistory->trigger(); });
}

void frmMain::formUnload()
{
    // Every other window, the most recently created first: those this window
    // owns in creation order, any unowned one taken as older.
    QList<QPointer<QWidget>> others;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->parentWidget() != this && isForm(w) && w->isVisible())
            others.append(w);
    }
    for (QObject *child : children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w && w->isWindow() && isForm(w))
            others.append(w);
    }
    for (qsizetype n = others.size() - 1; n >= 0; --n) {
        if (others[n])
            others[n]->close();
    }
    basParam::SaveParams(m_settings, m_settingsPath, m_prompts);
}

void frmMain::closeEvent(QCloseEvent *event) noexcept
{
    // Refused while a search runs, silently: the search goes on.
    if (Searching) {
        event->ignore();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        atEdge([this] { formUnload(); });
    }
    event->accept();
}

void frmMain::onFileExit() noexcept
{
    close();
}

void frmMain::onHelpContents() noexcept
{
    const QString path = m_helpFilePath;
    showHelpContents(m_helpViewer, this, m_prompts, [&path] { return path; });
}

void frmMain::onHelpAbout() noexcept
{
    showAboutBox(m_aboutBox, this);
}

// ---- outer height ----------------------------------------------------------

void frmMain::setOuterHeightTwips(int twips)
{
    m_outerHeight = twips / kTwipsPerPixel;
    fitOuterHeight();
}

int frmMain::frameInLayoutPixels(int frame, qreal programScale)
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

void frmMain::fitOuterHeight()
{
    // The title bar and borders are known only once the platform has framed
    // the window (never, offscreen or without a window manager); until then
    // the whole height goes to the menu bar and the client area, and the
    // show and move events that follow the framing fit it again.
    int frame = 0;
    if (isVisible()) {
        static const qreal programScale = [] {
            bool ok = false;
            const qreal factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
            return ok && factor > 0 ? factor : 1.0;
        }();
        frame = frameInLayoutPixels(frameGeometry().height() - geometry().height(), programScale);
    }
    const QSize fixed(kClientWidth, qMax(1, m_outerHeight - frame));
    if (minimumSize() != fixed || maximumSize() != fixed || size() != fixed)
        setFixedSize(fixed);
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    fitOuterHeight();
}

void frmMain::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitOuterHeight();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        fitOuterHeight();
}

// ---- keys, mouse, tips -----------------------------------------------------------

void frmMain::formKeyPress(int keyAscii)
{
    if (keyAscii != 27 || !Searching)
        return;
    if (m_prompts.askYesNo(u"確認"_s, u"検索処理を中止しますか？"_s) == Prompts::Answer::Yes)
        CancelRequested = true;
}

bool frmMain::isEscPropagation(QEvent *event, QWidget *receiver)
{
    // A key the focused control ignores climbs to its parents as the same
    // event object, passing the application's filters again each time.
    const quint64 timestamp = static_cast<QInputEvent *>(event)->timestamp();
    if (event == m_escEvent && timestamp == m_escTimestamp && m_escReceiver && receiver != m_escReceiver
        && receiver->isAncestorOf(m_escReceiver)) {
        m_escReceiver = receiver;
        return true;
    }
    m_escEvent = event;
    m_escTimestamp = timestamp;
    m_escReceiver = receiver;
    return false;
}

bool frmMain::eventFilter(QObject *watched, QEvent *event) noexcept
{
    bool handled = false;
    atEdge([&] { handled = filterEvent(watched, event); });
    return handled || QMainWindow::eventFilter(watched, event);
}

bool frmMain::filterEvent(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowBlocked:
        // A modal box opens over this window: the notices, the Esc question,
        // an error.
        if (watched == this && Searching) {
            m_boxOpenedDuringSearch = true;
            drawProgressNow();
        }
        break;
    case QEvent::FocusIn:
        if (Searching && m_yielding)
            noteFocusMove(watched, event);
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && watched->isWidgetType()) {
            auto *receiver = static_cast<QWidget *>(watched);
            // Only this window's controls; the key still reaches the control.
            if (receiver->window() == this && !isEscPropagation(event, receiver))
                formKeyPress(27);
        }
        break;
    case QEvent::MouseButtonRelease:
        popupHistoryMenu(watched, event);
        break;
    case QEvent::ToolTip:
        if (watched == lsvCandidate->viewport()) {
            auto *help = static_cast<QHelpEvent *>(event);
            showCandidateTip(help->pos(), help->globalPos());
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

void frmMain::showCandidateTip(const QPoint &viewportPos, const QPoint &globalPos)
{
    QTreeWidgetItem *item = lsvCandidate->itemAt(viewportPos);
    const QString kanji = item ? item->text(0) : QString();
    const QStringList letters = kanji.size() == 1 ? partnerLetters(m_dictionary, m_searchedLetters, kanji[0])
                                                  : QStringList();
    if (letters.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(globalPos, partnerWordsText(letters, m_words, kanji[0]), lsvCandidate->viewport(),
                       lsvCandidate->visualItemRect(item));
}
