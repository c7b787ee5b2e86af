// The help file format the viewer reads, and the help file the build ships.
#include "platform/datafile.h"
#include "ui/frmabout.h"
#include "ui/helpdocument.h"
#include "ui/helpviewer.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString topicsOf(const HelpDocument &document)
{
    QStringList out;
    for (const HelpTopic &t : document.topics)
        out.append(t.anchor + u':' + QString::number(t.level) + u':' + t.title);
    return out.join(u'|');
}

QString keywordsOf(const HelpDocument &document)
{
    QStringList out;
    for (const HelpKeyword &k : document.keywords)
        out.append(k.keyword + u'@' + k.anchor);
    return out.join(u'|');
}

const HelpDocument &shippedHelp()
{
    static const HelpDocument document = [] {
        HelpDocument loaded;
        QString reason;
        if (!HelpDocument::load(QStringLiteral(TOLVO_BIN_DIR "/tolvo.hlp"), &loaded, &reason))
            qWarning("tolvo.hlp: %s", qPrintable(reason));
        return loaded;
    }();
    return document;
}

} // namespace

class TestHelpFile : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void search_data();
    void search();

    void shippedFileIsWhole();
    void shippedFileCovers_data();
    void shippedFileCovers();
    void shippedIndexHasKeyword_data();
    void shippedIndexHasKeyword();
    void shippedFileFitsTheViewer();
};

void TestHelpFile::parse_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("topics");
    QTest::addColumn<QString>("keywords");

    QTest::newRow("anchor inside the heading")
        << u"<title>T</title><h1><a name=\"a\"></a>One</h1><h2><a name=\"b\">Two</a></h2>"_s
        << u"T"_s << u"a:1:One|b:2:Two"_s << QString();
    QTest::newRow("id attribute, any case, single quotes")
        << u"<H2 ID='x'>Ex</H2><h3 id=\"y\">Why</h3>"_s << QString() << u"x:2:Ex|y:3:Why"_s << QString();
    QTest::newRow("heading without anchor stays in the topic before")
        << u"<h1><a name=\"a\"></a>A</h1><h2>plain</h2><!-- keywords: k -->"_s << QString()
        << u"a:1:A"_s << u"k@a"_s;
    QTest::newRow("heading inside a comment is not a topic")
        << u"<!-- write <h2><a name=\"x\"></a>X</h2> like this --><h1 id=\"a\">A</h1>"_s << QString()
        << u"a:1:A"_s << QString();
    QTest::newRow("keywords follow their heading, both separators, blanks trimmed")
        << u"<h1 id=\"a\">A</h1><!--keywords:  one ;two；; three  --><h2 id=\"b\">B</h2><!-- KEYWORDS: four -->"_s
        << QString() << u"a:1:A|b:2:B"_s << u"one@a|two@a|three@a|four@b"_s;
    QTest::newRow("keywords before any heading open the top")
        << u"<!-- keywords: early --><h1 id=\"a\">A</h1>"_s << QString() << u"a:1:A"_s << u"early@"_s;
    QTest::newRow("other comments are no keywords")
        << u"<h1 id=\"a\">A</h1><!-- keyword list: no -->"_s << QString() << u"a:1:A"_s << QString();
    QTest::newRow("entities and tags in titles")
        << u"<title>A &amp; B</title><h1 id=\"a\">設定 <code>tolvo.ini</code> &lt;1&gt;</h1>"_s
        << u"A & B"_s << u"a:1:設定 tolvo.ini <1>"_s << QString();
    QTest::newRow("unclosed heading") << u"<h1 id=\"a\">never closed"_s << QString() << QString()
                                      << QString();
}

void TestHelpFile::parse()
{
    QFETCH(QString, html);
    QFETCH(QString, title);
    QFETCH(QString, topics);
    QFETCH(QString, keywords);
    const HelpDocument document = HelpDocument::parse(html);
    QCOMPARE(document.title, title);
    QCOMPARE(topicsOf(document), topics);
    QCOMPARE(keywordsOf(document), keywords);
}

void TestHelpFile::search_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("anchors");
    QTest::newRow("word of one topic") << u"読み込み"_s << QStringList{u"history"_s};
    QTest::newRow("letter case ignored") << u"ctrl+f"_s << QStringList{u"search"_s};
    QTest::newRow("word of two topics") << u"検索"_s << QStringList{u"search"_s, u"history"_s};
    QTest::newRow("every word must be there") << u"検索 Ctrl+F"_s << QStringList{u"search"_s};
    QTest::newRow("full-width space separates") << u"検索　右クリック"_s << QStringList{u"history"_s};
    QTest::newRow("blank query") << u"  "_s << QStringList{};
    QTest::newRow("markup is not text") << u"name"_s << QStringList{};
}

void TestHelpFile::search()
{
    QFETCH(QString, query);
    QFETCH(QStringList, anchors);
    const HelpDocument document = HelpDocument::parse(
        u"<h1 id=\"top\">はじめに</h1><p>概要</p>"
        u"<h2 id=\"search\">答えを探す</h2><p>検索は Ctrl+F です。</p>"
        u"<h2 id=\"history\">履歴</h2><p>検索の履歴は右クリックで読み込み。</p>"_s);
    QCOMPARE(document.search(query), anchors);
}

void TestHelpFile::shippedFileIsWhole()
{
    const HelpDocument &help = shippedHelp();
    QVERIFY(help.topics.size() > 5);
    QVERIFY(!help.title.isEmpty());
    // Anchors name topics one to one; the index and the links lead to topics.
    QSet<QString> anchors;
    for (const HelpTopic &topic : help.topics) {
        QVERIFY2(!anchors.contains(topic.anchor) && !topic.title.isEmpty(), qPrintable(topic.anchor));
        anchors.insert(topic.anchor);
    }
    for (const HelpKeyword &k : help.keywords)
        QVERIFY2(anchors.contains(k.anchor), qPrintable(k.keyword + u" → "_s + k.anchor));
    static const QRegularExpression link(uR"re(href\s*=\s*"#([^"]*)")re"_s);
    int links = 0;
    for (auto it = link.globalMatch(help.html); it.hasNext(); ++links) {
        const QString target = it.next().captured(1);
        QVERIFY2(anchors.contains(target), qPrintable(target));
    }
    QVERIFY(links > 0);
    // The build filled in this build's version.
    QVERIFY(!help.html.contains(u'@'));
    QVERIFY(help.html.contains(u"Version "_s + versionText()));
}

void TestHelpFile::shippedFileCovers_data()
{
    // What a user must be able to find with the viewer's search.
    QTest::addColumn<QString>("words");
    const QStringList words{
        u"Ctrl+F Ctrl+H Esc Tab"_s, u"読み込み 右クリック"_s, u"ヒット数 半分"_s,
        u"tolvo.ini Shift_JIS CR LF 閉じる"_s, u"History HistNum HistString FontName FontSize FontColor RRRGGGBBB"_s,
        u"tolvo.dic Shift_JIS 見出し"_s, u"tolvo-mkdic -o tolvo.dic edict kanjidic"_s,
        u"tolvo-solve"_s, u"EDICT KANJIDIC EDRDG CC BY-SA 3.0"_s, u"UniDic BSD tolvo.words"_s, u"インストール"_s,
        u"矢印 Alt+→ Alt+← Alt+↓ 矢印をすべて消す クリック"_s,
        u"漢字パッド Ctrl+K Enter Esc 行の先頭"_s, u"手書き 戻す 消去 tegaki-zinnia-japanese"_s,
        u"読み ローマ字 カタカナ tolvo.kanji"_s, u"Zinnia Tegaki LGPL"_s};
    for (const QString &w : words)
        QTest::newRow(qPrintable(w)) << w;
}

void TestHelpFile::shippedFileCovers()
{
    QFETCH(QString, words);
    QVERIFY2(!shippedHelp().search(words).isEmpty(), qPrintable(words));
}

void TestHelpFile::shippedIndexHasKeyword_data()
{
    QTest::addColumn<QString>("keyword");
    for (const QString &k : {u"検索"_s, u"Ctrl+F"_s, u"履歴"_s, u"読み込み"_s, u"ヒット数"_s,
                             u"tolvo.ini"_s, u"tolvo.dic"_s, u"tolvo-solve"_s, u"EDRDG"_s, u"矢印"_s,
                             u"漢字パッド"_s})
        QTest::newRow(qPrintable(k)) << k;
}

void TestHelpFile::shippedIndexHasKeyword()
{
    QFETCH(QString, keyword);
    const HelpDocument &help = shippedHelp();
    QVERIFY(std::any_of(help.keywords.begin(), help.keywords.end(),
                        [&](const HelpKeyword &k) { return k.keyword == keyword; }));
}

void TestHelpFile::shippedFileFitsTheViewer()
{
    // A line too long to wrap (a command in <pre>) gives the whole text a
    // horizontal scroll bar.
    HelpViewer viewer;
    QVERIFY(viewer.openFile(QStringLiteral(TOLVO_BIN_DIR "/tolvo.hlp")));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QTextBrowser *text = viewer.textPane();
    // The text is laid out lazily; its size asks for all of it.
    QVERIFY2(text->document()->size().width() <= text->viewport()->width(),
             qPrintable(QString::number(text->document()->size().width())));
    QTRY_COMPARE(text->horizontalScrollBar()->maximum(), 0);
}

QTEST_MAIN(TestHelpFile)
#include "tst_helpfile.moc"
