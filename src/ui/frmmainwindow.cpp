#include "ui/frmmain.h"
#include "ui/formsteps.h"
#include "platform/datafile.h"
#include "dictionary/dictionary.h"
#include "platform/prompts.h"
#include "platform/runtimeerror.h"
#include "settings/basparam.h"
#include "ui/appicon.h"
#include "ui/controls.h"
#include "ui/flowerarrows.h"
#include "ui/fonts.h"
#include "ui/frmabout.h"
#include "ui/helpabout.h"
#include "ui/helpviewer.h"
#include "kanjipad/handwriting.h"
#include "picture/picturereader.h"
#include "authoring/kanjigrades.h"
#include "authoring/puzzlegraph.h"
#include "authoring/puzzlemaker.h"
#include "ui/makepuzzledialog.h"
#include "ui/puzzlecheckwindow.h"
#include "ui/letterbox.h"
#include "settings/parsecolor.h"
#include "search/partnerletters.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QShortcut>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>

using namespace Qt::StringLiterals;

static void initResources()
{
    Q_INIT_RESOURCE(tolvo);
}

frmMain::frmMain(Prompts &prompts, DictionaryStore &dictionary, SettingsStore &settings,
                 const QString &settingsPath, QWidget *parent)
    : QMainWindow(parent),
      m_prompts(prompts),
      m_dictionary(dictionary),
      m_settings(settings),
      m_settingsPath(settingsPath),
      m_files(defaultDataFiles())
{
    initResources();
    installFontSubstitutions();
    setObjectName(u"frmMain"_s);
    setWindowTitle(u"ヴェルモラ支援ソフト"_s);
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(gothic(9));
    // A picture of a puzzle, or its file, dropped anywhere on the window.
    setAcceptDrops(true);
    buildControls();
    buildMenus();
    setOuterHeightTwips(kHeightWithHistoryTwips);
    // Key preview: Esc is seen before whichever control has the focus.
    qApp->installEventFilter(this);
    edgePrompts() = &m_prompts;
}

DataFiles frmMain::defaultDataFiles()
{
    return {DataFilePath(u".words"_s), DataFilePath(u".hlp"_s), DataFilePath(u".kanji"_s),
            HandwritingRecognizer::defaultModelPath(), DataFilePath(u".strokes"_s), QString(),
            DataFilePath(u".grades"_s)};
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
    if (edgePrompts() == &m_prompts)
        edgePrompts() = nullptr;
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
    for (int i = 0; i < kLetterBoxCount; ++i) {
        connect(txtLetter[i], &LetterBox::lettersEntered, this, [this, i](const QString &letters, bool wholePuzzle) {
            atEdge([&] { placeEnteredLetters(i, letters, wholePuzzle); });
        });
        connect(txtLetter[i], &LetterBox::pictureOffered, this, [this] { atEdge([this] { pasteClipboardPicture(); }); });
    }

    lblAnswer = new QLabel(picMain);
    lblAnswer->setObjectName(u"lblAnswer"_s);
    place(lblAnswer, 1080, 1080, 495, 495);
    lblAnswer->setFont(gothic(24));
    lblAnswer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette answerPalette = lblAnswer->palette();
    answerPalette.setColor(QPalette::WindowText, answerPalette.color(QPalette::Highlight));
    lblAnswer->setPalette(answerPalette);

    flowerArrows = new FlowerArrows(txtLetter, lblAnswer, picMain);
    flowerArrows->setObjectName(u"flowerArrows"_s);

    lblCandidate = new QLabel(u"候補一覧リスト："_s, client);
    lblCandidate->setObjectName(u"lblCandidate"_s);
    place(lblCandidate, 3000, 120, 2055, 255);

    lsvCandidate = makeListView(client, u"lsvCandidate"_s, {u"漢字"_s, u"ヒット数"_s}, 900, 825);
    // A row reached with the keyboard shows the tip the mouse would.
    connect(lsvCandidate, &QTreeWidget::currentItemChanged, this,
            [this] { atEdge([&] { showCurrentCandidateTip(); }); });
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

    picBack = makePictureHolder(client, u"picBack"_s, u":/images/back.bmp"_s, 1680);
    picBackMask = makePictureHolder(client, u"picBackMask"_s, u":/images/backmask.bmp"_s, 3480);
    addEtchedRule(client);

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
    mnuEditBar1 = named(mnuEdit->addSeparator(), u"mnuEditBar1"_s);
    // Ctrl+N: a new puzzle, and a key no letter box uses for itself.
    mnuEditClearLetters = named(mnuEdit->addAction(u"文字を消去(&N)"_s), u"mnuEditClearLetters"_s);
    mnuEditClearLetters->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuEditClearArrows = named(mnuEdit->addAction(u"矢印をすべて消す(&D)"_s), u"mnuEditClearArrows"_s);
    mnuEditBar2 = named(mnuEdit->addSeparator(), u"mnuEditBar2"_s);
    mnuEditKanjiPad = named(mnuEdit->addAction(u"漢字パッド(&K)..."_s), u"mnuEditKanjiPad"_s);
    mnuEditKanjiPad->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    mnuEditReadPicture = named(mnuEdit->addAction(u"画像から読み込む(&I)..."_s), u"mnuEditReadPicture"_s);
    mnuEditBar3 = named(mnuEdit->addSeparator(), u"mnuEditBar3"_s);
    mnuEditCheckPuzzle = named(mnuEdit->addAction(u"問題を確かめる(&C)"_s), u"mnuEditCheckPuzzle"_s);
    mnuEditMakePuzzle = named(mnuEdit->addAction(u"問題を作る(&M)..."_s), u"mnuEditMakePuzzle"_s);
    // Offered in every letter box's context menu as well.
    for (LetterBox *box : txtLetter)
        box->addActions({mnuEditClearArrows, mnuEditKanjiPad});

    mnuHelp = named(menuBar()->addMenu(u"ヘルプ(&H)"_s), u"mnuHelp"_s);
    mnuHelpContents = named(mnuHelp->addAction(u"トピックの検索(&S)..."_s), u"mnuHelpContents"_s);
    mnuHelpBar1 = named(mnuHelp->addSeparator(), u"mnuHelpBar1"_s);
    mnuHelpAbout = named(mnuHelp->addAction(u"バージョン情報(&A)..."_s), u"mnuHelpAbout"_s);
    // Ctrl+V with a picture on the clipboard, wherever the focus is; a letter
    // box takes the key itself and hands a picture over (pictureOffered).
    auto *pasteKey = new QShortcut(QKeySequence::Paste, this);
    connect(pasteKey, &QShortcut::activated, this, [this] { atEdge([this] { pasteClipboardPicture(); }); });
    // F1 as well, without showing it in the menu, whose item reads as it always did.
    auto *helpKey = new QShortcut(QKeySequence::HelpContents, this);
    helpKey->setObjectName(u"helpKey"_s);

    // Never on the menu bar: opened only over the history list.
    mnuPopup = named(new QMenu(u"A"_s, this), u"mnuPopup"_s);
    mnuPopup->menuAction()->setVisible(false);
    mnuPopupGetString = named(mnuPopup->addAction(u"読み込み"_s), u"mnuPopupGetString"_s);

    connect(mnuFileExit, &QAction::triggered, this, &frmMain::onFileExit);
    connect(mnuEditFind, &QAction::triggered, this, &frmMain::onEditFind);
    // The action has already turned its mark over: the new state is the mark.
    connect(mnuEditHistory, &QAction::triggered, this,
            [this](bool shown) { atEdge([&] { applyHistoryPanel(shown); }); });
    connect(mnuEditClearArrows, &QAction::triggered, this, &frmMain::onEditClearArrows);
    connect(mnuEditClearLetters, &QAction::triggered, this, &frmMain::onEditClearLetters);
    connect(mnuEditKanjiPad, &QAction::triggered, this, &frmMain::onEditKanjiPad);
    connect(mnuEditReadPicture, &QAction::triggered, this, &frmMain::onEditReadPicture);
    connect(mnuEditCheckPuzzle, &QAction::triggered, this, &frmMain::onEditCheckPuzzle);
    connect(mnuEditMakePuzzle, &QAction::triggered, this, &frmMain::onEditMakePuzzle);
    connect(mnuHelpContents, &QAction::triggered, this, &frmMain::onHelpContents);
    connect(helpKey, &QShortcut::activated, this, &frmMain::onHelpContents);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::onHelpAbout);
    connect(mnuPopupGetString, &QAction::triggered, this, &frmMain::onPopupGetString);
}

void frmMain::setVisible(bool visible) noexcept
{
    if (visible && !m_loaded) {
        m_loaded = true;
        atEdge([this] { formLoad(); });
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
    attempt([&] { restoreLatestLetters(); });
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
    // A failure there must not cost the history: the save comes all the same.
    atEdge([this] {
        const QList<QPointer<QWidget>> others = otherForms(this);
        for (qsizetype n = others.size() - 1; n >= 0; --n) {
            if (others[n])
                others[n]->close();
        }
    });
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
    atEdge([this] { close(); });
}

void frmMain::onHelpContents() noexcept
{
    atEdge([this] {
        const QString path = m_files.help;
        showHelpContents(m_helpViewer, this, m_prompts, [&path] { return path; });
    });
}

void frmMain::onHelpAbout() noexcept
{
    atEdge([this] { showAboutBox(m_aboutBox, this); });
}

// ---- outer height ----------------------------------------------------------

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    atEdge([this] { fitOuterHeight(); });
}

void frmMain::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    atEdge([this] { fitOuterHeight(); });
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        atEdge([this] { fitOuterHeight(); });
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
        if (const auto box = std::find(txtLetter.begin(), txtLetter.end(), watched); box != txtLetter.end())
            setPadBox(int(box - txtLetter.begin()));
        // Once the focus has moved: a tip shown while it moves is hidden again
        // by the focus events still on their way.
        if (watched == lsvCandidate && static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason)
            QMetaObject::invokeMethod(this, [this] { atEdge([this] { showCurrentCandidateTip(); }); },
                                      Qt::QueuedConnection);
        break;
    case QEvent::KeyPress:
        if (watched == lsvHistory && historyKeyPress(watched, static_cast<QKeyEvent *>(event)))
            return true;
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
    case QEvent::Show:
    case QEvent::Hide:
        padShownOrHidden(watched, event->type() == QEvent::Show);
        break;
    case QEvent::ShortcutOverride:
        // Enter and the menu keys belong to the history list while it has the focus.
        if (watched == lsvHistory && historyKeyPress(watched, static_cast<QKeyEvent *>(event))) {
            event->accept();
            return true;
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
    const QList<ArrowedLetter> letters =
        kanji.size() == 1 ? partnerLetters(m_dictionary, m_searchedLetters, kanji[0], m_words) : QList<ArrowedLetter>();
    if (letters.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(globalPos, partnerWordsText(letters, m_words, kanji[0]), lsvCandidate->viewport(),
                       lsvCandidate->visualItemRect(item));
}

void frmMain::showCurrentCandidateTip()
{
    QTreeWidgetItem *item = lsvCandidate->currentItem();
    if (!item || !lsvCandidate->hasFocus() || Searching)
        return;
    const QPoint at = lsvCandidate->visualItemRect(item).center();
    showCandidateTip(at, lsvCandidate->viewport()->mapToGlobal(at));
}
