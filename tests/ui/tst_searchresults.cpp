// Edit > Search on the real window: its results, the history entry, the
// keyboard around it and the candidate list's tips.
#include "mainwindowfixture.h"

#include <QApplication>
#include <QToolTip>

namespace {

using Shown = PromptsDouble::Shown;

} // namespace

class TestSearchResults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void results_data();
    void results();
    void shortcutsFromALetterBox();
    void focusReturnsToItsBox();
    void unusualCapacities_data();
    void unusualCapacities();
    void candidateTooltip_data();
    void candidateTooltip();

private:
    void search() { f->action(u"mnuEditFind"_s)->trigger(); }
    void checkIdle() { f->checkIdle(); }

    std::unique_ptr<MainWindowFixture> f;
};

void TestSearchResults::init()
{
    f = std::make_unique<MainWindowFixture>();
}

void TestSearchResults::cleanup()
{
    f.reset();
}

void TestSearchResults::results_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("noMatchNotice");
    QTest::addColumn<QString>("firstHistoryRow");

    QTest::newRow("worked example") << kWorkedLetters << u"出"_s << QStringList{u"出/6"_s, u"人/3"_s}
                                    << false << u"続家版露身発/出"_s;
    QTest::newRow("boxes 0, 2 and 5") << QStringList{u"続"_s, {}, u"版"_s, {}, {}, u"発"_s} << u"出"_s
                                      << QStringList{u"出/3"_s, u"行/2"_s} << false << u"続版発/出"_s;
    QTest::newRow("no kanji reaches every letter")
        << QStringList{u"続"_s, u"家"_s, u"猫"_s} << QString() << QStringList{u"出/2"_s} << true << u"続家猫/"_s;
    QTest::newRow("single letter") << QStringList{{}, {}, {}, u"露"_s} << u"出"_s
                                   << QStringList{u"出/1"_s, u"天/1"_s, u"見/1"_s, u"人/1"_s} << false << u"露/出"_s;
    // The entry "," frees slot 1; the list skips it.
    QTest::newRow("all boxes empty") << QStringList() << QString() << QStringList() << true
                                     << u"続家版露身発/出"_s;
}

void TestSearchResults::results()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, answer);
    QFETCH(QStringList, rows);
    QFETCH(bool, noMatchNotice);
    QFETCH(QString, firstHistoryRow);
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open();
    f->setBoxes(boxes);
    f->answer()->setText(u"前"_s);
    // The notice comes while the answer label still shows the previous answer.
    QString answerDuringNotice;
    f->prompts.onShow = [&](const Shown &) { answerDuringNotice = f->answer()->text(); };

    search();

    QCOMPARE(f->answer()->text(), answer);
    QCOMPARE(MainWindowFixture::rows(f->candidates()), rows);
    QCOMPARE(f->candidates()->isEnabled(), !rows.isEmpty());
    if (!rows.isEmpty()) {
        QCOMPARE(f->candidates()->selectedItems(), QList<QTreeWidgetItem *>{f->candidates()->topLevelItem(0)});
    }
    if (noMatchNotice) {
        QCOMPARE(f->prompts.shown.size(), 1);
        const Shown &s = f->prompts.shown.first();
        QCOMPARE(s.kind, Shown::Message);
        QCOMPARE(s.title, u"確認"_s);
        QCOMPARE(s.text, u"該当する単語が見つかりませんでした。"_s);
        QCOMPARE(s.icon, Prompts::Icon::Information);
        QCOMPARE(answerDuringNotice, u"前"_s);
    } else {
        QVERIFY(f->prompts.shown.isEmpty());
    }
    QCOMPARE(MainWindowFixture::rows(f->history()).value(0), firstHistoryRow);
    QCOMPARE(f->find<QProgressBar>(u"pbrLetter"_s)->value(), 7);
    checkIdle();
}

void TestSearchResults::shortcutsFromALetterBox()
{
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open(true);
    f->box(2)->setFocus();
    QTRY_VERIFY(f->box(2)->hasFocus());
    QTest::keyClick(f->box(2), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(f->answer()->text(), u"出"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);
    QVERIFY(!f->action(u"mnuEditHistory"_s)->isChecked());
    QVERIFY(!f->history()->isVisible());
}

void TestSearchResults::focusReturnsToItsBox()
{
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open(true);
    f->box(3)->setFocus();
    QTRY_VERIFY(f->box(3)->hasFocus());
    search();
    QTRY_VERIFY(f->box(3)->hasFocus());
    QCOMPARE(f->box(3)->selectedText(), u"露"_s);
}

// A capacity of 0 or of two billion from the settings file: the search
// completes without a message, and the history keeps what it can.
void TestSearchResults::unusualCapacities_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QStringList>("history");
    QTest::newRow("no slots") << 0 << QStringList();
    QTest::newRow("far too many to allocate") << 2147483647 << QStringList{u"続家版露身発/出"_s};
}

void TestSearchResults::unusualCapacities()
{
    QFETCH(int, capacity);
    QFETCH(QStringList, history);
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->loadSettings({u"HistNum="_s + QString::number(capacity)});
    f->open();
    search();
    QVERIFY(f->prompts.shown.isEmpty());
    QCOMPARE(f->answer()->text(), u"出"_s);
    QCOMPARE(MainWindowFixture::rows(f->history()), history);
    checkIdle();
}

void TestSearchResults::candidateTooltip_data()
{
    QTest::addColumn<QString>("words");   // the words file's text; empty: none
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<bool>("byKeyboard");   // the list reached with Tab, the row with Down
    QTest::newRow("出 partners all six") << QString() << 0 << u"続・家・版・露・身・発"_s << false;
    QTest::newRow("人 partners three") << QString() << 1 << u"家・露・身"_s << false;
    QTest::newRow("出's words with readings")
        << u"続出\tぞくしゅつ\n家出\tいえで\n出版\tしゅっぱん\n"_s << 0 << u"続出（ぞくしゅつ）・家出（いえで）・出版（しゅっぱん）・露・身・発"_s
        << false;
    QTest::newRow("出 reached with Tab") << QString() << 0 << u"続・家・版・露・身・発"_s << true;
    QTest::newRow("人 reached with Tab and Down") << QString() << 1 << u"家・露・身"_s << true;
}

void TestSearchResults::candidateTooltip()
{
    QFETCH(QString, words);
    QFETCH(int, row);
    QFETCH(QString, tip);
    QFETCH(bool, byKeyboard);
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open(byKeyboard);
    WordList list;
    list.loadText(words);
    f->window->setWords(std::move(list));
    QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
    search();
    // The tip tells the last completed search's letters, whatever the boxes hold now.
    f->setBoxes({u"春"_s});
    if (byKeyboard) {
        f->box(5)->setFocus();
        QTRY_VERIFY(f->box(5)->hasFocus());
        QTest::keyClick(f->box(5), Qt::Key_Tab);
        QTRY_VERIFY(f->candidates()->hasFocus());
        for (int i = 0; i < row; ++i)
            QTest::keyClick(f->candidates(), Qt::Key_Down);
    } else {
        f->hoverCandidate(row);
    }
    QTRY_COMPARE(QToolTip::text(), tip);
    QToolTip::hideText();
}

QTEST_MAIN(TestSearchResults)
#include "tst_searchresults.moc"
