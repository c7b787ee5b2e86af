// tolvo-mkkanji: writes tolvo.kanji, the kanji pad's readings, from
// Debian's KANJIDIC at build time.
#include "mkdic.h"
#include "mkkanji.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &message)
{
    fprintf(stderr, "tolvo-mkkanji: %s\n", qPrintable(message));
    return 1;
}

QByteArray fileOf(const QStringList &lines)
{
    return QString(lines.join(u'\n') + u'\n').toUtf8();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"tolvo-mkkanji"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Writes the kanji pad's readings file (UTF-8) from KANJIDIC."_s);
    parser.addHelpOption();
    const QCommandLineOption kanjidicOption(u"kanjidic"_s, u"KANJIDIC file (EUC-JP)."_s, u"FILE"_s,
                                            u"/usr/share/edict/kanjidic"_s);
    const QCommandLineOption outputOption(u"o"_s, u"Where to write the readings file."_s, u"OUTPUT"_s);
    const QCommandLineOption gradesOption(u"g"_s, u"Where to write the grades file (UTF-8), if at all."_s,
                                          u"GRADES"_s);
    parser.addOptions({kanjidicOption, outputOption, gradesOption});
    parser.process(app);
    if (!parser.isSet(outputOption) || !parser.positionalArguments().isEmpty()) {
        fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }

    const QString inputPath = parser.value(kanjidicOption);
    QByteArray input;
    QString text, why;
    if (!mkdic::readInputFile(inputPath, &input, &why))
        return fail(u"cannot read "_s + inputPath + u": "_s + why + u" (Debian's kanjidic package provides it)"_s);
    if (!mkdic::decodeEucJp(input, &text, &why))
        return fail(inputPath + u": "_s + why);
    const QStringList lines = mkkanji::readingLines(text);
    if (lines.size() < 2)
        return fail(inputPath + u": no kanji with a reading found; is this a KANJIDIC file?"_s);

    const QString outputPath = parser.value(outputOption);
    if (!mkdic::writeWhole(outputPath, fileOf(lines), &why)
        || (parser.isSet(gradesOption)
            && !mkdic::writeWhole(parser.value(gradesOption), fileOf(mkkanji::gradeLines(text)), &why)))
        return fail(why);
    fprintf(stderr, "tolvo-mkkanji: %s: %lld kanji\n", qPrintable(outputPath), static_cast<long long>(lines.size() - 1));
    return 0;
}
