#include "picture/picturereader.h"

#include "dictionary/dictionary.h"
#include "picture/cellfinder.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QRawFont>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#ifdef _OPENMP
#include <omp.h>
#endif
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace picture {

namespace {

// Below this confidence (tesseract's 0–100) a letter is left for the player
// to check. A kanji the model has no output for comes out as a look-alike
// it has, mostly one of the same radical, and often at 90–95 where a kanji
// read right is at 97–99; Japanese lacks half the dictionary's heads, so
// the bar stands above those look-alikes.
constexpr float kSureConfidence = 88;
constexpr float kSureWhenLacking = 96;

// Katakana and marks that a single cell shows the same as a kanji; the
// Japanese model reads them more readily than the kanji.
constexpr std::pair<char16_t, char16_t> kLookAlikes[] = {
    {u'カ', u'力'}, {u'ロ', u'口'}, {u'エ', u'工'}, {u'タ', u'夕'}, {u'ト', u'卜'}, {u'ニ', u'二'},
    {u'ハ', u'八'}, {u'ヒ', u'匕'}, {u'ー', u'一'}, {u'メ', u'乂'}, {u'チ', u'千'},
};

QString resolvedDataPath(const QString &dataPath)
{
    QStringList tries;
    if (!dataPath.isEmpty()) {
        tries << dataPath;
    } else {
        const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
        if (!prefix.isEmpty())
            tries << prefix << prefix + u"/tessdata"_s;
        else
            tries << u"/usr/share/tesseract-ocr/5/tessdata"_s << u"/usr/share/tesseract-ocr/4.00/tessdata"_s;
    }
    for (const QString &dir : tries)
        if (QFileInfo(dir + u"/jpn.traineddata"_s).isFile())
            return QDir::cleanPath(dir);
    return {};
}

struct Symbol {
    QChar letter;
    float confidence;
};

// The allowed letters tesseract reads in image, look-alikes mapped.
std::vector<Symbol> readSymbols(tesseract::TessBaseAPI &api, const QImage &image, const QString &allowed)
{
    std::vector<Symbol> out;
    api.SetImage(image.constBits(), image.width(), image.height(), 1, int(image.bytesPerLine()));
    if (api.Recognize(nullptr) == 0) {
        std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
        if (it) {
            do {
                const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_SYMBOL));
                if (!text)
                    continue;
                const QString s = QString::fromUtf8(text.get());
                if (s.size() != 1)
                    continue;
                QChar c = s[0];
                for (const auto &[kana, kanji] : kLookAlikes)
                    if (c == QChar(kana))
                        c = QChar(kanji);
                if (allowed.contains(c))
                    out.push_back({c, it->Confidence(tesseract::RIL_SYMBOL)});
            } while (it->Next(tesseract::RIL_SYMBOL));
        }
    }
    api.Clear();
    return out;
}

// The letter's cell twice side by side, as a line of two.
QImage doubled(const QImage &glyph)
{
    QImage out(glyph.width() * 2, glyph.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < glyph.height(); ++y) {
        const uchar *from = glyph.constScanLine(y);
        uchar *to = out.scanLine(y);
        std::copy_n(from, glyph.width(), to);
        std::copy_n(from, glyph.width(), to + glyph.width());
    }
    return out;
}

// A letter's shape for comparing with another: its ink's box scaled into a
// square of kShapeSide, zero mean and unit length.
constexpr int kShapeSide = 16;
using Shape = std::array<float, kShapeSide * kShapeSide>;

// The shape of what an 8-bit image holds: ink is dark (a letter's cell,
// Grayscale8) or opaque (a glyph's alpha map, Alpha8).
bool shapeOf(const QImage &image, bool inkOpaque, Shape &out)
{
    const int w = image.width(), h = image.height();
    const auto dark = [&](int x, int y) {
        const uchar v = image.constScanLine(y)[x];
        return inkOpaque ? int(v) : 255 - int(v);
    };
    QRect ink;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (dark(x, y) > 127)
                ink |= QRect(x, y, 1, 1);
    if (ink.isEmpty())
        return false;
    // Each square of the shape the mean of 3 × 3 samples of the ink's box,
    // centred in a square as wide as its longer side.
    const double side = std::max(ink.width(), ink.height());
    const double left = ink.x() + (ink.width() - side) / 2, top = ink.y() + (ink.height() - side) / 2;
    const double step = side / (kShapeSide * 3);
    double sum = 0;
    for (int y = 0; y < kShapeSide; ++y)
        for (int x = 0; x < kShapeSide; ++x) {
            int d = 0;
            for (int sy = 0; sy < 3; ++sy)
                for (int sx = 0; sx < 3; ++sx) {
                    const int px = int(left + ((x * 3 + sx) + 0.5) * step), py = int(top + ((y * 3 + sy) + 0.5) * step);
                    if (px >= 0 && py >= 0 && px < w && py < h)
                        d += dark(px, py);
                }
            sum += out[size_t(y * kShapeSide + x)] = float(d) / 9;
        }
    const float mean = float(sum / out.size());
    double norm = 0;
    for (float &v : out) {
        v -= mean;
        norm += double(v) * v;
    }
    if (norm <= 0)
        return false;
    for (float &v : out)
        v = float(v / std::sqrt(norm));
    return true;
}

float likeness(const Shape &a, const Shape &b)
{
    float d = 0;
    for (size_t i = 0; i < a.size(); ++i)
        d += a[i] * b[i];
    return d;
}

PictureResult failure(PictureError error)
{
    PictureResult r;
    r.error = error;
    r.message = errorMessage(error);
    return r;
}

LoadedPicture loadFrom(QImageReader &reader)
{
    LoadedPicture out;
    // Decoders refuse more than this much memory for one picture.
    if (QImageReader::allocationLimit() == 0 || QImageReader::allocationLimit() > 256)
        QImageReader::setAllocationLimit(256);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels) {
        out.error = PictureError::TooLarge;
        out.message = errorMessage(out.error);
        return out;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        out.error = PictureError::Unreadable;
        out.message = errorMessage(out.error);
        return out;
    }
    if (qint64(image.width()) * image.height() > kMaxPicturePixels) {
        out.error = PictureError::TooLarge;
        out.message = errorMessage(out.error);
        return out;
    }
    out.image = image;
    return out;
}

} // namespace

QString errorMessage(PictureError error)
{
    switch (error) {
    case PictureError::None:
        return {};
    case PictureError::NoPuzzle:
        return QStringLiteral(u"画像の中に問題の文字が見つかりませんでした。");
    case PictureError::TooFewLetters:
        return QStringLiteral(u"画像から読み取れた文字が 2 文字に足りませんでした。");
    case PictureError::TooManyLetters:
        return QStringLiteral(u"画像の中に文字が 7 つ以上見つかりました。問題の部分だけを切り取ってください。");
    case PictureError::TooLarge:
        return QStringLiteral(u"画像が大きすぎます（4000 万画素まで）。");
    case PictureError::Unreadable:
        return QStringLiteral(u"画像を読み込めませんでした。ファイルが壊れているか、対応していない形式です。");
    case PictureError::EngineMissing:
        return QStringLiteral(u"文字認識のデータがないため、画像を読めません。"
                              u"tesseract-ocr-jpn パッケージをインストールしてください。");
    }
    return {};
}

QString allowedLetters(const DictionaryStore &dictionary)
{
    return QString::fromUtf16(dictionary.firstUnits(), dictionary.lineCount());
}

LoadedPicture loadPicture(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        // A FIFO or a device would block or never end.
        LoadedPicture out;
        out.error = PictureError::Unreadable;
        out.message = errorMessage(out.error);
        return out;
    }
    QImageReader reader(path);
    return loadFrom(reader);
}

LoadedPicture loadPicture(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return loadFrom(reader);
}

struct PictureReader::Engine {
    tesseract::TessBaseAPI api;
    // Shapes of letters as the fonts here draw them, for telling a sure
    // reading from a kanji the model lacks that looks like it (刎 read as
    // 列, 飴 as 館 at 96–99); made at the first use, and only where there
    // are fonts to draw them (a QGuiApplication, not tolvo-solve, which
    // shows no doubt).
    std::vector<QRawFont> fonts;
    bool shapesMade = false;
    std::vector<std::pair<QChar, Shape>> lacking;
    QHash<QChar, std::vector<Shape>> known;

    void makeShapes(const QString &lackingLetters);
    std::vector<Shape> shapesOf(QChar letter, size_t fontCount = 2);
};

std::vector<Shape> PictureReader::Engine::shapesOf(QChar letter, size_t fontCount)
{
    // The glyph's own alpha map: no text layout, a tenth of drawing it.
    std::vector<Shape> out;
    for (size_t f = 0; f < fonts.size() && f < fontCount; ++f) {
        const QRawFont &font = fonts[f];
        const QList<quint32> glyphs = font.glyphIndexesForString(QString(letter));
        if (glyphs.size() != 1 || glyphs[0] == 0)
            continue;
        const QImage alpha = font.alphaMapForGlyph(glyphs[0], QRawFont::PixelAntialiasing);
        Shape shape;
        if (alpha.format() == QImage::Format_Alpha8 && shapeOf(alpha, true, shape))
            out.push_back(shape);
    }
    return out;
}

void PictureReader::Engine::makeShapes(const QString &lackingLetters)
{
    shapesMade = true;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    const QStringList families = QFontDatabase::families();
    for (const QString &family : {u"IPAGothic"_s, u"IPAMincho"_s, u"Noto Sans CJK JP"_s, u"Noto Serif CJK JP"_s})
        if (families.contains(family) && fonts.size() < 2) {
            QFont font(family);
            font.setPixelSize(24);
            fonts.push_back(QRawFont::fromFont(font));
        }
    if (fonts.empty()) {
        // Whatever the system draws Japanese with.
        QFont font;
        font.setPixelSize(24);
        fonts.push_back(QRawFont::fromFont(font, QFontDatabase::Japanese));
    }
    // The lacking kanji in the first font only: the second doubles the time
    // (a tenth of a second) and caught no more in the benchmark.
    for (const QChar c : lackingLetters)
        for (const Shape &shape : shapesOf(c, 1))
            lacking.emplace_back(c, shape);
}

PictureReader::PictureReader(const QString &allowed, const QString &dataPath)
    : m_allowed(allowed)
{
    const QString dir = resolvedDataPath(dataPath);
    if (dir.isEmpty()) {
        m_loadError = errorMessage(PictureError::EngineMissing);
        return;
    }
    auto engine = std::make_unique<Engine>();
    // Whole-page dictionaries do nothing for one letter; not loading them
    // halves the start-up.
    const std::vector<std::string> names{"load_system_dawg", "load_freq_dawg", "load_punc_dawg",
                                         "load_number_dawg", "load_unambig_dawg", "load_bigram_dawg"};
    const std::vector<std::string> values(names.size(), "0");
    if (engine->api.Init(dir.toLocal8Bit().constData(), "jpn", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values,
                         false)
        != 0) {
        m_loadError = errorMessage(PictureError::EngineMissing);
        return;
    }
    // The allowed kanji the model cannot output do nothing on the whitelist;
    // knowing them sets how sure a reading must be.
    QString whitelist;
    for (const QChar c : allowed) {
        if (engine->api.IsValidCharacter(QString(c).toUtf8().constData()))
            whitelist += c;
        else
            m_lacking += c;
    }
    m_sure = m_lacking.isEmpty() ? kSureConfidence : kSureWhenLacking;
    for (const auto &[kana, kanji] : kLookAlikes)
        if (allowed.contains(QChar(kanji)) && kana != kanji)
            whitelist += QChar(kana);
    engine->api.SetVariable("tessedit_char_whitelist", whitelist.toUtf8().constData());
    engine->api.SetVariable("user_defined_dpi", "300");
    // A raw line, without tesseract's page layout: the layout may find no
    // text at all in a clear letter whose strokes stand apart (a bold 言).
    engine->api.SetPageSegMode(tesseract::PSM_RAW_LINE);
    m_engine = std::move(engine);
}

PictureReader::~PictureReader() = default;

bool PictureReader::looksLacking(const QImage &glyph, QChar read)
{
    Engine &e = *m_engine;
    if (!e.shapesMade)
        e.makeShapes(m_lacking);
    Shape cell;
    if (e.lacking.empty() || !shapeOf(glyph, false, cell))
        return false;
    auto known = e.known.find(read);
    if (known == e.known.end())
        known = e.known.insert(read, e.shapesOf(read));
    float asRead = -1, asLacking = -1;
    for (const Shape &shape : *known)
        asRead = std::max(asRead, likeness(cell, shape));
    for (const auto &[c, shape] : e.lacking)
        asLacking = std::max(asLacking, likeness(cell, shape));
    // Nearly as like is enough: a lacking kanji drawn in another font than
    // the picture's scores a little lower than it would in its own. (With
    // no margin 15 of 4,130 pictures of lacking kanji passed unmarked, with
    // this one 9, at a point more of right letters marked.)
    return asLacking >= asRead - 0.05f;
}

bool PictureReader::engineAvailable(QString *why, const QString &dataPath)
{
    if (!resolvedDataPath(dataPath).isEmpty())
        return true;
    if (why)
        *why = errorMessage(PictureError::EngineMissing);
    return false;
}

QString PictureReader::lackingLetters() const
{
    return m_lacking;
}

bool PictureReader::loaded() const
{
    return m_engine != nullptr;
}

PictureResult PictureReader::read(const QImage &image)
{
    if (!m_engine)
        return failure(PictureError::EngineMissing);
    if (qint64(image.width()) * image.height() > kMaxPicturePixels)
        return failure(PictureError::TooLarge);
    const CellLayout layout = findCells(image);
    switch (layout.outcome) {
    case CellLayout::Outcome::NoPuzzle:
        return failure(PictureError::NoPuzzle);
    case CellLayout::Outcome::TooFew:
        return failure(PictureError::TooFewLetters);
    case CellLayout::Outcome::TooMany:
        return failure(PictureError::TooManyLetters);
    case CellLayout::Outcome::Found:
        break;
    }
    PictureResult result;
    tesseract::TessBaseAPI &api = m_engine->api;
#ifdef _OPENMP
    // Tesseract spreads its LSTM layers over up to ten OpenMP threads; for
    // one small letter their waking and spinning cost far more than they
    // share out (a third of the time on this thread alone, less still on a
    // busy machine). No other part of tolvo uses OpenMP.
    omp_set_max_active_levels(0);
#endif
    for (int i = 0; i < int(layout.cells.size()) && i < Puzzle::kBoxes; ++i) {
        const Cell &cell = layout.cells[i];
        result.puzzle.arrows[size_t(i)] = cell.arrow;
        if (cell.arrow != Arrow::None)
            ++result.arrowsRead;
        ++result.lettersRead;
        if (cell.flatStroke && m_allowed.contains(u'一')) {
            result.puzzle.letters[size_t(i)] = u'一';
            continue;
        }
        // Read alone, a letter lacks the line around it that the model
        // learnt from, and takes a near look-alike (氷 as 永, 雷 as 雪) at
        // high confidence; read as a pair of itself, each copy has the
        // other's strokes for scale. The pair's two readings agreeing
        // decide the letter, else the reading alone does; it is sure when
        // all three agree and the lone reading clears the bar (the pair's
        // second copy comes out less confident however right it is).
        const std::vector<Symbol> alone = readSymbols(api, cell.glyph, m_allowed);
        const std::vector<Symbol> twice = readSymbols(api, doubled(cell.glyph), m_allowed);
        const bool pairAgrees = twice.size() == 2 && twice[0].letter == twice[1].letter;
        QChar best = pairAgrees ? twice[0].letter : QChar();
        if (!pairAgrees) {
            float bestConfidence = -1;
            for (const Symbol &s : alone)
                if (s.confidence > bestConfidence) {
                    bestConfidence = s.confidence;
                    best = s.letter;
                }
        }
        bool sure = pairAgrees && alone.size() == 1 && alone[0].letter == best && alone[0].confidence >= m_sure;
        if (sure && !m_lacking.isEmpty())
            sure = !looksLacking(cell.glyph, best);
        result.puzzle.letters[size_t(i)] = best;
        result.puzzle.doubtful[size_t(i)] = best.isNull() || !sure;
    }
    return result;
}

} // namespace picture
