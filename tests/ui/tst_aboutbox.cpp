// Help > About: the one About box, its layout and how it closes.
#include "platform/datafile.h"
#include "mainwindowfixture.h"
#include "ownerwindow.h"
#include "ui/frmabout.h"
#include "ui/helpabout.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QList<frmAbout *> aboutBoxes()
{
    QList<frmAbout *> boxes;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<frmAbout *>(w); box && box->isVisible())
            boxes.append(box);
    }
    return boxes;
}

} // namespace

class TestAboutBox : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aboutLayout_data();
    void aboutLayout();
    void aboutBoxAsLoaded();
    void aboutIsOneBox();
    void aboutCloses_data();
    void aboutCloses();
    void aboutReloadsLabels();
    void aboutCentredOverOwner_data();
    void aboutCentredOverOwner();
    void aboutClosesWithOwner_data();
    void aboutClosesWithOwner();
    void aboutFromMainWindowMenu();

private:
    void showAbout() { showAboutBox(m_aboutBox, m_owner.get()); }

    std::unique_ptr<QWidget> m_owner;
    // What the main window holds: its one About box.
    QPointer<frmAbout> m_aboutBox;
};

void TestAboutBox::init()
{
    m_owner = showOwnerWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_owner.get()));
}

void TestAboutBox::cleanup()
{
    for (frmAbout *box : aboutBoxes())
        box->close();
    m_owner.reset();
    QTRY_VERIFY(aboutBoxes().isEmpty());
}

// ---- About box -------------------------------------------------------------

void TestAboutBox::aboutLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("family"); // labels only
    QTest::addColumn<qreal>("points");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QColor>("colour");
    const QColor darkRed(128, 0, 0);
    QTest::newRow("cmdOK") << u"cmdOK"_s << QRect(80, 136, 87, 23) << QString() << 0.0 << 0 << QColor();
    QTest::newRow("picIcon") << u"picIcon"_s << QRect(16, 16, 32, 32) << QString() << 0.0 << 0 << QColor();
    QTest::newRow("lblCopyright") << u"lblCopyright"_s << QRect(16, 72, 209, 49) << u"ＭＳ Ｐゴシック"_s
                                  << 9.75 << int(QFont::Bold) << QColor(0, 0, 192);
    QTest::newRow("lblVersion") << u"lblVersion"_s << QRect(64, 40, 155, 15) << u"ＭＳ Ｐゴシック"_s
                                << 9.75 << int(QFont::Normal) << darkRed;
    QTest::newRow("lblTitle") << u"lblTitle"_s << QRect(64, 16, 157, 23) << u"ＭＳ ゴシック"_s << 12.0
                              << int(QFont::Bold) << darkRed;
}

void TestAboutBox::aboutLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(int, weight);
    QFETCH(QColor, colour);
    showAbout();
    const QList<frmAbout *> boxes = aboutBoxes();
    QCOMPARE(boxes.size(), 1);
    auto *control = boxes.first()->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->isVisible());
    if (family.isEmpty())
        return;
    QCOMPARE(control->font().family(), family);
    QCOMPARE(control->font().pointSizeF(), points);
    QCOMPARE(int(control->font().weight()), weight);
    QCOMPARE(control->palette().color(QPalette::WindowText), colour);
    // The Windows face must map to an installed Japanese font, not to a
    // fallback that draws boxes.
    QVERIFY(QFontMetrics(control->font()).inFontUcs4(U'支'));
}

void TestAboutBox::aboutBoxAsLoaded()
{
    showAbout();
    frmAbout *box = aboutBoxes().value(0);
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), u"バージョン情報"_s);
    QCOMPARE(box->size(), QSize(241, 169));
    QCOMPARE(box->minimumSize(), box->maximumSize());
    const Qt::WindowFlags flags = box->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                       | Qt::WindowContextHelpButtonHint)));
    // Owned and not modal: no task-bar button, and the owner stays usable.
    QCOMPARE(box->parentWidget(), m_owner.get());
    QVERIFY(!box->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(box->picIcon->pixmap().size(), QSize(32, 32));

    QCOMPARE(box->lblTitle->text(), u"ヴェルモラ支援"_s);
    QCOMPARE(box->lblVersion->text(), u"Version "_s + versionText());
    QCOMPARE(box->cmdOK->text(), u"確認(&C)"_s);
    QVERIFY(box->cmdOK->isDefault());
    QCOMPARE(box->focusWidget(), box->cmdOK);

    // Our notice first, then the credit the dictionary's licence asks for,
    // every line within the label in its bold face.
    const QStringList lines = box->lblCopyright->text().split(u'\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].contains(u"tolvo"_s));
    const QString credit = lines[1] + u' ' + lines[2];
    for (const QString &part : {u"EDICT"_s, u"KANJIDIC"_s, u"EDRDG"_s, u"CC BY-SA 3.0"_s, u"UniDic (BSD)"_s})
        QVERIFY2(credit.contains(part), qPrintable(part));
    const QFontMetrics metrics(box->lblCopyright->font());
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= box->lblCopyright->width(), qPrintable(line));
    QVERIFY(metrics.lineSpacing() * lines.size() <= box->lblCopyright->height());
    const QFontMetrics versionMetrics(box->lblVersion->font());
    QVERIFY(versionMetrics.horizontalAdvance(box->lblVersion->text()) <= box->lblVersion->width());
}

void TestAboutBox::aboutIsOneBox()
{
    showAbout();
    QPointer<frmAbout> first = aboutBoxes().value(0);
    QVERIFY(first);
    showAbout();
    showAbout();
    QCoreApplication::processEvents();
    QCOMPARE(aboutBoxes().size(), 1);
    QCOMPARE(aboutBoxes().first(), first.data());
}

void TestAboutBox::aboutCloses_data()
{
    // A key pressed on the focused button; no key: the button clicked, or
    // (false) the close box.
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("click");
    QTest::newRow("Return") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
    QTest::newRow("button") << 0 << true;
    QTest::newRow("close box") << 0 << false;
}

void TestAboutBox::aboutCloses()
{
    QFETCH(int, key);
    QFETCH(bool, click);
    showAbout();
    QPointer<frmAbout> box = aboutBoxes().value(0);
    QVERIFY(box);
    if (key != 0)
        QTest::keyClick(box->cmdOK, Qt::Key(key));
    else if (click)
        QTest::mouseClick(box->cmdOK, Qt::LeftButton);
    else
        box->close();
    // Unloaded: gone, not merely hidden.
    QTRY_VERIFY(box.isNull());
    QVERIFY(m_owner->isVisible());
}

void TestAboutBox::aboutReloadsLabels()
{
    showAbout();
    QPointer<frmAbout> first = aboutBoxes().value(0);
    QVERIFY(first);
    first->lblVersion->setText(u"changed"_s);
    first->lblCopyright->clear();
    QTest::keyClick(first->cmdOK, Qt::Key_Escape);
    QTRY_VERIFY(first.isNull());

    showAbout();
    frmAbout *second = aboutBoxes().value(0);
    QVERIFY(second);
    QCOMPARE(second->lblVersion->text(), u"Version "_s + versionText());
    QCOMPARE(second->lblCopyright->text(), copyrightText());
}

void TestAboutBox::aboutCentredOverOwner_data()
{
    QTest::addColumn<QRect>("ownerGeometry");
    QTest::newRow("main window size") << QRect(120, 90, 343, 358);
    QTest::newRow("wide owner") << QRect(40, 60, 600, 300);
    QTest::newRow("owner hanging off the screen") << QRect(-400, -300, 343, 358);
}

void TestAboutBox::aboutCentredOverOwner()
{
    QFETCH(QRect, ownerGeometry);
    m_owner->setGeometry(ownerGeometry);
    QCoreApplication::processEvents();
    showAbout();
    frmAbout *box = aboutBoxes().value(0);
    QVERIFY(box);
    QVERIFY(QTest::qWaitForWindowExposed(box));
    const QRect available = m_owner->screen()->availableGeometry();
    const QRect frame = box->frameGeometry();
    if (available.contains(m_owner->frameGeometry())) {
        const QPoint offset = frame.center() - m_owner->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(u"off by %1, %2"_s.arg(offset.x()).arg(offset.y())));
    } else {
        // Kept where its title bar can be reached.
        QVERIFY(available.contains(frame));
    }
}

void TestAboutBox::aboutClosesWithOwner_data()
{
    QTest::addColumn<bool>("destroyOwner");
    QTest::newRow("owner closed") << false;
    QTest::newRow("owner destroyed") << true;
}

void TestAboutBox::aboutClosesWithOwner()
{
    QFETCH(bool, destroyOwner);
    showAbout();
    QPointer<frmAbout> box = aboutBoxes().value(0);
    QVERIFY(box);
    if (destroyOwner)
        m_owner.reset();
    else
        m_owner->close();
    QTRY_VERIFY(box.isNull());
    // And the next Help > About opens a box again.
    init();
    showAbout();
    QCOMPARE(aboutBoxes().size(), 1);
}

void TestAboutBox::aboutFromMainWindowMenu()
{
    MainWindowFixture fixture;
    QVERIFY(fixture.loadDictionary(workedExampleLines()));
    frmMain &window = fixture.open();
    QAction *about = fixture.action(u"mnuHelpAbout"_s);
    QVERIFY(about);
    about->trigger();
    about->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(aboutBoxes().size(), 1);
    QPointer<frmAbout> box = aboutBoxes().first();
    QCOMPARE(box->parentWidget(), &window);
    QTest::keyClick(box->cmdOK, Qt::Key_Return);
    QTRY_VERIFY(box.isNull());

    // Closing the main window takes an open About box with it.
    about->trigger();
    box = aboutBoxes().value(0);
    QVERIFY(box);
    window.close();
    QTRY_VERIFY(box.isNull());
    QVERIFY(fixture.prompts.shown.isEmpty());
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
