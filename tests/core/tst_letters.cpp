// The letter rule the letter boxes and tolvo-solve share.
#include "search/letters.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestLetters : public QObject
{
    Q_OBJECT
private slots:
    void puzzleLetters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("outside");
        QTest::newRow("spaces, ideographic space, tab, line end")
            << u" 明 告\u3000昼\t熱\r\n"_s << u"明告昼熱"_s << QString();
        QTest::newRow("middle dot") << u"続・家・版"_s << u"続家版"_s << QString();
        QTest::newRow("ideographic comma and full stop") << u"続、家、版。"_s << u"続家版"_s << QString();
        QTest::newRow("full-width slash") << u"続／家／版"_s << u"続家版"_s << QString();
        QTest::newRow("brackets, quotes, ascii punctuation")
            << u"「続」『家』(版),\"露\";身!発?"_s << u"続家版露身発"_s << QString();
        QTest::newRow("symbols: arrow, circle, plus, yen") << u"続→家○版＋露￥"_s << u"続家版露"_s << QString();
        QTest::newRow("wave dash and long vowel mark") << u"続〜家ー"_s << u"続家ー"_s << QString();
        QTest::newRow("iteration mark, kana, digits and latin stay")
            << u"々あア１Aa"_s << u"々あア１Aa"_s << QString();
        QTest::newRow("zero-width space and bom are invisible")
            << u"続\u200B家\uFEFF"_s << u"続家"_s << QString();
        QTest::newRow("kanji outside the basic plane: the first is named")
            << u"𠮷野家𩸽"_s << u"野家"_s << u"𠮷"_s;
        QTest::newRow("an emoji only separates") << u"続😀家"_s << u"続家"_s << QString();
        QTest::newRow("a lone half is no character")
            << QString(u"続"_s + QChar(0xD842) + u"家"_s + QChar(0xDFB7)) << u"続家"_s << QString();
    }
    void puzzleLetters()
    {
        QFETCH(QString, text);
        QString outside;
        QTEST(::puzzleLetters(text, &outside), "letters");
        QTEST(outside, "outside");
    }
};

QTEST_GUILESS_MAIN(TestLetters)
#include "tst_letters.moc"
