#include "platform/cp932.h"
#include "platform/textfile.h"
#include "tempfiles.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTextFile : public QObject
{
    Q_OBJECT

    QStringList read(const QByteArray &bytes)
    {
        QTemporaryDir dir;
        const QString path = writeBytes(dir, u"f.txt"_s, bytes);
        QStringList lines;
        textfile::readLines(path, [&](QString &&l) { lines.append(l); });
        return lines;
    }

private slots:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << "ab\r\ncd\r\n"_ba << QStringList{u"ab"_s, u"cd"_s};
        QTest::newRow("cr only") << "ab\rcd\r"_ba << QStringList{u"ab"_s, u"cd"_s};
        QTest::newRow("lone lf stays") << "ab\ncd\n"_ba << QStringList{u"ab\ncd\n"_s};
        QTest::newRow("last line unterminated") << "ab\r\ncd"_ba << QStringList{u"ab"_s, u"cd"_s};
        QTest::newRow("empty lines kept") << "\r\n\r\nx"_ba << QStringList{u""_s, u""_s, u"x"_s};
        QTest::newRow("only crs") << "\r\r\r"_ba << QStringList{u""_s, u""_s, u""_s};
        QTest::newRow("lf cr") << "a\n\rb"_ba << QStringList{u"a\n"_s, u"b"_s};
        QTest::newRow("empty file") << ""_ba << QStringList{};
        QTest::newRow("shift_jis kanji") << sjis(u"続出\r\n家出"_s) << QStringList{u"続出"_s, u"家出"_s};
        // Code page 932, not plain Shift_JIS: 0x815F is the full-width backslash.
        QTest::newRow("windows mapping") << "\x81\x5f\x81\x60\x5c"_ba << QStringList{u"＼～\\"_s};
        QTest::newRow("nul bytes kept") << QByteArray("a\0b\r\n", 5) << QStringList{QStringView(u"a\0b", 3).toString()};
        QTest::newRow("invalid lead byte") << "\x85\x40z"_ba << QStringList{u"\uFFFD@z"_s};
        QTest::newRow("lead byte before cr") << "\x81\r\x8f\x6f"_ba << QStringList{u"\uFFFD"_s, u"出"_s};
        QTest::newRow("lone bytes 80 a0 fd") << "\x80\xa0\xfd"_ba << QStringList{u"\uFFFD\uFFFD\uFFFD"_s};
        QTest::newRow("half-width katakana") << "\xb1\xb2"_ba << QStringList{u"ｱｲ"_s};
        QTest::newRow("sub byte is not an error") << "\x1a"_ba << QStringList{u"\x1a"_s};
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(read(bytes), lines);
    }

    // Line ends that straddle the reader's chunks behave like any other,
    // whether or not a lone LF ends a line.
    void chunkBoundaries()
    {
        const int chunk = 1 << 20;
        for (bool lf : {false, true}) {
            for (int shift : {-2, -1, 0}) {
                QByteArray bytes(chunk + shift, 'a');
                bytes += "\r\nb\r\n";
                QTemporaryDir dir;
                QStringList lines;
                textfile::ReadOptions options;
                options.lfEndsLine = lf;
                textfile::readLines(writeBytes(dir, u"f"_s, bytes), [&](QString &&l) { lines.append(l); }, nullptr,
                                    options);
                QCOMPARE(lines.size(), 2);
                QCOMPARE(lines[0].size(), chunk + shift);
                QCOMPARE(lines[1], u"b"_s);
            }
        }
        // A two-byte character cut by the chunk edge is still one character.
        QByteArray bytes(chunk - 1, 'a');
        bytes += "\x8f\x6f\r\n";
        QCOMPARE(read(bytes).first().right(1), u"出"_s);
    }

    void openErrors()
    {
        QTemporaryDir dir;
        textfile::FileError error;
        QVERIFY(!textfile::readLines(dir.filePath(u"missing"_s), [](QString &&) {}, &error));
        QCOMPARE(error.number, ENOENT);
        QVERIFY(!error.description.isEmpty());
        QVERIFY(!textfile::readLines(dir.path(), [](QString &&) {}, &error));
        QCOMPARE(error.number, EISDIR);
        const QString file = writeBytes(dir, u"plain"_s, "x"_ba);
        QVERIFY(!textfile::readLines(file + u"/below"_s, [](QString &&) {}, &error));
        QCOMPARE(error.number, ENOTDIR);
    }

    // The limits at their edges: a file or line beyond one is refused, and
    // nothing of that line is delivered.
    void rawLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("fileLimit");
        QTest::addColumn<qint64>("lineLimit");
        QTest::addColumn<textfile::ReadStatus>("status");
        QTest::addColumn<QByteArrayList>("lines");
        using enum textfile::ReadStatus;
        QTest::newRow("line at the limit") << "abc\r\nde"_ba << 0ll << 3ll << Done << QByteArrayList{"abc", "de"};
        QTest::newRow("line over the limit") << "ab\r\nabcd\r\nx"_ba << 0ll << 3ll << TooLarge << QByteArrayList{"ab"};
        QTest::newRow("last line over the limit") << "ab\ncdef"_ba << 0ll << 3ll << TooLarge << QByteArrayList{"ab"};
        QTest::newRow("file at the limit") << "ab\r\ncd"_ba << 6ll << 0ll << Done << QByteArrayList{"ab", "cd"};
        QTest::newRow("file over the limit") << "ab\r\ncd"_ba << 5ll << 0ll << TooLarge << QByteArrayList{};
    }
    void rawLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, fileLimit);
        QFETCH(qint64, lineLimit);
        QTemporaryDir dir;
        textfile::ReadOptions options;
        options.lfEndsLine = true;
        options.fileLimit = fileLimit;
        options.lineLimit = lineLimit;
        QByteArrayList lines;
        const auto onLine = [&lines](QByteArrayView l) {
            lines.append(l.toByteArray());
            return true;
        };
        QTEST(textfile::readRawLines(writeBytes(dir, u"f"_s, bytes), onLine, nullptr, options), "status");
        QTEST(lines, "lines");
    }

    void readLimitEndsTheFile()
    {
        QTemporaryDir dir;
        const QString path = writeBytes(dir, u"f"_s, "ab\r\ncd\r\nef"_ba);
        QStringList lines;
        textfile::readLines(path, [&](QString &&l) { lines.append(l); }, nullptr, {5});
        QCOMPARE(lines, (QStringList{u"ab"_s, u"c"_s}));
    }

    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("bad");
        QTest::newRow("kanji") << u"出"_s << true << "\x8f\x6f\r\n"_ba << QString();
        QTest::newRow("empty") << QString() << true << "\r\n"_ba << QString();
        QTest::newRow("full-width tilde") << u"～"_s << true << "\x81\x60\r\n"_ba << QString();
        QTest::newRow("euro sign") << u"A€"_s << false << QByteArray() << u"€"_s;
        QTest::newRow("accented latin") << u"é"_s << false << QByteArray() << u"é"_s;
        QTest::newRow("outside the bmp") << u"𠮷"_s << false << QByteArray() << u"𠮷"_s;
        QTest::newRow("question mark itself") << u"?"_s << true << "?\r\n"_ba << QString();
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, bad);
        QByteArray out;
        QString badChar;
        QCOMPARE(textfile::encodeLine(text, &out, &badChar), ok);
        if (ok)
            QCOMPARE(out, bytes);
        else
            QCOMPARE(badChar, bad);
    }

    // Every two-byte code the platform maps decodes to one character that
    // encodes back to some code for the same character.
    void tableRoundTrips()
    {
        QVERIFY(cp932::available());
        int mapped = 0;
        for (int lead = 0x81; lead <= 0xFC; ++lead)
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char two[2] = {char(lead), char(trail)};
                const QString s = cp932::decode(QByteArrayView(two, 2));
                if (s.size() != 1 || s[0] == QChar(0xFFFD))
                    continue;
                ++mapped;
                QByteArray back;
                QVERIFY2(cp932::encode(s, &back), qPrintable(QString::number(lead << 8 | trail, 16)));
                QCOMPARE(cp932::decode(back), s);
            }
        QVERIFY(mapped > 7000);
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
