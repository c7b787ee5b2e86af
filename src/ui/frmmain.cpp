#include "ui/frmmain.h"
#include "dictionary/dictionary.h"
#include "platform/prompts.h"
#include "platform/runtimeerror.h"
#include "platform/windowsfonts.h"
#include "settings/basparam.h"
#include "ui/appicon.h"
#include "ui/fonts.h"
#include "ui/helpabout.h"
#include "ui/letterbox.h"
#include "app/parsecolor.h"
#include "search/partnerletters.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScopeGuard>
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

// A step of the load sequence: a failure ends the step, silently.
template <typename Step>
void attempt(Step &&step)
{
    try {
        step();
    } catch (const RuntimeError &) {
    }
}

// The edge of a handler that Qt calls. Our own errors stop here: the step
// that raised one has reported what it must. Anything else is a fault we
// cannot recover from; the caller being noexcept, it ends the program at
// once rather than unwinding through Qt.
template <typename Body>
void atEdge(Body &&body)
{
    try {
        body();
    } catch (const RuntimeError &) {
    }
}

} // namespace

// The window's side of the search: progress, yielding, cancellation.
class MainSearchHooks : public SearchHooks
{
public:
    explicit MainSearchHooks(frmMain &window) : w(window) {}
    ~MainSearchHooks() override { w.pbrStatus->setUpdatesEnabled(true); }

    QString letterText(int box) override
    {
        const QString text = w.txtLetter[box]->text();
        if (!text.isEmpty())
            letters.append(text);
        return text;
    }
    void boxStarted(int) override { setStatus(0); }
    void lineTick(int box, qint32 line) override
    {
        setStatus(w.pbrStatus->value() + 50);
        emit w.lineTicked(box, line);
        w.m_yielding = true;
        const auto resume = qScopeGuard([this] { w.m_yielding = false; });
        w.yieldToEvents();
    }
    void letterStep() override { w.pbrLetter->setValue(w.pbrLetter->value() + 1); }
    const bool *cancelFlag() const override { return &w.CancelRequested; }

    QStringList letters;

private:
    // Drawing the bar at every tick would cost more than the scan itself:
    // its value follows every tick, its picture at most one frame's worth.
    void setStatus(int value)
    {
        const bool draw = !m_frame.isValid() || m_frame.hasExpired(kFrameMs);
        w.pbrStatus->setUpdatesEnabled(draw);
        w.pbrStatus->setValue(value);
        if (draw)
            m_frame.restart();
    }

    static constexpr qint64 kFrameMs = 16;
    frmMain &w;
    QElapsedTimer m_frame;
};

frmMain::frmMain(Prompts &prompts, DictionaryStore &dictionary, SettingsStore &settings,
                 const QString &settingsPath, QWidget *parent)
    : QMainWindow(parent),
      m_prompts(prompts),
      m_dictionary(dictionary),
      m_settings(settings),
      m_settingsPath(settingsPath)
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

    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(mnuEditFind, &QAction::triggered, this, &frmMain::mnuEditFind_Click);
    // The action has already turned its mark over: the new state is the mark.
    connect(mnuEditHistory, &QAction::triggered, this, [this](bool shown) { applyHistoryPanel(shown); });
    connect(mnuHelpContents, &QAction::triggered, this, &frmMain::onHelpContents);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::onHelpAbout);
    connect(mnuPopupGetString, &QAction::triggered, this, &frmMain::mnuPopupGetString_Click);
}

void frmMain::setVisible(bool visible) noexcept
{
    if (visible && !m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    QMainWindow::setVisible(visible);
}

void frmMain::Form_Load()
{
    attempt([&] {
        picMain->bitBlt(QPoint(16, 6), *picBackMask, picBackMask->size(),
                        QPainter::RasterOp_SourceAndDestination);
    });
    attempt([&] {
        picMain->bitBlt(QPoint(16, 6), *picBack, picBack->size(), QPainter::RasterOp_SourceOrDestination);
    });
    attempt([&] {
        const QString letters = toText(m_settings.get(u"HistString"_s, 1));
        // Characters after the sixth find no box.
        for (int i = 0; i < letters.size() && i < kLetterBoxCount; ++i)
            txtLetter[i]->setText(letters.mid(i, 1));
    });
    for (LetterBox *box : txtLetter) {
        attempt([&] {
            QFont f = box->font();
            f.setFamily(toText(m_settings.get(u"FontName"_s, 0)));
            box->setFont(f);
        });
        attempt([&] {
            const qint32 points = toInt32(m_settings.get(u"FontSize"_s, 0));
            if (points > 0) {
                QFont f = box->font();
                f.setPointSize(points);
                box->setFont(f);
            }
        });
        attempt([&] {
            const quint32 rgb = ParseColor(toText(m_settings.get(u"FontColor"_s, 0)));
            box->setTextColor(QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
        });
    }
    attempt([&] { RefreshHistoryList(); });
    attempt([&] { mnuEditHistory->setChecked(!toBoolean(m_settings.get(u"History"_s, 0))); });
    attempt([&] { mnuEditHistory->trigger(); });
}

void frmMain::Form_Unload()
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
    m_settings.save(m_settingsPath, m_prompts);
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
        atEdge([this] { Form_Unload(); });
    }
    event->accept();
}

void frmMain::mnuFileExit_Click() noexcept
{
    close();
}

void frmMain::onHelpContents() noexcept
{
    ShowHelpContents(this);
}

void frmMain::onHelpAbout() noexcept
{
    ShowAboutBox(this);
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

// ---- history panel -----------------------------------------------------------

void frmMain::applyHistoryPanel(bool shown)
{
    attempt([&] {
        setOuterHeightTwips(shown ? kHeightWithHistoryTwips : kHeightWithoutHistoryTwips);
        lblHistory->setVisible(shown);
        lsvHistory->setVisible(shown);
        mnuEditHistory->setChecked(shown);
        m_settings.set(u"History"_s, 0, shown);
    });
}

void frmMain::RefreshHistoryList()
{
    lsvHistory->clear();
    lsvHistory->hide();
    // Slots past those the store holds are free; a capacity of two billion
    // read from a hand-edited file must not mean two billion lookups.
    const qsizetype n = qMin<qsizetype>(toInt32(m_settings.get(u"HistNum"_s, 0)), m_settings.slotCount());
    for (qint32 i = 1; i <= n; ++i) {
        const QString letters = toText(m_settings.get(u"HistString"_s, i));
        if (!letters.isEmpty())
            new QTreeWidgetItem(lsvHistory, {letters, toText(m_settings.get(u"RestString"_s, i))});
    }
    lsvHistory->setVisible(mnuEditHistory->isChecked());
}

void frmMain::mnuPopupGetString_Click() noexcept
{
    const QList<QTreeWidgetItem *> selected = lsvHistory->selectedItems();
    if (selected.isEmpty())
        return;
    const QString letters = selected.first()->text(0);
    for (int i = 0; i < kLetterBoxCount; ++i)
        txtLetter[i]->setText(letters.mid(i, 1));
    lblAnswer->clear();
    lsvCandidate->clear();
}

// ---- search ------------------------------------------------------------------

void frmMain::mnuEditFind_Click() noexcept
{
    if (Searching)
        return;
    Searching = true;
    CancelRequested = false;
    m_boxOpenedDuringSearch = false;
    // The window's own focus widget: it stays the same while a message box
    // or another program has the keyboard.
    const QPointer<QWidget> focused = focusWidget();
    for (LetterBox *box : txtLetter)
        box->setEnabled(false);
    // Disabling the boxes moved the focus on, and the search may move it
    // again; it goes back at the end unless the user moved it meanwhile.
    m_focusMovedByUser = false;

    const auto finish = qScopeGuard([&] {
        lsvCandidate->setVisible(true);
        pbrLetter->hide();
        pbrStatus->hide();
        for (LetterBox *box : txtLetter)
            box->setEnabled(true);
        Searching = false;
        // Set on an inactive window too: the box then gets the focus, and
        // selects its text, when the window is active again.
        if (focused && !m_focusMovedByUser && focused->isEnabled() && focused->isVisible())
            focused->setFocus(Qt::OtherFocusReason);
        // Not every window manager gives the keyboard back to the window
        // a closed message box belonged to.
        if (m_boxOpenedDuringSearch && isVisible() && !isActiveWindow() && !QApplication::activeModalWidget())
            activateWindow();
    });
    try {
        runSearch();
    } catch (const RuntimeError &e) {
        reportSearchFailure(e.number(), e.description());
    } catch (const std::exception &) {
        reportSearchFailure(0, u"予期しないエラーが発生しました。"_s);
    }
}

void frmMain::runSearch()
{
    const qint32 lineCount = toInt32(basMain::GetDictionaryValue(m_dictionary, u"DicNum"_s, 0));
    pbrLetter->setMaximum(kLetterBoxCount + 1);
    pbrLetter->setValue(0);
    pbrStatus->setMaximum(lineCount);
    pbrStatus->setValue(0);
    pbrLetter->show();
    pbrStatus->show();

    MainSearchHooks hooks(*this);
    const SearchResult result = m_engine.run(m_dictionary, hooks);

    if (result.cancelled) {
        m_prompts.message(u"確認"_s, u"検索処理を中止しました。"_s, Prompts::Icon::Information);
        lblAnswer->clear();
        lsvCandidate->clear();
        lsvCandidate->setEnabled(false);
        return;
    }

    m_searchedLetters = hooks.letters;
    if (result.hasAnswer())
        lblAnswer->setText(result.answer());
    lsvCandidate->clear();
    if (!result.hasAnswer()) {
        m_prompts.message(u"確認"_s, u"該当する単語が見つかりませんでした。"_s, Prompts::Icon::Information);
        lblAnswer->clear();
    }

    // Filled while hidden, so that it is not redrawn for every row.
    lsvCandidate->hide();
    QList<QTreeWidgetItem *> rows;
    const qint32 threshold = result.threshold();
    for (const Candidate &c : result.candidates) {
        if (c.hits >= threshold)
            rows.append(new QTreeWidgetItem(QStringList{QString(c.kanji), QString::number(c.hits)}));
    }
    lsvCandidate->addTopLevelItems(rows);
    lsvCandidate->show();
    if (!rows.isEmpty()) {
        lsvCandidate->setCurrentItem(rows.first());
        lsvCandidate->setEnabled(true);
    } else {
        lsvCandidate->setEnabled(false);
    }

    QStringList boxTexts;
    for (LetterBox *box : txtLetter)
        boxTexts.append(box->text());
    // A history of capacity 0 (set so in the settings file) keeps nothing;
    // the search itself has still completed.
    if (m_settings.histNum() > 0)
        m_settings.set(u"HistString"_s, 0, HistoryEntryText(boxTexts, lblAnswer->text()));
    RefreshHistoryList();
}

void frmMain::yieldToEvents()
{
    QCoreApplication::processEvents();
}

void frmMain::drawProgressNow()
{
    // The status bar's drawing is throttled during the scan; a modal box
    // runs its own event loop over a window whose bars must show where the
    // search stands.
    pbrStatus->setUpdatesEnabled(true);
    pbrLetter->repaint();
    pbrStatus->repaint();
}

void frmMain::noteFocusMove(QObject *watched, QEvent *event)
{
    // Only the user moves the focus while the search yields; activation
    // coming back after a message box is no choice of theirs.
    switch (static_cast<QFocusEvent *>(event)->reason()) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this)
            m_focusMovedByUser = true;
        break;
    default:
        break;
    }
}

void frmMain::reportSearchFailure(int number, const QString &description)
{
    m_prompts.message(u"エラー"_s,
                      u"検索処理中にエラーが発生しました。\r\nErrorNo: "_s + QString::number(number) + u"\r\n"_s
                          + description,
                      Prompts::Icon::Error);
}

// ---- keys, mouse, tips -----------------------------------------------------------

void frmMain::Form_KeyPress(int keyAscii)
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
                Form_KeyPress(27);
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == lsvHistory->viewport()) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::RightButton)
                mnuPopup->popup(mouse->globalPosition().toPoint());
        }
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
    const QStringList letters = kanji.size() == 1 ? PartnerLetters(m_dictionary, m_searchedLetters, kanji[0])
                                                  : QStringList();
    if (letters.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(globalPos, PartnerWordsText(letters, m_words, kanji[0]), lsvCandidate->viewport(),
                       lsvCandidate->visualItemRect(item));
}
