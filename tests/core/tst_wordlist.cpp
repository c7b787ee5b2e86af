// The words file and the candidate tip's text made from it.
#include "search/partnerletters.h"
#include "search/wordlist.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestWordList : public QObject
{
    Q_OBJECT
private slots:
    void partnerWords_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no words: the letters") << QString() << u"続家版"_s << u"続・家・版"_s;
        QTest::newRow("either spelling, with readings")
            << u"家出\tいえで\n続出\tぞくしゅつ\n"_s << u"続家"_s << u"続出（ぞくしゅつ）・家出（いえで）"_s;
        QTest::newRow("the earlier, more common spelling wins")
            << u"出家\tしゅっけ\n家出\tいえで\n"_s << u"家"_s << u"出家（しゅっけ）"_s;
        QTest::newRow("a letter's word with another kanji is never shown")
            << u"家人\tかじん\n続出\tぞくしゅつ\n"_s << u"続家"_s << u"続出（ぞくしゅつ）・家"_s;
        QTest::newRow("comment, malformed and CR LF lines")
            << u"# 家出\tx\n出\tx\n家出x\n\n続出\tぞくしゅつ\r\n"_s << u"続家"_s << u"続出（ぞくしゅつ）・家"_s;
        QTest::newRow("a word without readings") << u"続出\t\n"_s << u"続"_s << u"続出"_s;
        QTest::newRow("the common mark is no reading")
            << u"続出\tぞくしゅつ\tP\r\n家出\t\tP\n"_s << u"続家"_s << u"続出（ぞくしゅつ）・家出"_s;
        QTest::newRow("a last line cut short is passed over")
            << u"続出\tぞくしゅつ\n家出\tい"_s << u"続家"_s << u"続出（ぞくしゅつ）・家"_s;
    }
    void partnerWords()
    {
        QFETCH(QString, words);
        QFETCH(QString, letters);
        QFETCH(QString, expected);
        WordList list;
        list.loadText(words);
        QList<ArrowedLetter> partners;
        for (const QString &letter : letters.split(QString(), Qt::SkipEmptyParts))
            partners.append({letter});
        QCOMPARE(partnerWordsText(partners, list, u'出'), expected);
    }

    void missingFile()
    {
        QTemporaryDir dir;
        WordList list;
        list.loadText(u"続出\tぞくしゅつ\n"_s);
        QVERIFY(!list.load(dir.filePath(u"tolvo.words"_s)));
        QVERIFY(list.isEmpty());
        list.loadText(u"続出\tぞくしゅつ\n"_s);
        list.loadLater(dir.filePath(u"tolvo.words"_s));
        QVERIFY(!list.find(u'続', u'出'));
    }

    // The deferred read happens at the first look-up, not before.
    void loadLater()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tolvo.words"_s);
        WordList list;
        list.loadLater(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(u"続出\tぞくしゅつ\n"_s.toUtf8());
        file.close();
        QCOMPARE(list.find(u'出', u'続').value_or(WordList::Word{}).readings, u"ぞくしゅつ"_s);
    }
};

QTEST_GUILESS_MAIN(TestWordList)
#include "tst_wordlist.moc"
