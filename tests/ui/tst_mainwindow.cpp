// The main window as laid out, its load sequence and its history panel.
#include "mainwindowfixture.h"

#include <QSignalSpy>
#include "ui/controls.h"
#include "ui/letterbox.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QHeaderView>
#include <QComboBox>
#include <QDialog>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>

namespace {

constexpr int kShownHeight = 5370 / 15;
constexpr int kHiddenHeight = 3810 / 15;

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pictureIn_data();
    void pictureIn();
    void frameInLayoutPixels_data();
    void frameInLayoutPixels();

    // Layout
    void controls_data();
    void controls();
    void windowProperties();
    void captionsAndColumns();
    void menus();
    void tabOrder();
    void backgroundArtwork();
    void maskedBackground();

    // Load sequence
    void lettersOfNewestEntry_data();
    void lettersOfNewestEntry();
    void letterBoxAppearance_data();
    void letterBoxAppearance();

    // History panel
    void panelFollowsSetting_data();
    void panelFollowsSetting();
    void panelToggleTwiceRestores();
    void rowsSkipFreeSlots();
    void popupOnRightRelease_data();
    void popupOnRightRelease();
    void loadSelectedRow_data();
    void loadSelectedRow();
    void loadWithoutSelection();
    void historyKeys_data();
    void historyKeys();
    void clearLetters();

    // Puzzles made and checked
    void madeThenSearched();

private:
    std::unique_ptr<MainWindowFixture> f;
};

void TestMainWindow::init()
{
    f = std::make_unique<MainWindowFixture>();
    QVERIFY(f->loadDictionary(workedExampleLines()));
}

void TestMainWindow::cleanup()
{
    f.reset();
}

void TestMainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("visible");
    const auto row = [](const char *name, const char *kind, const char *container, QRect r, bool visible) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind)
                            << QString::fromLatin1(container) << r << visible;
    };
    row("picMain", "PictureBox", "client", {8, 8, 185, 169}, true);
    row("txtLetter_0", "LetterBox", "picMain", {72, 20, 33, 33}, true);
    row("txtLetter_1", "LetterBox", "picMain", {117, 46, 33, 33}, true);
    row("txtLetter_2", "LetterBox", "picMain", {117, 98, 33, 33}, true);
    row("txtLetter_3", "LetterBox", "picMain", {72, 124, 33, 33}, true);
    row("txtLetter_4", "LetterBox", "picMain", {27, 98, 33, 33}, true);
    row("txtLetter_5", "LetterBox", "picMain", {27, 46, 33, 33}, true);
    row("lblAnswer", "QLabel", "picMain", {72, 72, 33, 33}, true);
    row("lblCandidate", "QLabel", "client", {200, 8, 137, 17}, true);
    row("lsvCandidate", "QTreeWidget", "client", {200, 24, 137, 161}, true);
    row("lblHistory", "QLabel", "client", {16, 184, 161, 17}, true);
    row("lsvHistory", "QTreeWidget", "client", {8, 200, 329, 97}, true);
    row("pbrLetter", "QProgressBar", "client", {0, 296, 343, 9}, false);
    row("pbrStatus", "QProgressBar", "client", {0, 305, 343, 9}, false);
    row("picBack", "PictureBox", "client", {112, 304, 150, 169}, false);
    row("picBackMask", "PictureBox", "client", {232, 304, 150, 169}, false);
    row("Line1_0", "QWidget", "client", {0, 0, 376, 1}, true);
    row("Line1_1", "QWidget", "client", {0, 1, 376, 2}, true);
}

void TestMainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(bool, visible);
    frmMain &w = f->open();
    QWidget *control = f->find(name);
    QVERIFY(control);
    QVERIFY2(control->inherits(kind.toLatin1().constData()), control->metaObject()->className());
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->isVisibleTo(&w), visible);
}

void TestMainWindow::windowProperties()
{
    frmMain &w = f->open();
    QCOMPARE(w.windowTitle(), u"ヴェルモラ支援ソフト"_s);
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.width(), frmMain::kClientWidth);
    QCOMPARE(w.centralWidget()->width(), 343);
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(32, 32)));

    // 24-point letters and answer in the Gothic face; the answer in the highlight colour.
    for (int i = 0; i < 6; ++i)
        QCOMPARE(QFontInfo(f->box(i)->font()).pointSize(), 24);
    QCOMPARE(f->answer()->text(), QString());
    QCOMPARE(f->answer()->font().pointSize(), 24);
    QCOMPARE(f->answer()->palette().color(QPalette::WindowText), w.palette().color(QPalette::Highlight));
    QVERIFY(!f->answer()->autoFillBackground());
    QCOMPARE(f->box(0)->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(f->box(0)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QCOMPARE(f->box(0)->maxLength(), 1);
}

void TestMainWindow::captionsAndColumns()
{
    f->open();
    QCOMPARE(f->find<QLabel>(u"lblCandidate"_s)->text(), u"候補一覧リスト："_s);
    QCOMPARE(f->find<QLabel>(u"lblHistory"_s)->text(), u"履歴：（右クリックで読み込み）"_s);

    const struct {
        QTreeWidget *view;
        QString first, second;
        int firstWidth, secondWidth;
    } lists[] = {{f->candidates(), u"漢字"_s, u"ヒット数"_s, 60, 55},
                 {f->history(), u"検索文字"_s, u"検索結果"_s, 224, 84}};
    for (const auto &l : lists) {
        QCOMPARE(l.view->columnCount(), 2);
        QCOMPARE(l.view->headerItem()->text(0), l.first);
        QCOMPARE(l.view->headerItem()->text(1), l.second);
        QCOMPARE(l.view->header()->sectionSize(0), l.firstWidth);
        QCOMPARE(l.view->header()->sectionSize(1), l.secondWidth);
        QVERIFY(!l.view->rootIsDecorated());
        QVERIFY(!l.view->isSortingEnabled());
        QCOMPARE(l.view->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(l.view->selectionBehavior(), QAbstractItemView::SelectRows);
    }
    QCOMPARE(f->candidates()->topLevelItemCount(), 0);
}

void TestMainWindow::menus()
{
    frmMain &w = f->open();
    const QList<QAction *> bar = w.menuBar()->actions();
    QCOMPARE(bar.size(), 3);
    QCOMPARE(bar[0]->text(), u"ファイル(&F)"_s);
    QCOMPARE(bar[1]->text(), u"編集(&E)"_s);
    QCOMPARE(bar[2]->text(), u"ヘルプ(&H)"_s);

    const auto items = [&](const QString &menu) {
        QStringList out;
        for (QAction *a : f->find<QMenu>(menu)->actions())
            out.append(a->objectName() + u'|' + (a->isSeparator() ? u"-"_s : a->text()) + u'|'
                       + a->shortcut().toString(QKeySequence::PortableText));
        return out;
    };
    QCOMPARE(items(u"mnuFile"_s), QStringList{u"mnuFileExit|終了(&X)|"_s});
    QCOMPARE(items(u"mnuEdit"_s), (QStringList{u"mnuEditFind|検索(&F)|Ctrl+F"_s, u"mnuEditHistory|履歴(&H)|Ctrl+H"_s,
                                               u"mnuEditBar1|-|"_s, u"mnuEditClearLetters|文字を消去(&N)|Ctrl+N"_s,
                                               u"mnuEditClearArrows|矢印をすべて消す(&D)|"_s, u"mnuEditBar2|-|"_s,
                                               u"mnuEditKanjiPad|漢字パッド(&K)...|Ctrl+K"_s,
                                               u"mnuEditReadPicture|画像から読み込む(&I)...|"_s, u"mnuEditBar3|-|"_s,
                                               u"mnuEditCheckPuzzle|問題を確かめる(&C)|"_s,
                                               u"mnuEditMakePuzzle|問題を作る(&M)...|"_s}));
    QCOMPARE(items(u"mnuHelp"_s), (QStringList{u"mnuHelpContents|トピックの検索(&S)...|"_s,
                                               u"mnuHelpBar1|-|"_s, u"mnuHelpAbout|バージョン情報(&A)...|"_s}));
    QVERIFY(f->action(u"mnuEditHistory"_s)->isChecked());

    auto *popup = f->find<QMenu>(u"mnuPopup"_s);
    QVERIFY(popup);
    QCOMPARE(popup->title(), u"A"_s);
    QVERIFY(!popup->isVisible());
    QVERIFY(!bar.contains(popup->menuAction()));
    QCOMPARE(items(u"mnuPopup"_s), QStringList{u"mnuPopupGetString|読み込み|"_s});
}

void TestMainWindow::tabOrder()
{
    f->open(true);
    f->box(0)->setFocus();
    QTRY_VERIFY(f->box(0)->hasFocus());
    QStringList order;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(order, (QStringList{u"txtLetter_1"_s, u"txtLetter_2"_s, u"txtLetter_3"_s, u"txtLetter_4"_s,
                                 u"txtLetter_5"_s, u"lsvCandidate"_s, u"lsvHistory"_s, u"txtLetter_0"_s}));
}

void TestMainWindow::backgroundArtwork()
{
    f->open();
    const QImage picture = f->find<PictureBox>(u"picBack"_s)->surface();
    const QImage mask = f->find<PictureBox>(u"picBackMask"_s)->surface();
    for (const QImage &img : {picture, mask}) {
        QCOMPARE(img.size(), QSize(146, 165));
        QCOMPARE(img.depth(), 1);
    }
    // Palette entry 0 and 1 as the files hold them (a reader may reorder them).
    const auto palette = [](const QString &resource) {
        QFile file(resource);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return file.readAll().mid(54, 8);
    };
    QCOMPARE(palette(u":/images/back.bmp"_s), QByteArray("\x01\x01\x01\x00\xff\xff\xff\x00", 8));
    QCOMPARE(palette(u":/images/backmask.bmp"_s), QByteArray("\x00\x00\x00\x00\xff\xff\xff\x00", 8));
    QCOMPARE(f->find<PictureBox>(u"picBack"_s)->contentsRect().size(), QSize(146, 165));

    // The mask is the picture's silhouette: white picture pixels all lie inside it.
    qint64 sx = 0, sy = 0, n = 0;
    for (int y = 0; y < 165; ++y) {
        for (int x = 0; x < 146; ++x) {
            const bool inside = mask.pixel(x, y) == qRgb(0, 0, 0);
            QVERIFY(inside || mask.pixel(x, y) == qRgb(255, 255, 255));
            if (picture.pixel(x, y) == qRgb(255, 255, 255))
                QVERIFY(inside);
            if (inside) {
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    // Drawn at (16, 6), the shape is centred on the answer label and has a
    // petal behind every letter box.
    const QPointF centre(16 + double(sx) / n + 0.5, 6 + double(sy) / n + 0.5);
    const QPointF answerCentre = QRectF(f->answer()->geometry()).center();
    QVERIFY2(qAbs(centre.x() - answerCentre.x()) <= 1 && qAbs(centre.y() - answerCentre.y()) <= 1,
             qPrintable(u"%1,%2"_s.arg(centre.x()).arg(centre.y())));
    for (int i = 0; i < 6; ++i) {
        const QRect box = f->box(i)->geometry().translated(-16, -6);
        for (const QPoint corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()})
            QCOMPARE(mask.pixel(corner), qRgb(0, 0, 0));
    }
}

void TestMainWindow::maskedBackground()
{
    f->open();
    const QImage surface = f->find<PictureBox>(u"picMain"_s)->surface();
    const QImage picture = f->find<PictureBox>(u"picBack"_s)->surface().convertToFormat(QImage::Format_RGB32);
    const QImage mask = f->find<PictureBox>(u"picBackMask"_s)->surface().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(surface.size(), QSize(185, 169));
    const QRgb back = surface.pixel(0, 0);
    // AND with the mask, then OR with the picture, at (16, 6).
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const QPoint at(x - 16, y - 6);
            QRgb expected = back;
            if (picture.rect().contains(at))
                expected = (back & mask.pixel(at)) | picture.pixel(at);
            if (surface.pixel(x, y) != expected)
                QFAIL(qPrintable(u"pixel %1,%2"_s.arg(x).arg(y)));
        }
    }
    // The hexagon's white shows behind the answer, the background around the shape.
    QCOMPARE(surface.pixel(QRectF(f->answer()->geometry()).center().toPoint()), qRgb(255, 255, 255));
    QCOMPARE(surface.pixel(2, 2), back);
}

void TestMainWindow::lettersOfNewestEntry_data()
{
    QTest::addColumn<QString>("entry");     // handed to the store; empty: none
    QTest::addColumn<int>("capacity");      // -1: as loaded
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("default entry") << QString() << -1
                                   << QStringList{u"続"_s, u"家"_s, u"版"_s, u"露"_s, u"身"_s, u"発"_s};
    QTest::newRow("three letters") << u"春夏秋,冬"_s << -1
                                   << QStringList{u"春"_s, u"夏"_s, u"秋"_s, u"露"_s, u"身"_s, u"発"_s};
    QTest::newRow("eight letters") << u"一二三四五六七八,九"_s << -1
                                   << QStringList{u"一"_s, u"二"_s, u"三"_s, u"四"_s, u"五"_s, u"六"_s};
    QTest::newRow("slot 1 empty") << u","_s << -1
                                  << QStringList{u"続"_s, u"家"_s, u"版"_s, u"露"_s, u"身"_s, u"発"_s};
    QTest::newRow("capacity 0") << u"春夏秋,冬"_s << 0
                                << QStringList{u"続"_s, u"家"_s, u"版"_s, u"露"_s, u"身"_s, u"発"_s};
}

void TestMainWindow::lettersOfNewestEntry()
{
    QFETCH(QString, entry);
    QFETCH(int, capacity);
    QFETCH(QStringList, boxes);
    if (!entry.isEmpty())
        basParam::SetParam(f->settings, u"HistString"_s, 0, entry);
    if (capacity >= 0)
        basParam::SetParam(f->settings, u"HistNum"_s, 0, capacity);
    frmMain &w = f->open();
    QCOMPARE(f->boxTexts(), boxes);
    // A failing step ends only itself: the rest of the sequence still ran.
    QCOMPARE(w.outerHeight(), kShownHeight);
    QVERIFY(f->history()->isVisible());
}

void TestMainWindow::letterBoxAppearance_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QColor>("color");      // invalid: as designed
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("face");
    const QString designedFace = u"ＭＳ Ｐゴシック"_s;
    QTest::newRow("defaults: black 24") << QStringList() << QColor(0, 0, 0) << 24 << designedFace;
    QTest::newRow("red") << QStringList{u"FontColor=255000000"_s} << QColor(255, 0, 0) << 24 << designedFace;
    QTest::newRow("mixed") << QStringList{u"FontColor=000128255"_s} << QColor(0, 128, 255) << 24 << designedFace;
    QTest::newRow("bad colour keeps design, font applied")
        << QStringList{u"FontColor=abc000000"_s, u"FontSize=12"_s} << QColor() << 12 << designedFace;
    QTest::newRow("size from file") << QStringList{u"FontSize=30"_s} << QColor(0, 0, 0) << 30 << designedFace;
    QTest::newRow("face from file") << QStringList{u"FontName=ＭＳ ゴシック"_s} << QColor(0, 0, 0) << 24
                                    << u"ＭＳ ゴシック"_s;
}

void TestMainWindow::letterBoxAppearance()
{
    QFETCH(QStringList, settings);
    QFETCH(QColor, color);
    QFETCH(int, points);
    QFETCH(QString, face);
    f->loadSettings(settings);
    const QColor designed = LetterBox().palette().color(QPalette::Active, QPalette::Text);
    f->open();
    for (int i = 0; i < 6; ++i) {
        const QPalette pal = f->box(i)->palette();
        QCOMPARE(pal.color(QPalette::Active, QPalette::Text), color.isValid() ? color : designed);
        QCOMPARE(f->box(i)->font().pointSize(), points);
        QCOMPARE(f->box(i)->font().family(), face);
    }
}

void TestMainWindow::panelFollowsSetting_data()
{
    QTest::addColumn<bool>("history");
    QTest::newRow("shown") << true;
    QTest::newRow("hidden") << false;
}

void TestMainWindow::panelFollowsSetting()
{
    QFETCH(bool, history);
    basParam::SetParam(f->settings, u"History"_s, 0, history);
    frmMain &w = f->open();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QAction *toggle = f->action(u"mnuEditHistory"_s);

    for (bool shown : {history, !history}) {
        QCOMPARE(toggle->isChecked(), shown);
        QCOMPARE(f->history()->isVisible(), shown);
        QCOMPARE(f->find(u"lblHistory"_s)->isVisible(), shown);
        QCOMPARE(w.frameGeometry().height(), shown ? kShownHeight : kHiddenHeight);
        QCOMPARE(toBoolean(basParam::GetParam(f->settings, u"History"_s, 0)), shown);
        toggle->trigger();
    }
    // Short, the window shows no progress bars: they lie below its client area.
    if (toggle->isChecked())
        toggle->trigger();
    QVERIFY(w.centralWidget()->height() <= f->find(u"pbrLetter"_s)->y());
}

void TestMainWindow::panelToggleTwiceRestores()
{
    frmMain &w = f->open();
    QAction *toggle = f->action(u"mnuEditHistory"_s);
    const QRect before = w.frameGeometry();
    toggle->trigger();
    toggle->trigger();
    QCOMPARE(w.frameGeometry(), before);
    QVERIFY(toggle->isChecked());
    QVERIFY(f->history()->isVisible());
    QCOMPARE(toBoolean(basParam::GetParam(f->settings, u"History"_s, 0)), true);
}

void TestMainWindow::rowsSkipFreeSlots()
{
    f->loadSettings({u"HistString=春,一"_s, u"HistString=夏,二"_s, u"HistString=,三"_s,
                     u"HistString=秋,四"_s, u"HistString=冬,"_s});
    f->open();
    QCOMPARE(MainWindowFixture::rows(f->history()),
             (QStringList{u"春/一"_s, u"夏/二"_s, u"秋/四"_s, u"冬/"_s}));
    // Rebuilt whole from the store, also while the panel is hidden.
    f->action(u"mnuEditHistory"_s)->trigger();
    basParam::SetParam(f->settings, u"HistString"_s, 0, u"雪,月"_s);
    f->window->RefreshHistoryList();
    QCOMPARE(MainWindowFixture::rows(f->history()).first(), u"雪/月"_s);
    QVERIFY(!f->history()->isVisibleTo(f->window.get()));
}

void TestMainWindow::popupOnRightRelease_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("onRow");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("selected");   // a row is selected before the click
    QTest::newRow("right over empty space") << Qt::RightButton << false << true << true;
    QTest::newRow("right over a row") << Qt::RightButton << true << true << false;
    // 読み込み then does nothing; the popup opens all the same.
    QTest::newRow("right with nothing selected") << Qt::RightButton << false << true << false;
    QTest::newRow("left") << Qt::LeftButton << false << false << true;
    QTest::newRow("middle") << Qt::MiddleButton << true << false << true;
}

void TestMainWindow::popupOnRightRelease()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, onRow);
    QFETCH(bool, opens);
    QFETCH(bool, selected);
    f->open(true);
    f->history()->clearSelection();
    if (selected)
        f->history()->topLevelItem(0)->setSelected(true);
    QWidget *viewport = f->history()->viewport();
    const QPoint at = onRow ? f->history()->visualItemRect(f->history()->topLevelItem(0)).center()
                            : QPoint(20, viewport->height() - 5);
    auto *popup = f->find<QMenu>(u"mnuPopup"_s);
    QSignalSpy shown(popup, &QMenu::aboutToShow);
    QTest::mouseClick(viewport, button, {}, at);
    QCOMPARE(popup->isVisible(), opens);
    QCOMPARE(shown.count(), opens ? 1 : 0);   // once per release, not once per filter
    popup->hide();
}

void TestMainWindow::loadSelectedRow_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("six letters") << u"続家版露身発"_s
                                 << QStringList{u"続"_s, u"家"_s, u"版"_s, u"露"_s, u"身"_s, u"発"_s};
    QTest::newRow("two letters") << u"春夏"_s
                                 << QStringList{u"春"_s, u"夏"_s, QString(), QString(), QString(), QString()};
}

void TestMainWindow::loadSelectedRow()
{
    QFETCH(QString, letters);
    QFETCH(QStringList, boxes);
    basParam::SetParam(f->settings, u"HistString"_s, 0, u"春夏,秋"_s);
    basParam::SetParam(f->settings, u"HistString"_s, 0, u"梅,桜"_s);
    f->open();
    // A result on screen, which the load clears.
    f->answer()->setText(u"出"_s);
    new QTreeWidgetItem(f->candidates(), {u"出"_s, u"6"_s});

    const QList<QTreeWidgetItem *> match = f->history()->findItems(letters, Qt::MatchExactly);
    QCOMPARE(match.size(), 1);
    f->history()->setCurrentItem(match.first());
    const QStringList historyBefore = MainWindowFixture::rows(f->history());
    f->action(u"mnuPopupGetString"_s)->trigger();
    QCOMPARE(f->boxTexts(), boxes);
    QCOMPARE(f->answer()->text(), QString());
    QCOMPARE(f->candidates()->topLevelItemCount(), 0);
    QCOMPARE(MainWindowFixture::rows(f->history()), historyBefore);
}

// The popup and its command without a mouse: Enter loads the row, in the
// list or in the popup the keyboard opened.
void TestMainWindow::historyKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Menu key") << int(Qt::Key_Menu) << 0 << true;
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false;
}

void TestMainWindow::historyKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    basParam::SetParam(f->settings, u"HistString"_s, 0, u"春夏,秋"_s);
    f->open(true);
    f->setBoxes({u"梅"_s});
    f->history()->setFocus();
    QTRY_VERIFY(f->history()->hasFocus());
    f->history()->setCurrentItem(f->history()->topLevelItem(0));
    auto *popup = f->find<QMenu>(u"mnuPopup"_s);
    QTest::keyClick(f->history(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTEST(popup->isVisible(), "opens");
    if (popup->isVisible()) {
        QCOMPARE(f->boxTexts().join(QString()), u"梅"_s);
        QTest::keyClick(popup, Qt::Key_Return);
    }
    QCOMPARE(f->boxTexts().join(QString()), u"春夏"_s);
    popup->hide();
}

// A new puzzle: six empty boxes, no arrow, no result, the focus in box 0.
void TestMainWindow::clearLetters()
{
    f->open(true);
    f->box(3)->setFocus();
    QTRY_VERIFY(f->box(3)->hasFocus());
    QTest::keyClick(f->box(3), Qt::Key_Right, Qt::AltModifier);
    f->answer()->setText(u"出"_s);
    QTest::keyClick(f->box(3), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(f->boxTexts(), QStringList(6));
    QCOMPARE(f->find<LetterBox>(u"txtLetter_3"_s)->arrow(), Arrow::None);
    QCOMPARE(f->answer()->text(), QString());
    QTRY_VERIFY(f->box(0)->hasFocus());
}

void TestMainWindow::loadWithoutSelection()
{
    f->open();
    const QStringList before = f->boxTexts();
    f->answer()->setText(u"出"_s);
    f->history()->clearSelection();
    f->history()->setCurrentItem(nullptr);
    f->action(u"mnuPopupGetString"_s)->trigger();
    QCOMPARE(f->boxTexts(), before);
    QCOMPARE(f->answer()->text(), u"出"_s);
}

// openbox's frame is 21 device pixels high whatever QT_SCALE_FACTOR says;
// at a factor of 2 Qt reports it as 11 (10.5 rounded). Counted as 11, the
// client area came out 10 pixels taller than twice its unscaled height.
void TestMainWindow::frameInLayoutPixels_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<int>("pixels");
    QTest::newRow("unscaled") << 21 << 1.0 << 21;
    QTest::newRow("doubled, rounded up") << 11 << 2.0 << 21;
    QTest::newRow("doubled, even frame") << 10 << 2.0 << 19;
    QTest::newRow("one and a half") << 14 << 1.5 << 21;
    QTest::newRow("not framed yet") << 0 << 2.0 << 0;
}

void TestMainWindow::frameInLayoutPixels()
{
    QFETCH(int, frame);
    QFETCH(qreal, scale);
    QFETCH(int, pixels);
    QCOMPARE(::frameInLayoutPixels(frame, scale), pixels);
}

void TestMainWindow::pictureIn_data()
{
    QTest::addColumn<QString>("picture");   // a file of the generated pictures; empty: a grey picture
    QTest::addColumn<QString>("letters");   // empty: refused, the puzzle as it was
    QTest::newRow("a puzzle") << u"gothic-4.png"_s << u"計間代同"_s;
    QTest::newRow("no puzzle in it") << QString() << QString();
}

// Ctrl+V with a picture in a letter box: a new puzzle, its letters marked
// for checking until a search; or a message, the puzzle kept.
void TestMainWindow::pictureIn()
{
    QFETCH(QString, picture);
    QFETCH(QString, letters);
    QVERIFY(f->loadDictionary({u"計時"_s, u"間時"_s, u"代時"_s, u"同時"_s, u"時計間代同"_s}));
    f->open(true);
    f->answer()->setText(u"出"_s);
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::gray);
    if (!picture.isEmpty())
        QVERIFY(image.load(QStringLiteral(TOLVO_PICTURES) + u'/' + picture));
    QApplication::clipboard()->setImage(image);
    QTest::keyClick(f->box(0), Qt::Key_V, Qt::ControlModifier);
    if (letters.isEmpty()) {
        QCOMPARE(f->prompts.shown.size(), 1);
        QCOMPARE(f->boxTexts().join(QString()), u"続家版露身発"_s);
        QCOMPARE(f->answer()->text(), u"出"_s);
        return;
    }
    QVERIFY(f->prompts.shown.isEmpty());
    QCOMPARE(f->boxTexts().join(QString()), letters);
    QCOMPARE(f->answer()->text(), QString());
    const auto mark = [&](int i) { return static_cast<LetterBox *>(f->box(i))->pictureMark(); };
    QVERIFY(mark(0) != LetterBox::PictureMark::None);
    QCOMPARE(static_cast<LetterBox *>(f->box(0))->arrow(), Arrow::AnswerFirst);
    QVERIFY(f->find(u"lblPicture"_s)->isVisible());
    // This window has no words to check arrows with.
    f->action(u"mnuEditClearArrows"_s)->trigger();
    f->action(u"mnuEditFind"_s)->trigger();
    QCOMPARE(f->answer()->text(), u"時"_s);
    QCOMPARE(mark(0), LetterBox::PictureMark::None);
    QVERIFY(!f->find(u"lblPicture"_s)->isVisible());
}

// A made puzzle fills the boxes as a new puzzle; only the search's answer
// reaches the answer box and the history; the check then finds it alone.
void TestMainWindow::madeThenSearched()
{
    QVERIFY(f->loadDictionary({u"計時"_s, u"間時"_s, u"代時"_s, u"同時"_s, u"時計間代同"_s}));
    f->open(true);
    WordList words;
    words.loadText(u"時計\tとけい\tP\n時間\tじかん\tP\n時代\tじだい\tP\n同時\tどうじ\tP\n"_s);
    f->window->setWords(std::move(words));
    const QString grades = f->dir.filePath(u"tolvo.grades"_s);
    QFile file(grades);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(u"時\t2\t16\t\n計\t2\t\t\n間\t2\t\t\n代\t3\t\t\n同\t2\t\t\n"_s.toUtf8());
    file.close();
    f->setDataFile(&DataFiles::grades, grades);
    f->answer()->setText(u"出"_s);
    const QStringList historyBefore = MainWindowFixture::rows(f->history());

    QTimer::singleShot(0, this, [this] {
        auto *dialog = f->window->findChild<QDialog *>(u"frmMakePuzzle"_s);
        QVERIFY(dialog);
        dialog->findChild<QRadioButton *>(u"optLetters4"_s)->setChecked(true);
        dialog->findChild<QComboBox *>(u"cboLevel"_s)->setCurrentIndex(0);
        dialog->accept();
    });
    f->action(u"mnuEditMakePuzzle"_s)->trigger();
    QString letters = f->boxTexts().join(QString());
    std::sort(letters.begin(), letters.end());
    QString expected = u"計間代同"_s;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(letters, expected);
    QCOMPARE(f->find<LetterBox>(u"txtLetter_0"_s)->arrow() == Arrow::None, false);
    QCOMPARE(f->answer()->text(), QString());
    QCOMPARE(MainWindowFixture::rows(f->history()), historyBefore);
    QVERIFY(f->prompts.shown.isEmpty());

    f->action(u"mnuEditFind"_s)->trigger();
    QTRY_COMPARE(f->answer()->text(), u"時"_s);
    QVERIFY(MainWindowFixture::rows(f->history()).first().contains(u'時'));

    f->action(u"mnuEditCheckPuzzle"_s)->trigger();
    auto *check = f->window->findChild<QPlainTextEdit *>(u"txtCheck"_s);
    QVERIFY(check);
    QVERIFY2(check->toPlainText().contains(u"これひとつです"_s), qPrintable(check->toPlainText()));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
