#pragma once
#include <QList>
#include <QPointF>
#include <QString>

#include <functional>
#include <memory>

namespace zinnia {
class Character;
class Recognizer;
}
class StrokeTemplates;

// A drawing as the pad records it: strokes in drawing order, each the
// points the pointer passed through, in any coordinates.
using Stroke = QList<QPointF>;
using Drawing = QList<Stroke>;

// The square the recogniser's model was trained in.
inline constexpr double kModelSquare = 1000.0;

// The drawing as the model expects it, wherever and however large it was
// drawn: its bounding box scaled, keeping its shape, into the middle of a
// square of side `square` with `margin` (a fraction of the side) on each
// side, every stroke resampled to even steps and smoothed, so that a mouse's
// uneven, shaky points give the recogniser the same few corners a pen would.
Drawing normalizedDrawing(const Drawing &drawing, double square = kModelSquare, double margin = 0.2);

// Zinnia with a handwriting model, and the stroke templates that let a
// kanji drawn in any stroke order and direction still come first (Zinnia
// alone knows only the right order). Both files are read at the first
// load(), not when the object is made, so that start-up never waits for
// them. Without templates, Zinnia's ranking stands alone.
class HandwritingRecognizer
{
public:
    enum class State { NotLoaded, Ready, Missing, Unreadable };

    explicit HandwritingRecognizer(const QString &modelPath, const QString &templatesPath = {});
    ~HandwritingRecognizer();
    HandwritingRecognizer(const HandwritingRecognizer &) = delete;
    HandwritingRecognizer &operator=(const HandwritingRecognizer &) = delete;

    // $TOLVO_HANDWRITING_MODEL when set, else Debian's tegaki-zinnia-japanese model.
    static QString defaultModelPath();

    const QString &modelPath() const { return m_modelPath; }
    State state() const { return m_state; }
    // Opens the model (and the templates) the first time; true when the
    // model is ready. A failure is kept: a later call does not try again.
    bool load();
    bool hasTemplates() const { return m_templates != nullptr; }

    // Up to `count` characters for the drawing, the likeliest first, only
    // those `accept` lets through (all when it is empty). The drawing is
    // normalised here. Empty when the model is not ready or the drawing has
    // no point.
    QList<QChar> recognize(const Drawing &drawing, int count,
                           const std::function<bool(QChar)> &accept = {}) const;
    // Zinnia's ranking alone, for a drawing already in the model's square, as it stands.
    QList<QChar> classify(const Drawing &inSquare, int count,
                          const std::function<bool(QChar)> &accept = {}) const;

private:
    QString m_modelPath;
    QString m_templatesPath;
    std::unique_ptr<StrokeTemplates> m_templates;
    State m_state = State::NotLoaded;
    std::unique_ptr<zinnia::Recognizer> m_recognizer;
    std::unique_ptr<zinnia::Character> m_character;
};
