// tolvo-mkdic: writes tolvo.dic from Debian's EDICT and KANJIDIC at build time.
#include "mkdic.h"

#include "platform/cp932.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringDecoder>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &message)
{
    fprintf(stderr, "tolvo-mkdic: %s\n", qPrintable(message));
    return 1;
}

// The decoded text of an EUC-JP input file, or a message saying which file
// and what went wrong.
bool readEucJp(const QString &path, const QString &package, QString *text, QString *error)
{
    QByteArray bytes;
    QString why;
    if (!mkdic::readInputFile(path, &bytes, &why)) {
        *error = u"cannot read "_s + path + u": "_s + why + u" (Debian's "_s + package + u" package provides it)"_s;
        return false;
    }
    if (!mkdic::decodeEucJp(bytes, text, &why)) {
        *error = path + u": "_s + why;
        return false;
    }
    return true;
}

// The word-cost table (UTF-8), checked line by line.
bool readWordCosts(const QString &path, mkdic::DictionaryBuilder &builder, QString *error)
{
    QByteArray bytes;
    QString why;
    if (!mkdic::readInputFile(path, &bytes, &why)) {
        *error = u"cannot read the word-cost table "_s + path + u": "_s + why + u" (make word-costs regenerates it)"_s;
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        why = u"line "_s + QString::number(QStringView(text).left(text.indexOf(QChar::ReplacementCharacter)).count(u'\n') + 1)
            + u": not valid UTF-8"_s;
    else if (builder.addWordCosts(text, &why))
        return true;
    *error = path + u": "_s + why;
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"tolvo-mkdic"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Builds the tolvo kanji-partner dictionary (code page 932, CR LF) "
                                     "from EDICT and KANJIDIC."_s);
    parser.addHelpOption();
    const QCommandLineOption edictOption(u"edict"_s, u"EDICT file (EUC-JP)."_s, u"FILE"_s,
                                         u"/usr/share/edict/edict"_s);
    const QCommandLineOption kanjidicOption(u"kanjidic"_s, u"KANJIDIC file (EUC-JP)."_s, u"FILE"_s,
                                            u"/usr/share/edict/kanjidic"_s);
    const QCommandLineOption costsOption(u"word-costs"_s,
                                         u"Word-cost table (UTF-8, from tools/mkdic/make-word-costs.py)."_s,
                                         u"FILE"_s, QString::fromUtf8(TOLVO_WORD_COSTS));
    const QCommandLineOption outputOption(u"o"_s, u"Where to write the dictionary."_s, u"OUTPUT"_s);
    const QCommandLineOption wordsOption(u"w"_s, u"Where to write the words file (UTF-8), if at all."_s,
                                         u"WORDS"_s);
    parser.addOptions({edictOption, kanjidicOption, costsOption, outputOption, wordsOption});
    parser.process(app);

    if (!parser.isSet(outputOption) || !parser.positionalArguments().isEmpty()) {
        fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }
    QString why;
    if (!cp932::available(&why))
        return fail(why);

    QString edict, kanjidic, error;
    if (!readEucJp(parser.value(edictOption), u"edict"_s, &edict, &error)
        || !readEucJp(parser.value(kanjidicOption), u"kanjidic"_s, &kanjidic, &error))
        return fail(error);

    mkdic::DictionaryBuilder builder;
    if (!readWordCosts(parser.value(costsOption), builder, &error))
        return fail(error);
    builder.addKanjidic(kanjidic);
    builder.addEdict(edict);
    const QStringList lines = builder.lines();
    if (lines.isEmpty())
        return fail(parser.value(edictOption) + u": no two-kanji word found; is this an EDICT file?"_s);

    QByteArray bytes;
    if (!mkdic::encodeDictionary(lines, &bytes, &error))
        return fail(error);

    const QString outputPath = parser.value(outputOption);
    if (!mkdic::writeWhole(outputPath, bytes, &error))
        return fail(error);
    if (parser.isSet(wordsOption)
        && !mkdic::writeWhole(parser.value(wordsOption), QString(builder.wordLines().join(u'\n') + u'\n').toUtf8(), &error))
        return fail(error);

    qsizetype partners = 0;
    for (const QString &line : lines)
        partners += line.size() - 1;
    fprintf(stderr, "tolvo-mkdic: %s: %lld lines, %lld partners\n", qPrintable(outputPath),
            static_cast<long long>(lines.size()), static_cast<long long>(partners));
    return 0;
}
