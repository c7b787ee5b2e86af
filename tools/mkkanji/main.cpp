// tolvo-mkkanji: writes tolvo.kanji, the kanji pad's readings, from
// Debian's KANJIDIC at build time.
#include "mkdic.h"
#include "mkkanji.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &message)
{
    fprintf(stderr, "tolvo-mkkanji: %s\n", qPrintable(message));
    return 1;
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
    parser.addOptions({kanjidicOption, outputOption});
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

    // Whole or not at all: the program must never find half a file.
    const QString outputPath = parser.value(outputOption);
    const QByteArray bytes = QString(lines.join(u'\n') + u'\n').toUtf8();
    QDir().mkpath(QFileInfo(outputPath).absolutePath());
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return fail(u"cannot write "_s + outputPath + u": "_s + out.errorString());
    fprintf(stderr, "tolvo-mkkanji: %s: %lld kanji\n", qPrintable(outputPath), static_cast<long long>(lines.size() - 1));
    return 0;
}
