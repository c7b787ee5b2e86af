// tolvo-mkstrokes: writes tolvo.strokes, the kanji pad's stroke templates,
// at build time from the stroke ends of Debian's python3-kanjidraw
// (kanjidraw/data.json, derived from KanjiVG), for the heads of tolvo.dic.
//
// The file: the line "tolvo.strokes 1\n", then one record per kanji in
// code-point order: the UTF-16 code unit (2 bytes, little-endian), the
// stroke count (1 byte) and, per stroke in writing order, its start and
// end x, y (1 byte each). The coordinates are fitted to the kanji: the box
// round its stroke ends is scaled, keeping its shape, so that its longer
// side spans 0 to 255, and centred on 127.5 in the other direction.
#include "dictionary/dictionary.h"
#include "mkdic.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &message)
{
    fprintf(stderr, "tolvo-mkstrokes: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"tolvo-mkstrokes"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Writes the kanji pad's stroke templates for the heads of a dictionary."_s);
    parser.addHelpOption();
    const QCommandLineOption strokesOption(u"kanjidraw"_s, u"kanjidraw's data.json (stroke ends by stroke count)."_s,
                                           u"FILE"_s, u"/usr/lib/python3/dist-packages/kanjidraw/data.json"_s);
    const QCommandLineOption dictionaryOption(u"d"_s, u"The dictionary whose heads get templates."_s, u"DICTIONARY"_s);
    const QCommandLineOption outputOption(u"o"_s, u"Where to write the templates."_s, u"OUTPUT"_s);
    parser.addOptions({strokesOption, dictionaryOption, outputOption});
    parser.process(app);
    if (!parser.isSet(outputOption) || !parser.isSet(dictionaryOption) || !parser.positionalArguments().isEmpty()) {
        fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }

    const QString dictionaryPath = parser.value(dictionaryOption);
    DictionaryStore dictionary;
    if (readDictionaryFile(dictionaryPath, dictionary) != DictionaryLoad::Loaded)
        return fail(u"cannot read the dictionary "_s + dictionaryPath);

    const QString inputPath = parser.value(strokesOption);
    QByteArray input;
    QString why;
    if (!mkdic::readInputFile(inputPath, &input, &why))
        return fail(u"cannot read "_s + inputPath + u": "_s + why + u" (Debian's python3-kanjidraw package provides it)"_s);
    QJsonParseError error;
    const QJsonObject byCount = QJsonDocument::fromJson(input, &error).object();
    if (error.error != QJsonParseError::NoError || byCount.isEmpty())
        return fail(inputPath + u": not kanjidraw's stroke data: "_s + error.errorString());

    // data.json groups the kanji by stroke count; the file wants them by code point.
    std::map<char16_t, QJsonArray> strokes;
    for (auto group = byCount.begin(); group != byCount.end(); ++group) {
        const QJsonObject kanji = group.value().toObject();
        for (auto k = kanji.begin(); k != kanji.end(); ++k) {
            if (k.key().size() == 1)
                strokes[k.key()[0].unicode()] = k.value().toArray();
        }
    }

    QByteArray bytes = "tolvo.strokes 1\n";
    int written = 0, without = 0;
    for (qint32 n = 0; n < dictionary.lineCount(); ++n) {
        const char16_t head = dictionary.firstUnits()[n];
        const auto found = strokes.find(head);
        if (found == strokes.end() || found->second.isEmpty() || found->second.size() > 255) {
            ++without;
            continue;
        }
        double left = qInf(), top = qInf(), right = -qInf(), bottom = -qInf();
        for (const QJsonValue &stroke : found->second) {
            const QJsonArray ends = stroke.toArray();
            if (ends.size() != 4)
                return fail(inputPath + u": a stroke of "_s + QChar(head) + u" is not [x1, y1, x2, y2]"_s);
            for (int i = 0; i < 4; i += 2) {
                left = std::min(left, ends[i].toDouble());
                right = std::max(right, ends[i].toDouble());
                top = std::min(top, ends[i + 1].toDouble());
                bottom = std::max(bottom, ends[i + 1].toDouble());
            }
        }
        const double scale = 255.0 / std::max({right - left, bottom - top, 1e-9});
        const double cx = (left + right) / 2, cy = (top + bottom) / 2;
        const auto fit = [scale](double v, double centre) {
            return char(quint8(std::clamp(std::lround((v - centre) * scale + 127.5), 0L, 255L)));
        };
        bytes += char(head & 0xff);
        bytes += char(head >> 8);
        bytes += char(quint8(found->second.size()));
        for (const QJsonValue &stroke : found->second) {
            const QJsonArray ends = stroke.toArray();
            bytes += fit(ends[0].toDouble(), cx);
            bytes += fit(ends[1].toDouble(), cy);
            bytes += fit(ends[2].toDouble(), cx);
            bytes += fit(ends[3].toDouble(), cy);
        }
        ++written;
    }
    if (written == 0)
        return fail(inputPath + u": none of the dictionary's heads has strokes there"_s);

    const QString outputPath = parser.value(outputOption);
    if (!mkdic::writeWhole(outputPath, bytes, &why))
        return fail(why);
    fprintf(stderr, "tolvo-mkstrokes: %s: %d kanji, %d heads without strokes, %lld bytes\n", qPrintable(outputPath),
            written, without, static_cast<long long>(bytes.size()));
    return 0;
}
