#include "platform/runtimeerror.h"
#include "settings/basparam.h"
#include "tempfiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Value)

namespace {

const QString kDefaults = u"HistNum=6 | 1:続家版露身発,出"_s;

// The whole store on one line: settings that differ from their defaults and
// every slot that is not free, with its number.
QString dump(const SettingsStore &s)
{
    QStringList parts;
    if (!s.history())
        parts << u"History=False"_s;
    parts << u"HistNum="_s + QString::number(s.histNum());
    if (s.slotCount() > s.histNum())
        parts << u"MORE SLOTS THAN HistNum"_s;
    for (qsizetype i = 1; i <= s.slotCount(); ++i) {
        if (!s.letters(i).isEmpty() || !s.result(i).isEmpty())
            parts << QString::number(i) + u':' + s.letters(i) + u',' + s.result(i);
    }
    if (s.fontName() != u"ＭＳ Ｐゴシック")
        parts << u"FontName="_s + s.fontName();
    if (s.fontSize() != 24)
        parts << u"FontSize="_s + QString::number(s.fontSize());
    if (s.fontColor() != u"000000000")
        parts << u"FontColor="_s + s.fontColor();
    return parts.join(u" | "_s);
}

QString describe(const Value &v)
{
    if (const bool *b = std::get_if<bool>(&v))
        return *b ? u"bool true"_s : u"bool false"_s;
    if (const qint32 *i = std::get_if<qint32>(&v))
        return u"int "_s + QString::number(*i);
    if (const QString *t = std::get_if<QString>(&v))
        return u"text \""_s + *t + u'"';
    return u"empty"_s;
}

// A store loaded from a settings file of these lines.
void loadLines(SettingsStore *store, const QStringList &lines)
{
    QTemporaryDir dir;
    QVERIFY(basParam::LoadParams(*store, writeBytes(dir, u"tolvo.ini"_s, sjis(lines.join(u"\r\n"_s)))));
}

QStringList sixEntries()
{
    return {u"HistString=A,1"_s, u"HistString=B,2"_s, u"HistString=C,3"_s,
            u"HistString=D,4"_s, u"HistString=E,5"_s, u"HistString=F,6"_s};
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void getParam_data()
    {
        QTest::addColumn<QStringList>("ini");
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint32>("index");
        QTest::addColumn<Value>("expected");
        QTest::addColumn<int>("error");
        const QStringList none;
        const int outOfRange = RuntimeError::OutOfRange;
        QTest::newRow("capacity") << none << u"HistNum"_s << 0 << Value{qint32(6)} << 0;
        QTest::newRow("slot 1 letters") << none << u"HistString"_s << 1 << Value{u"続家版露身発"_s} << 0;
        QTest::newRow("slot 1 result") << none << u"RestString"_s << 1 << Value{u"出"_s} << 0;
        QTest::newRow("slot 2 free") << none << u"HistString"_s << 2 << Value{u""_s} << 0;
        QTest::newRow("last slot") << none << u"RestString"_s << 6 << Value{u""_s} << 0;
        QTest::newRow("index 0") << none << u"HistString"_s << 0 << Value{u""_s} << 0;
        QTest::newRow("past capacity") << none << u"HistString"_s << 7 << Value{} << outOfRange;
        QTest::newRow("result past capacity") << none << u"RestString"_s << 7 << Value{} << outOfRange;
        QTest::newRow("negative index") << none << u"HistString"_s << -1 << Value{} << outOfRange;
        QTest::newRow("font size") << none << u"FontSize"_s << 0 << Value{qint32(24)} << 0;
        QTest::newRow("font name") << none << u"FontName"_s << 0 << Value{u"ＭＳ Ｐゴシック"_s} << 0;
        QTest::newRow("font colour") << none << u"FontColor"_s << 0 << Value{u"000000000"_s} << 0;
        QTest::newRow("history flag") << none << u"History"_s << 0 << Value{true} << 0;
        QTest::newRow("lower-case key") << none << u"history"_s << 0 << Value{} << 0;
        QTest::newRow("upper-case key") << none << u"HISTNUM"_s << 0 << Value{} << 0;
        QTest::newRow("unknown key") << none << u"Colour"_s << 0 << Value{} << 0;
        QTest::newRow("empty key") << none << u""_s << 0 << Value{} << 0;
        const QStringList zero{u"HistNum=0"_s};
        QTest::newRow("capacity 0 slot 1") << zero << u"HistString"_s << 1 << Value{} << outOfRange;
        QTest::newRow("capacity 0 index 0") << zero << u"HistString"_s << 0 << Value{u""_s} << 0;
        const QStringList huge{u"HistNum=2147483647"_s};
        QTest::newRow("huge capacity slot 1") << huge << u"HistString"_s << 1 << Value{u"続家版露身発"_s} << 0;
        QTest::newRow("huge capacity last slot") << huge << u"RestString"_s << INT32_MAX << Value{u""_s} << 0;
    }
    void getParam()
    {
        QFETCH(QStringList, ini);
        QFETCH(QString, key);
        QFETCH(qint32, index);
        QFETCH(Value, expected);
        QFETCH(int, error);
        SettingsStore store;
        loadLines(&store, ini);
        const QString before = dump(store);
        try {
            QCOMPARE(describe(basParam::GetParam(store, key, index)), describe(expected));
            QCOMPARE(error, 0);
        } catch (const RuntimeError &e) {
            QCOMPARE(int(e.kind()), error);
        }
        QCOMPARE(dump(store), before);
    }

    void setParam_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<Value>("value");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("expected");
        const QString hidden = u"History=False | "_s + kDefaults;
        const int mismatch = RuntimeError::TypeMismatch;
        QTest::newRow("history false") << u"History"_s << Value{false} << 0 << hidden;
        QTest::newRow("history text") << u"History"_s << Value{u"fALSE"_s} << 0 << hidden;
        QTest::newRow("history number") << u"History"_s << Value{qint32(0)} << 0 << hidden;
        QTest::newRow("history not boolean") << u"History"_s << Value{u"hidden"_s} << mismatch << kDefaults;
        QTest::newRow("lower-case key") << u"history"_s << Value{false} << 0 << kDefaults;
        QTest::newRow("unknown key") << u"Colour"_s << Value{u"1"_s} << 0 << kDefaults;
        QTest::newRow("result key ignored") << u"RestString"_s << Value{u"X,Y"_s} << 0 << kDefaults;
        QTest::newRow("font size") << u"FontSize"_s << Value{u" 12 "_s} << 0 << kDefaults + u" | FontSize=12"_s;
        // The 1..99 rule belongs to the file reader.
        QTest::newRow("font size unchecked") << u"FontSize"_s << Value{qint32(150)} << 0 << kDefaults + u" | FontSize=150"_s;
        QTest::newRow("font size overflow") << u"FontSize"_s << Value{u"9999999999"_s} << int(RuntimeError::Overflow) << kDefaults;
        QTest::newRow("font size not number") << u"FontSize"_s << Value{u"big"_s} << mismatch << kDefaults;
        QTest::newRow("font name") << u"FontName"_s << Value{u" IPAGothic"_s} << 0 << kDefaults + u" | FontName= IPAGothic"_s;
        QTest::newRow("font colour") << u"FontColor"_s << Value{u"255000000"_s} << 0 << kDefaults + u" | FontColor=255000000"_s;
        QTest::newRow("capacity") << u"HistNum"_s << Value{qint32(9)} << 0 << u"HistNum=9 | 1:続家版露身発,出"_s;
        QTest::newRow("capacity 0 drops slots") << u"HistNum"_s << Value{qint32(0)} << 0 << u"HistNum=0"_s;
        QTest::newRow("capacity negative") << u"HistNum"_s << Value{qint32(-1)} << int(RuntimeError::InvalidArgument) << kDefaults;
        QTest::newRow("capacity not number") << u"HistNum"_s << Value{u"six"_s} << mismatch << kDefaults;
        QTest::newRow("entry without comma") << u"HistString"_s << Value{u"ABC"_s} << int(RuntimeError::InvalidArgument) << kDefaults;
        QTest::newRow("entry empty value") << u"HistString"_s << Value{} << int(RuntimeError::InvalidArgument) << kDefaults;
    }
    void setParam()
    {
        QFETCH(QString, key);
        QFETCH(Value, value);
        QFETCH(int, error);
        QFETCH(QString, expected);
        SettingsStore store;
        store.setDefaults();
        try {
            basParam::SetParam(store, key, 0, value);
            QCOMPARE(error, 0);
        } catch (const RuntimeError &e) {
            QCOMPARE(int(e.kind()), error);
        }
        QCOMPARE(dump(store), expected);
    }

    void insertion_data()
    {
        QTest::addColumn<QStringList>("ini");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("error");   // of the last entry
        QTest::addColumn<QString>("expected");
        const QStringList none;
        const QStringList six = sixEntries();
        QTest::newRow("first search") << none << QStringList{u"ABC,D"_s} << 0
                                      << u"HistNum=6 | 1:ABC,D | 2:続家版露身発,出"_s;
        QTest::newRow("seventh drops oldest")
            << none << QStringList{u"A,1"_s, u"B,2"_s, u"C,3"_s, u"D,4"_s, u"E,5"_s, u"F,6"_s, u"G,7"_s} << 0
            << u"HistNum=6 | 1:G,7 | 2:F,6 | 3:E,5 | 4:D,4 | 5:C,3 | 6:B,2"_s;
        QTest::newRow("repeat of slot 4") << six << QStringList{u"D,x"_s} << 0
                                          << u"HistNum=6 | 1:D,x | 2:A,1 | 3:B,2 | 4:C,3 | 5:E,5 | 6:F,6"_s;
        QTest::newRow("repeat of slot 1") << six << QStringList{u"A,z"_s} << 0
                                          << u"HistNum=6 | 1:A,z | 2:B,2 | 3:C,3 | 4:D,4 | 5:E,5 | 6:F,6"_s;
        QTest::newRow("repeat of last slot") << six << QStringList{u"F,y"_s} << 0
                                             << u"HistNum=6 | 1:F,y | 2:A,1 | 3:B,2 | 4:C,3 | 5:D,4 | 6:E,5"_s;
        QTest::newRow("order makes a new entry") << none << QStringList{u"AB,1"_s, u"BA,2"_s} << 0
                                                 << u"HistNum=6 | 1:BA,2 | 2:AB,1 | 3:続家版露身発,出"_s;
        QTest::newRow("split at first comma") << none << QStringList{u"A,B,C"_s} << 0
                                              << u"HistNum=6 | 1:A,B,C | 2:続家版露身発,出"_s;
        QTest::newRow("untrimmed and uncut") << none << QStringList{u" 一二三四五六七 , 八九"_s} << 0
                                             << u"HistNum=6 | 1: 一二三四五六七 , 八九 | 2:続家版露身発,出"_s;
        QTest::newRow("empty result") << none << QStringList{u"ABC,"_s} << 0
                                      << u"HistNum=6 | 1:ABC, | 2:続家版露身発,出"_s;
        QTest::newRow("empty letters") << none << QStringList{u","_s} << 0 << u"HistNum=6 | 2:続家版露身発,出"_s;
        QTest::newRow("empty letters full history") << six << QStringList{u","_s} << 0
                                                    << u"HistNum=6 | 2:A,1 | 3:B,2 | 4:C,3 | 5:D,4 | 6:E,5"_s;
        QTest::newRow("search after empty letters") << none << QStringList{u","_s, u"X,1"_s} << 0
                                                    << u"HistNum=6 | 1:X,1 | 3:続家版露身発,出"_s;
        QTest::newRow("rejected without comma") << six << QStringList{u"ABC"_s} << int(RuntimeError::InvalidArgument)
                                                << u"HistNum=6 | 1:A,1 | 2:B,2 | 3:C,3 | 4:D,4 | 5:E,5 | 6:F,6"_s;
        QTest::newRow("capacity 0") << QStringList{u"HistNum=0"_s} << QStringList{u"A,B"_s}
                                    << int(RuntimeError::OutOfRange) << u"HistNum=0"_s;
        QTest::newRow("capacity 1") << QStringList{u"HistNum=1"_s} << QStringList{u"A,B"_s, u"C,D"_s} << 0
                                    << u"HistNum=1 | 1:C,D"_s;
        QTest::newRow("huge capacity") << QStringList{u"HistNum=2147483647"_s} << QStringList{u"A,1"_s, u"B,2"_s} << 0
                                       << u"HistNum=2147483647 | 1:B,2 | 2:A,1 | 3:続家版露身発,出"_s;
        // A hand-edited file repeats A: both copies go, the freed last slot stays free.
        QTest::newRow("letters twice in file")
            << QStringList{u"HistNum=4"_s, u"HistString=A,1"_s, u"HistString=X,2"_s, u"HistString=A,3"_s, u"HistString=Y,4"_s}
            << QStringList{u"A,9"_s} << 0 << u"HistNum=4 | 1:A,9 | 2:X,2 | 3:Y,4"_s;
    }
    void insertion()
    {
        QFETCH(QStringList, ini);
        QFETCH(QStringList, entries);
        QFETCH(int, error);
        QFETCH(QString, expected);
        SettingsStore store;
        loadLines(&store, ini);
        int raised = 0;
        for (const QString &entry : entries) {
            try {
                basParam::SetParam(store, u"HistString"_s, 0, entry);
                raised = 0;
            } catch (const RuntimeError &e) {
                raised = e.kind();
            }
        }
        QCOMPARE(raised, error);
        QCOMPARE(dump(store), expected);
    }

    void historyEntry_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("entry");
        QTest::newRow("six letters") << u"続|家|版|露|身|発"_s << u"出"_s << u"続家版露身発,出"_s;
        QTest::newRow("boxes 0 2 5") << u"続||版|||発"_s << u"出"_s << u"続版発,出"_s;
        QTest::newRow("nothing at all") << u"|||||"_s << u""_s << u","_s;
        QTest::newRow("no answer") << u"続|鳥||||"_s << u""_s << u"続鳥,"_s;
    }
    void historyEntry()
    {
        QFETCH(QString, letters);
        QFETCH(QString, answer);
        QFETCH(QString, entry);
        QCOMPARE(historyEntryText(letters.split(u'|'), answer), entry);
    }

    // Searches alone, whatever their letters, never put the same letters in
    // two slots, and nothing is lost that should have stayed.
    void historyNeverRepeats()
    {
        SettingsStore store;
        store.setDefaults();
        QRandomGenerator random(3);
        const QString alphabet = u"続家版露身発出"_s;
        for (int n = 0; n < 500; ++n) {
            QString letters;
            for (int k = random.bounded(3); k > 0; --k)
                letters += alphabet[random.bounded(alphabet.size())];
            const QString before = dump(store);
            basParam::SetParam(store, u"HistString"_s, 0, letters + u',' + QString::number(n));
            QCOMPARE(store.letters(1), letters);
            QCOMPARE(store.result(1), QString::number(n));
            QSet<QString> seen;
            for (qsizetype i = 1; i <= store.slotCount(); ++i) {
                const QString l = store.letters(i);
                QVERIFY2(l.isEmpty() || !seen.contains(l), qPrintable(before + u" -> "_s + dump(store)));
                seen.insert(l);
            }
        }
    }

    void readFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        auto sj = [](const QString &text) { return sjis(text); };
        const QString d = kDefaults;
        QTest::newRow("empty file") << QByteArray() << d;
        QTest::newRow("written file") << sj(u"[tolvo]\r\n\r\nHistNum=6\r\nHistString=続家版露身発,出\r\n"_s) << d;
        QTest::newRow("key case and spaces") << sj(u"  histnum = 10"_s) << u"HistNum=10 | 1:続家版露身発,出"_s;
        QTest::newRow("negative capacity") << sj(u"HistNum=-4"_s) << u"HistNum=4 | 1:続家版露身発,出"_s;
        QTest::newRow("capacity not a number") << sj(u"HistNum=abc"_s) << d;
        QTest::newRow("capacity rounds to even") << sj(u"HistNum=2.5"_s) << u"HistNum=2 | 1:続家版露身発,出"_s;
        QTest::newRow("capacity int min") << sj(u"HistNum=-2147483648"_s) << d;
        QTest::newRow("capacity past int max") << sj(u"HistNum=2147483648"_s) << d;
        QTest::newRow("capacity negative int max") << sj(u"HistNum=-2147483647"_s) << u"HistNum=2147483647 | 1:続家版露身発,出"_s;
        QTest::newRow("capacity 0") << sj(u"HistNum=0"_s) << u"HistNum=0"_s;
        QTest::newRow("capacity 0 then 6") << sj(u"HistNum=0\r\nHistNum=6"_s) << u"HistNum=6"_s;
        QTest::newRow("shrink keeps what fits")
            << sj(u"HistString=A,1\r\nHistString=B,2\r\nHistString=C,3\r\nHistNum=2\r\nHistNum=5"_s)
            << u"HistNum=5 | 1:A,1 | 2:B,2"_s;
        QTest::newRow("font size 0") << sj(u"FontSize=0"_s) << d;
        QTest::newRow("font size 150") << sj(u"FontSize=150"_s) << d;
        QTest::newRow("font size 40000") << sj(u"FontSize=40000"_s) << d;
        QTest::newRow("font size 12") << sj(u"FontSize=12"_s) << d + u" | FontSize=12"_s;
        QTest::newRow("font size then junk") << sj(u"FontSize=12\r\nFontSize=abc"_s) << d + u" | FontSize=12"_s;
        QTest::newRow("font size then overflow") << sj(u"FontSize=12\r\nFontSize=40000"_s) << d + u" | FontSize=12"_s;
        QTest::newRow("font size then 0") << sj(u"FontSize=12\r\nFontSize=0"_s) << d;
        QTest::newRow("font size fraction") << sj(u"FontSize= 12.5 "_s) << d + u" | FontSize=12"_s;
        QTest::newRow("colour five digits") << sj(u"FontColor=12345"_s) << d;
        QTest::newRow("colour ten digits") << sj(u"FontColor=1234567890"_s) << d;
        QTest::newRow("colour spaced") << sj(u"FontColor=  255000128  "_s) << d + u" | FontColor=255000128"_s;
        QTest::newRow("colour not examined") << sj(u"FontColor=abcdefghi"_s) << d + u" | FontColor=abcdefghi"_s;
        QTest::newRow("font name trimmed") << sj(u"FontName=  IPAGothic  "_s) << d + u" | FontName=IPAGothic"_s;
        QTest::newRow("font name empty") << sj(u"FontName="_s) << d + u" | FontName="_s;
        QTest::newRow("font name last wins") << sj(u"FontName=A\r\nFontName=B"_s) << d + u" | FontName=B"_s;
        QTest::newRow("value keeps equals") << sj(u"FontName=a=b"_s) << d + u" | FontName=a=b"_s;
        QTest::newRow("history false") << sj(u"History=False"_s) << u"History=False | "_s + d;
        QTest::newRow("history zero spaced") << sj(u"hIsToRy=  0 "_s) << u"History=False | "_s + d;
        QTest::newRow("history junk") << sj(u"History=no"_s) << d;
        QTest::newRow("history last wins") << sj(u"History=False\r\nHistory=1"_s) << d;
        QTest::newRow("result key not in file") << sj(u"RestString=X"_s) << d;
        QTest::newRow("entry without comma skipped")
            << sj(u"HistString=A,1\r\nHistString=none\r\nHistString=B,2"_s) << u"HistNum=6 | 1:A,1 | 2:B,2"_s;
        QTest::newRow("entry cut to six and one") << sj(u"HistString=一二三四五六七 , 八九"_s)
                                                  << u"HistNum=6 | 1:一二三四五六,八"_s;
        QTest::newRow("entry only comma") << sj(u"HistString=,\r\nHistString=A,1"_s) << u"HistNum=6 | 2:A,1"_s;
        QTest::newRow("entries past capacity")
            << sj(u"HistNum=3\r\nHistString=A,1\r\nHistString=B,2\r\nHistString=C,3\r\nHistString=D,4\r\nHistString=E,5"_s)
            << u"HistNum=3 | 1:A,1 | 2:B,2 | 3:C,3"_s;
        QTest::newRow("counter keeps counting")
            << sj(sixEntries().join(u"\r\n"_s) + u"\r\nHistString=G,7\r\nHistNum=10\r\nHistString=H,8"_s)
            << u"HistNum=10 | 1:A,1 | 2:B,2 | 3:C,3 | 4:D,4 | 5:E,5 | 6:F,6 | 8:H,8"_s;
        QTest::newRow("section lines ignored") << sj(u"[other]\r\n\r\n[HistNum=3]\r\nHistNum=5\r\n"_s)
                                               << u"HistNum=5 | 1:続家版露身発,出"_s;
        QTest::newRow("only equals") << sj(u"=\r\n==\r\n = \r\n="_s) << d;
        QTest::newRow("tab before key") << sj(u"\tHistNum=3"_s) << d;
        QTest::newRow("tab after key") << sj(u"HistNum\t=3"_s) << d;
        QTest::newRow("tab in number") << sj(u"HistNum=\t3"_s) << d;
        QTest::newRow("tabs stay in text") << sj(u"FontName=\tX\t"_s) << d + u" | FontName=\tX\t"_s;
        QTest::newRow("full-width space before key") << sj(u"\u3000HistNum=3"_s) << d;
        QTest::newRow("full-width space stays") << sj(u"FontName=\u3000X\u3000"_s) << d + u" | FontName=\u3000X\u3000"_s;
        QTest::newRow("lone lf ends the line") << "FontName=a\nb\r\nHistNum=3"_ba
                                               << u"HistNum=3 | 1:続家版露身発,出 | FontName=a"_s;
        QTest::newRow("cr alone ends line") << "HistNum=3\rHistNum=4"_ba << u"HistNum=4 | 1:続家版露身発,出"_s;
        static const char nul[] = "Hist\0Num=3\r\nHistNum=\0" "3\r\nFontName=a\0b";
        QTest::newRow("nul bytes") << QByteArray(nul, sizeof nul - 1)
                                   << d + u" | FontName=a"_s + QChar(0) + u"b"_s;
        QTest::newRow("utf-8 mark before a key") << "\xEF\xBB\xBFHistNum=3"_ba << u"HistNum=3 | 1:続家版露身発,出"_s;
        // Only a file whose every non-ASCII line is UTF-8 is read as UTF-8.
        const QByteArray utf8Name = u"FontName=游ゴシック"_s.toUtf8();
        QTest::newRow("utf-8 line among shift_jis lines") << sj(u"HistString=続家版,出\r\n"_s) + utf8Name
                                                          << u"HistNum=6 | 1:続家版,出 | "_s + cp932::decode(utf8Name);
        QTest::newRow("invalid bytes") << "HistString=\x80\x81,\xa0"_ba << u"HistNum=6 | 1:\uFFFD\uFFFD,\uFFFD"_s;
    }
    void readFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        SettingsStore store;
        QVERIFY(basParam::LoadParams(store, writeBytes(dir, u"tolvo.ini"_s, bytes)));
        QCOMPARE(dump(store), expected);
    }

    // Nothing here may hang, crash or hold much more than the file.
    void hugeFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint32>("histNum");
        QTest::addColumn<qsizetype>("slotCount");
        QTest::addColumn<qsizetype>("fontNameSize");
        const qsizetype tenMB = 10 << 20;
        QTest::newRow("10 MB line") << QByteArray(tenMB, 'x') + "\r\nHistNum=3" << 3 << qsizetype(1) << qsizetype(8);
        QTest::newRow("10 MB font name") << "FontName=" + QByteArray(tenMB, 'y') << 6 << qsizetype(1) << tenMB;
        QTest::newRow("10 MB entry") << "HistString=" + QByteArray(tenMB, 'z') + ",q" << 6 << qsizetype(1) << qsizetype(8);
        QTest::newRow("10 MB of nul") << QByteArray(tenMB, '\0') << 6 << qsizetype(1) << qsizetype(8);
        QByteArray entries;
        for (int i = 0; i < 100000; ++i)
            entries += "HistString=" + QByteArray::number(i) + ",x\r\n";
        QTest::newRow("100000 entries") << entries << 6 << qsizetype(6) << qsizetype(8);
        QTest::newRow("100000 entries huge capacity") << "HistNum=2147483647\r\n" + entries << INT32_MAX
                                                      << qsizetype(100000) << qsizetype(8);
    }
    void hugeFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint32, histNum);
        QFETCH(qsizetype, slotCount);
        QFETCH(qsizetype, fontNameSize);
        QTemporaryDir dir;
        SettingsStore store;
        QVERIFY(basParam::LoadParams(store, writeBytes(dir, u"tolvo.ini"_s, bytes)));
        QCOMPARE(store.histNum(), histNum);
        QCOMPARE(store.slotCount(), slotCount);
        QCOMPARE(store.fontName().size(), fontNameSize);
        QVERIFY(store.letters(1).size() <= 6);
        // A search still goes in without walking the capacity.
        basParam::SetParam(store, u"HistString"_s, 0, u"新,字"_s);
        QCOMPARE(store.letters(1), u"新"_s);
        QCOMPARE(store.slotCount(), qMin<qsizetype>(histNum, slotCount + 1));
    }

    void unopenable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << u"missing"_s;
        QTest::newRow("directory") << u"directory"_s;
        QTest::newRow("symlink loop") << u"loop"_s;
        QTest::newRow("below a plain file") << u"below file"_s;
        QTest::newRow("no read permission") << u"mode 000"_s;
    }
    void unopenable()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(u"tolvo.ini"_s);
        if (kind == u"directory") {
            QVERIFY(QDir(dir.path()).mkdir(u"tolvo.ini"_s));
        } else if (kind == u"loop") {
            QVERIFY(QFile::link(path, path));
        } else if (kind == u"below file") {
            path = writeBytes(dir, u"plain"_s, "HistNum=3"_ba) + u"/tolvo.ini"_s;
        } else if (kind == u"mode 000") {
            if (::geteuid() == 0)
                QSKIP("root reads any file");
            writeBytes(dir, u"tolvo.ini"_s, "HistNum=3"_ba);
            QVERIFY(QFile::setPermissions(path, {}));
        }
        SettingsStore store;
        store.setDefaults();
        basParam::SetParam(store, u"History"_s, 0, false);
        basParam::SetParam(store, u"HistString"_s, 0, u"A,B"_s);
        QVERIFY(!basParam::LoadParams(store, path));
        QCOMPARE(dump(store), kDefaults);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
