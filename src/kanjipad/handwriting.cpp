#include "kanjipad/handwriting.h"
#include "kanjipad/strokematch.h"
#include "platform/textfile.h"

#include <QFile>
#include <QStringList>
#include <QRectF>

#include <zinnia.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Steps of 1/25 of the square keep the corners of a dense kanji, yet are
// long enough that a mouse's pixel steps vanish in them. This, the
// smoothing and the margin were chosen on make bench-handwriting.
constexpr double kStepsPerSide = 25.0;
constexpr int kSmoothingPasses = 2;
// Zinnia ranks every character of the model anyway; asking for many lets
// the caller's filter still leave enough.
constexpr size_t kAskedForAtLeast = 400;
// Zinnia's first ones that the templates rank along with their own.
constexpr int kModelCandidates = 20;

Stroke resampled(const Stroke &stroke, double step)
{
    Stroke out;
    if (stroke.isEmpty())
        return out;
    out.append(stroke.first());
    double carried = 0;   // distance walked since the last point put out
    for (qsizetype i = 1; i < stroke.size(); ++i) {
        QPointF from = stroke[i - 1];
        const QPointF to = stroke[i];
        double length = std::hypot(to.x() - from.x(), to.y() - from.y());
        while (carried + length >= step) {
            const double t = (step - carried) / length;
            from += (to - from) * t;
            length -= step - carried;
            carried = 0;
            out.append(from);
        }
        carried += length;
    }
    // The pen's last point ends the stroke even when it falls between steps.
    if (out.last() != stroke.last())
        out.append(stroke.last());
    return out;
}

// A [1 2 1] filter; the ends stay where the pen put them down and lifted it.
void smooth(Stroke &stroke)
{
    for (int pass = 0; pass < kSmoothingPasses; ++pass) {
        Stroke before = stroke;
        for (qsizetype i = 1; i + 1 < stroke.size(); ++i)
            stroke[i] = (before[i - 1] + 2 * before[i] + before[i + 1]) / 4;
    }
}

} // namespace

Drawing normalizedDrawing(const Drawing &drawing, double square, double margin)
{
    double left = qInf(), top = qInf(), right = -qInf(), bottom = -qInf();
    for (const Stroke &stroke : drawing) {
        for (const QPointF &p : stroke) {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
    }
    if (left > right)
        return {};
    // A lone dot or a straight line has no extent across: only its longer side sets the scale.
    const double side = std::max({right - left, bottom - top, 1e-9});
    const double scale = square * (1 - 2 * margin) / side;
    const QPointF centre((left + right) / 2, (top + bottom) / 2);
    const QPointF middle(square / 2, square / 2);

    Drawing out;
    for (const Stroke &stroke : drawing) {
        if (stroke.isEmpty())
            continue;
        Stroke placed;
        placed.reserve(stroke.size());
        for (const QPointF &p : stroke)
            placed.append((p - centre) * scale + middle);
        Stroke even = resampled(placed, square / kStepsPerSide);
        smooth(even);
        out.append(even);
    }
    return out;
}

HandwritingRecognizer::HandwritingRecognizer(const QString &modelPath, const QString &templatesPath)
    : m_modelPath(modelPath), m_templatesPath(templatesPath)
{
}

HandwritingRecognizer::~HandwritingRecognizer() = default;

QString HandwritingRecognizer::defaultModelPath()
{
    // A model in the user's home, or the tests' own.
    const QString chosen = qEnvironmentVariable("TOLVO_HANDWRITING_MODEL");
    if (!chosen.isEmpty())
        return chosen;
    return u"/usr/share/tegaki/models/zinnia/handwriting-ja.model"_s;
}

bool HandwritingRecognizer::load()
{
    if (m_state != State::NotLoaded)
        return m_state == State::Ready;
    // Checked here without waiting, since Zinnia's own open would wait on a
    // FIFO for ever. A file it may not read is a broken install; anything
    // else that is not a regular file is no model at all.
    textfile::FileError error;
    if (!textfile::isReadableRegularFile(m_modelPath, &error)) {
        m_state = error.number == EACCES || error.number == EPERM ? State::Unreadable : State::Missing;
        return false;
    }
    std::unique_ptr<zinnia::Recognizer> recognizer(zinnia::Recognizer::create());
    // Zinnia maps the file rather than reading it: opening is quick.
    if (!recognizer || !recognizer->open(QFile::encodeName(m_modelPath).constData()) || recognizer->size() == 0) {
        m_state = State::Unreadable;
        return false;
    }
    m_recognizer = std::move(recognizer);
    m_character.reset(zinnia::Character::create());
    m_state = State::Ready;
    // A missing or broken template file leaves Zinnia's ranking as it is.
    auto templates = std::make_unique<StrokeTemplates>();
    if (!m_templatesPath.isEmpty() && templates->load(m_templatesPath))
        m_templates = std::move(templates);
    return true;
}

QList<QChar> HandwritingRecognizer::recognize(const Drawing &drawing, int count,
                                              const std::function<bool(QChar)> &accept) const
{
    // For recording real drawings for make bench-handwriting: every drawing
    // recognised, a line each, as bench/mouse-drawings.txt has them.
    if (static const QString record = qEnvironmentVariable("TOLVO_RECORD_DRAWINGS"); !record.isEmpty()) {
        QStringList strokes;
        for (const Stroke &stroke : drawing) {
            QStringList points;
            for (const QPointF &p : stroke)
                points.append(QString::number(p.x(), 'g', 6) + u',' + QString::number(p.y(), 'g', 6));
            strokes.append(points.join(u' '));
        }
        QFile file(record);
        if (file.open(QIODevice::Append))
            file.write(strokes.join(u'|').toUtf8() + '\n');
    }
    if (!m_templates)
        return classify(normalizedDrawing(drawing), count, accept);
    const QList<QChar> model = classify(normalizedDrawing(drawing), std::max(count, kModelCandidates), accept);
    return m_templates->rank(drawing, model, count, accept);
}

QList<QChar> HandwritingRecognizer::classify(const Drawing &normal, int count,
                                             const std::function<bool(QChar)> &accept) const
{
    QList<QChar> found;
    if (m_state != State::Ready || count <= 0 || normal.isEmpty())
        return found;
    m_character->clear();
    m_character->set_width(size_t(kModelSquare));
    m_character->set_height(size_t(kModelSquare));
    for (qsizetype s = 0; s < normal.size(); ++s) {
        for (const QPointF &p : normal[s])
            m_character->add(size_t(s), int(std::lround(p.x())), int(std::lround(p.y())));
    }
    const std::unique_ptr<zinnia::Result> result(
        m_recognizer->classify(*m_character, std::max<size_t>(kAskedForAtLeast, size_t(count))));
    if (!result)
        return found;
    for (size_t i = 0; i < result->size() && found.size() < count; ++i) {
        const QString value = QString::fromUtf8(result->value(i));
        // A letter box holds one UTF-16 unit.
        if (value.size() != 1 || value[0].isSurrogate())
            continue;
        if (!accept || accept(value[0]))
            found.append(value[0]);
    }
    return found;
}
