#pragma once
#include "kanjipad/handwriting.h"

#include <QChar>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

// The kanji's strokes as tolvo.strokes gives them (tools/mkstrokes): each
// stroke's start and end, in writing order, placed as a drawing is placed
// before they are compared (the ends' mean at 0.5, 0.5, their spread the
// same for every kanji).
class StrokeTemplates
{
public:
    struct Segment {
        float x1, y1, x2, y2;
    };

    // Reads the file; false, leaving no template, when it is missing,
    // not a regular file or not a template file.
    bool load(const QString &path);
    bool isEmpty() const { return m_kanji.empty(); }
    qsizetype size() const { return qsizetype(m_kanji.size()); }

    // The strokes of `kanji`; empty when it has no template.
    QList<Segment> strokes(QChar kanji) const;

    // The drawing's likeliest kanji whatever the order and direction of its
    // strokes, two strokes drawn as one or one drawn as two: the kanji whose
    // stroke count is near the drawing's, and those of `modelRanked` (the
    // recogniser's own, likeliest first), scored by how well the drawn
    // strokes pair off with the template's, the recogniser's rank deciding
    // among close scores. `accept` as for the recogniser. Up to `count`,
    // ending with those of modelRanked that were not scored.
    QList<QChar> rank(const Drawing &drawing, const QList<QChar> &modelRanked, int count,
                      const std::function<bool(QChar)> &accept = {}) const;

private:
    std::vector<char16_t> m_kanji;         // code-point order
    std::vector<quint32> m_first;          // m_kanji.size() + 1 offsets into m_segments
    std::vector<Segment> m_segments;
    std::vector<std::vector<quint32>> m_byCount;   // stroke count -> indexes into m_kanji
};
