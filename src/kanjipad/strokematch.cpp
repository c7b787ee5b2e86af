#include "kanjipad/strokematch.h"
#include "platform/textfile.h"

#include <QLineF>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr QByteArrayView kMagic = "tolvo.strokes 1\n";
constexpr int kMaxStrokes = 30;
// The file is about 225 KB; anything far larger is not ours.
constexpr qint64 kFileLimit = 16 << 20;

// What a stroke left out costs, drawn or in the template, in the frame
// where a kanji spans about one unit: about what a stroke whose ends are
// each misplaced by a sixth of the kanji costs, so that a wild stroke is
// left out rather than forced onto another.
// The constants here were chosen on make bench-handwriting.
constexpr float kMissing = 0.32f;
// Candidates: the kanji whose stroke count is this close to the drawing's.
constexpr int kCountSlack = 2;
// Scored in full at the most, of those with the lowest bounds, so that a
// drawing that fits nothing well (when the bounds are loose) stays quick.
constexpr int kScoredInFull = 150;
// Candidates too, whatever their stroke count: the recogniser's first.
constexpr int kModelConsulted = 20;
// The recogniser's rank, worth up to this much of the score; it decides
// among kanji whose strokes fit about equally well.
constexpr float kModelWeight = 0.30f;
constexpr int kModelReach = 10;
// Points kept along each drawn stroke, to check that a stroke drawn for
// two passes where the two meet.
constexpr int kAlong = 16;
// Joined or split strokes tried in full per candidate, of those checked.
constexpr int kMergesTried = 2;
constexpr int kJoinsChecked = 4;

struct Point {
    float x, y;
};

float distance(Point a, Point b)
{
    // No std::hypot: its care for huge values costs, and ours are small.
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

struct Drawn {
    Point s, e;
    std::array<Point, kAlong> along;
};

// Two drawn strokes taken as one: their two nearest ends meet at the joint.
struct Pair {
    Point s, e;
    float gap;
};

using Segment = StrokeTemplates::Segment;

Point start(const Segment &t) { return {t.x1, t.y1}; }
Point end(const Segment &t) { return {t.x2, t.y2}; }

// Either way round: the direction of a stroke does not matter.
float ends(Point s, Point e, Point a, Point b)
{
    return std::min(distance(s, a) + distance(e, b), distance(s, b) + distance(e, a));
}

float near(const Drawn &d, Point p)
{
    float best = std::numeric_limits<float>::max();
    for (const Point &q : d.along)
        best = std::min(best, distance(q, p));
    return best;
}

// One drawn stroke for the template's strokes t and u: it ends at one end
// of each; with `exact`, it also passes the other two.
float joined(const Drawn &d, const Segment &t, const Segment &u, bool exact)
{
    const Point te[2] = {start(t), end(t)}, ue[2] = {start(u), end(u)};
    float best = std::numeric_limits<float>::max();
    for (int a = 0; a < 2; ++a) {
        for (int b = 0; b < 2; ++b) {
            float cost = ends(d.s, d.e, te[a], ue[b]);
            if (exact && cost < best)
                cost += near(d, te[1 - a]) + near(d, ue[1 - b]);
            best = std::min(best, cost);
        }
    }
    return best;
}

// The least total cost of pairing `rows` with `cols` one to one, where
// leaving one out costs kMissing (the Hungarian method on the square
// matrix padded with left-out rows and columns).
float assignment(const std::vector<float> &cost, qsizetype width, const std::vector<int> &rows,
                 const std::vector<int> &cols)
{
    const qsizetype r = qsizetype(rows.size()), c = qsizetype(cols.size());
    const qsizetype n = std::max(r, c);
    if (n == 0)
        return 0;
    if (r == 0 || c == 0)
        return kMissing * float(r + c);
    const auto a = [&](qsizetype i, qsizetype j) -> float {
        if (i >= r || j >= c)
            return kMissing;
        return std::min(cost[size_t(rows[size_t(i)] * width + cols[size_t(j)])], 2 * kMissing);
    };
    constexpr float inf = std::numeric_limits<float>::max();
    std::array<float, kMaxStrokes + 2> u{}, v{}, minv{};
    std::array<qsizetype, kMaxStrokes + 2> p{}, way{};
    std::array<bool, kMaxStrokes + 2> used{};
    for (qsizetype i = 1; i <= n; ++i) {
        p[0] = i;
        qsizetype j0 = 0;
        std::fill_n(minv.begin(), n + 1, inf);
        std::fill_n(used.begin(), n + 1, false);
        do {
            used[size_t(j0)] = true;
            const qsizetype i0 = p[size_t(j0)];
            float delta = inf;
            qsizetype j1 = 0;
            for (qsizetype j = 1; j <= n; ++j) {
                if (used[size_t(j)])
                    continue;
                const float cur = a(i0 - 1, j - 1) - u[size_t(i0)] - v[size_t(j)];
                if (cur < minv[size_t(j)]) {
                    minv[size_t(j)] = cur;
                    way[size_t(j)] = j0;
                }
                if (minv[size_t(j)] < delta) {
                    delta = minv[size_t(j)];
                    j1 = j;
                }
            }
            for (qsizetype j = 0; j <= n; ++j) {
                if (used[size_t(j)]) {
                    u[size_t(p[size_t(j)])] += delta;
                    v[size_t(j)] -= delta;
                } else {
                    minv[size_t(j)] -= delta;
                }
            }
            j0 = j1;
        } while (p[size_t(j0)] != 0);
        do {
            const qsizetype j1 = way[size_t(j0)];
            p[size_t(j0)] = p[size_t(j1)];
            j0 = j1;
        } while (j0 != 0);
    }
    return -v[0];
}

// No more than assignment() gives for `rows` x `cols` costs, element (i, j)
// at cost[i * across + j * down]: what taking each row's least cost off its
// row, then each column's least off its column, takes off the padded matrix
// (a solution of the dual problem, cheap where the method is not).
float reducedBound(const float *cost, int rows, int cols, int across, int down)
{
    constexpr float inf = std::numeric_limits<float>::max();
    std::array<float, kMaxStrokes> least;
    float total = 0;
    for (int i = 0; i < rows; ++i) {
        least[size_t(i)] = cols < rows ? kMissing : inf;
        for (int j = 0; j < cols; ++j)
            least[size_t(i)] = std::min(least[size_t(i)], std::min(cost[i * across + j * down], 2 * kMissing));
        total += least[size_t(i)];
    }
    if (rows < cols)
        return total + float(cols - rows) * kMissing;
    for (int j = 0; j < cols; ++j) {
        float rest = inf;
        for (int i = 0; i < rows; ++i)
            rest = std::min(rest, std::min(cost[i * across + j * down], 2 * kMissing) - least[size_t(i)]);
        total += rest;
    }
    if (cols < rows) {
        float rest = inf;
        for (int i = 0; i < rows; ++i)
            rest = std::min(rest, kMissing - least[size_t(i)]);
        total += float(rows - cols) * rest;
    }
    return total;
}

std::vector<int> allBut(int size, int skip1, int skip2 = -1)
{
    std::vector<int> out;
    out.reserve(size_t(size));
    for (int i = 0; i < size; ++i) {
        if (i != skip1 && i != skip2)
            out.push_back(i);
    }
    return out;
}

// Both the templates and the drawing are placed by the stroke ends alone
// (the templates know no more): their mean at the middle, their spread
// round it made the same. Unlike a bounding box, this hardly moves when one
// stroke is drawn longer or shorter.
constexpr float kSpread = 0.35f;

template<typename Points>
std::pair<QPointF, double> placement(const Points &points)
{
    QPointF mean;
    qsizetype count = 0;
    for (const QPointF &p : points) {
        mean += p;
        ++count;
    }
    if (count == 0)
        return {QPointF(), 1};
    mean /= double(count);
    double square = 0;
    for (const QPointF &p : points)
        square += QPointF::dotProduct(p - mean, p - mean);
    return {mean, kSpread / std::max(std::sqrt(square / double(count)), 1e-9)};
}

std::vector<Drawn> drawnStrokes(const Drawing &drawing)
{
    QList<QPointF> endPoints;
    for (const Stroke &stroke : drawing) {
        if (!stroke.isEmpty())
            endPoints << stroke.first() << stroke.last();
    }
    // Not a structured binding: clang before 16 cannot capture one.
    const std::pair<QPointF, double> placed = placement(endPoints);
    const QPointF centre = placed.first;
    const double scale = placed.second;
    std::vector<Drawn> out;
    const auto place = [&](QPointF p) {
        p = (p - centre) * scale;
        return Point{float(p.x() + 0.5), float(p.y() + 0.5)};
    };
    for (const Stroke &stroke : drawing) {
        if (stroke.isEmpty())
            continue;
        Drawn d;
        d.s = place(stroke.first());
        d.e = place(stroke.last());
        // Evenly along its length, so a joint is near one of them.
        double length = 0;
        for (qsizetype i = 1; i < stroke.size(); ++i)
            length += QLineF(stroke[i - 1], stroke[i]).length();
        qsizetype at = 0;
        double walked = 0;
        for (int k = 0; k < kAlong; ++k) {
            const double wanted = length * k / (kAlong - 1);
            while (at + 1 < stroke.size() && walked + QLineF(stroke[at], stroke[at + 1]).length() < wanted) {
                walked += QLineF(stroke[at], stroke[at + 1]).length();
                ++at;
            }
            QPointF p = stroke[at];
            if (at + 1 < stroke.size()) {
                const double step = QLineF(stroke[at], stroke[at + 1]).length();
                if (step > 0)
                    p += (stroke[at + 1] - stroke[at]) * std::clamp((wanted - walked) / step, 0.0, 1.0);
            }
            d.along[size_t(k)] = place(p);
        }
        out.push_back(d);
    }
    return out;
}

std::vector<Pair> neighbourPairs(const std::vector<Drawn> &drawn)
{
    std::vector<Pair> out;
    for (size_t j = 0; j + 1 < drawn.size(); ++j) {
        const Point a[2] = {drawn[j].s, drawn[j].e}, b[2] = {drawn[j + 1].s, drawn[j + 1].e};
        Pair best{{}, {}, std::numeric_limits<float>::max()};
        for (int x = 0; x < 2; ++x) {
            for (int y = 0; y < 2; ++y) {
                const float gap = distance(a[x], b[y]);
                if (gap < best.gap)
                    best = {a[1 - x], b[1 - y], gap};
            }
        }
        out.push_back(best);
    }
    return out;
}

float modelBonus(qsizetype rank)
{
    return rank < 0 || rank >= kModelReach ? 0 : kModelWeight * (1 - float(rank) / kModelReach);
}

} // namespace

bool StrokeTemplates::load(const QString &path)
{
    *this = {};
    QByteArray bytes;
    if (textfile::readBytes(path, kFileLimit, &bytes) != textfile::ReadStatus::Done || !bytes.startsWith(kMagic))
        return false;
    std::vector<char16_t> kanji;
    std::vector<quint32> first{0};
    std::vector<Segment> segments;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    qsizetype at = kMagic.size();
    while (at < bytes.size()) {
        if (at + 3 > bytes.size())
            return false;
        const char16_t unit = char16_t(data[at] | data[at + 1] << 8);
        const int count = data[at + 2];
        at += 3;
        if (count == 0 || at + 4 * count > bytes.size() || (!kanji.empty() && unit <= kanji.back()))
            return false;
        QList<QPointF> endPoints;
        for (int s = 0; s < count; ++s, at += 4)
            endPoints << QPointF(data[at], data[at + 1]) << QPointF(data[at + 2], data[at + 3]);
        const auto [centre, scale] = placement(endPoints);
        for (int s = 0; s < count; ++s) {
            const QPointF a = (endPoints[2 * s] - centre) * scale, b = (endPoints[2 * s + 1] - centre) * scale;
            segments.push_back({float(a.x() + 0.5), float(a.y() + 0.5), float(b.x() + 0.5), float(b.y() + 0.5)});
        }
        kanji.push_back(unit);
        first.push_back(quint32(segments.size()));
    }
    m_kanji = std::move(kanji);
    m_first = std::move(first);
    m_segments = std::move(segments);
    m_byCount.assign(256, {});
    for (size_t k = 0; k < m_kanji.size(); ++k)
        m_byCount[m_first[k + 1] - m_first[k]].push_back(quint32(k));
    return !m_kanji.empty();
}

QList<StrokeTemplates::Segment> StrokeTemplates::strokes(QChar kanji) const
{
    const auto found = std::lower_bound(m_kanji.begin(), m_kanji.end(), kanji.unicode());
    if (found == m_kanji.end() || *found != kanji.unicode())
        return {};
    const size_t k = size_t(found - m_kanji.begin());
    return QList<Segment>(m_segments.begin() + m_first[k], m_segments.begin() + m_first[k + 1]);
}

QList<QChar> StrokeTemplates::rank(const Drawing &drawing, const QList<QChar> &modelRanked, int count,
                                   const std::function<bool(QChar)> &accept) const
{
    const std::vector<Drawn> drawn = drawnStrokes(drawing);
    const int n = int(drawn.size());
    if (m_kanji.empty() || n == 0 || n > kMaxStrokes)
        return modelRanked.mid(0, count);
    const std::vector<Pair> pairs = neighbourPairs(drawn);

    struct Candidate {
        quint32 index;
        qsizetype modelRank;
        float score;
    };
    std::vector<Candidate> candidates;
    std::vector<bool> taken(m_kanji.size(), false);
    for (qsizetype r = 0; r < std::min<qsizetype>(kModelConsulted, modelRanked.size()); ++r) {
        const auto found = std::lower_bound(m_kanji.begin(), m_kanji.end(), modelRanked[r].unicode());
        if (found != m_kanji.end() && *found == modelRanked[r].unicode() && !taken[size_t(found - m_kanji.begin())]) {
            taken[size_t(found - m_kanji.begin())] = true;
            candidates.push_back({quint32(found - m_kanji.begin()), r, 0});
        }
    }
    for (int m = std::max(1, n - kCountSlack); m <= std::min(kMaxStrokes, n + kCountSlack); ++m) {
        for (quint32 k : m_byCount[size_t(m)]) {
            if (!taken[k] && (!accept || accept(QChar(m_kanji[k]))))
                candidates.push_back({k, -1, 0});
        }
    }

    // A bound first, no more than the full score can be: each stroke's
    // best partner, on the drawing's side and on the template's, strokes
    // left over on the side with more costing kMissing each, and the one
    // join or split the full score may take counted where it gains most.
    // Candidates are then scored in full in the order of their bounds,
    // until the next bound is past the `count`-th best full score.
    // Every cost is a sum of distances between a drawn end and a template's
    // end, so those are worked out once.
    std::array<float, kMaxStrokes> rowBest, colBest, rowJoined, colJoined;
    std::vector<float> apart(size_t(2 * n * 2 * kMaxStrokes)), plain(size_t(n * kMaxStrokes));
    for (Candidate &c : candidates) {
        const Segment *t = m_segments.data() + m_first[c.index];
        const int m = int(m_first[c.index + 1] - m_first[c.index]);
        if (m > kMaxStrokes) {
            c.score = std::numeric_limits<float>::max();
            continue;
        }
        const int w = 2 * m;
        for (int d = 0; d < n; ++d) {
            for (int j = 0; j < m; ++j) {
                float *at = &apart[size_t(2 * d * w + 2 * j)];
                at[0] = distance(drawn[size_t(d)].s, start(t[j]));
                at[1] = distance(drawn[size_t(d)].s, end(t[j]));
                at[w] = distance(drawn[size_t(d)].e, start(t[j]));
                at[w + 1] = distance(drawn[size_t(d)].e, end(t[j]));
            }
        }
        // Drawn end x (0 start, 1 end) of d against template end y of j (likewise).
        const auto gap = [&](int d, int x, int j, int y) { return apart[size_t((2 * d + x) * w + 2 * j + y)]; };
        std::fill_n(rowBest.begin(), n, kMissing);
        std::fill_n(colBest.begin(), m, kMissing);
        for (int d = 0; d < n; ++d) {
            for (int j = 0; j < m; ++j) {
                const float cost = std::min(gap(d, 0, j, 0) + gap(d, 1, j, 1), gap(d, 0, j, 1) + gap(d, 1, j, 0));
                plain[size_t(d * m + j)] = cost;
                rowBest[size_t(d)] = std::min(rowBest[size_t(d)], cost);
                colBest[size_t(j)] = std::min(colBest[size_t(j)], cost);
            }
        }
        const float plainBound = std::max(reducedBound(plain.data(), n, m, m, 1), reducedBound(plain.data(), m, n, 1, m));
        if (n == m) {
            c.score = plainBound - modelBonus(c.modelRank);
            continue;
        }
        float rows = 0, cols = 0;
        for (int d = 0; d < n; ++d)
            rows += rowBest[size_t(d)];
        for (int j = 0; j < m; ++j)
            cols += colBest[size_t(j)];
        // The most a join (one drawn for two) or a split (two drawn for one)
        // can save on either side: for the one stroke that stands for two,
        // and for the two neighbours it stands for.
        std::fill_n(rowJoined.begin(), n, std::numeric_limits<float>::max());
        std::fill_n(colJoined.begin(), m, std::numeric_limits<float>::max());
        if (n < m) {
            for (int d = 0; d < n; ++d) {
                for (int j = 0; j + 1 < m; ++j) {
                    float cost = std::numeric_limits<float>::max();
                    for (int a = 0; a < 2; ++a) {
                        for (int b = 0; b < 2; ++b)
                            cost = std::min({cost, gap(d, 0, j, a) + gap(d, 1, j + 1, b),
                                             gap(d, 1, j, a) + gap(d, 0, j + 1, b)});
                    }
                    rowJoined[size_t(d)] = std::min(rowJoined[size_t(d)], cost);
                    colJoined[size_t(j)] = std::min(colJoined[size_t(j)], cost);
                }
            }
        } else {
            for (int d = 0; d + 1 < n; ++d) {
                for (int j = 0; j < m; ++j) {
                    const float cost = ends(pairs[size_t(d)].s, pairs[size_t(d)].e, start(t[j]), end(t[j]))
                                       + pairs[size_t(d)].gap;
                    rowJoined[size_t(d)] = std::min(rowJoined[size_t(d)], cost);
                    colJoined[size_t(j)] = std::min(colJoined[size_t(j)], cost);
                }
            }
        }
        const auto gain = [](const std::array<float, kMaxStrokes> &best, const std::array<float, kMaxStrokes> &joined,
                             int size, bool neighbours) {
            float most = -std::numeric_limits<float>::max();
            for (int i = 0; i + int(neighbours) < size; ++i)
                most = std::max(most, best[size_t(i)] + (neighbours ? best[size_t(i + 1)] : 0) - joined[size_t(i)]);
            return most;
        };
        const float rowGain = gain(rowBest, rowJoined, n, n > m), colGain = gain(colBest, colJoined, m, n < m);
        // On the side with fewer strokes, the other side's strokes left
        // without a partner once the join or split has taken its own.
        if (n < m) {
            rows += float(m - n - 1) * kMissing - rowGain;
            cols -= colGain;
        } else {
            cols += float(n - m - 1) * kMissing - colGain;
            rows -= rowGain;
        }
        // The full score is the plain pairing's or one with a join or split.
        c.score = std::min(plainBound, std::max(rows, cols)) - modelBonus(c.modelRank);
    }
    const auto byScore = [](const Candidate &a, const Candidate &b) {
        return a.score < b.score || (a.score == b.score && a.index < b.index);
    };
    std::sort(candidates.begin(), candidates.end(), byScore);

    // In full: the best one-to-one pairing, and with a drawn stroke taken
    // for two neighbouring template strokes, or two drawn ones for one.
    std::vector<float> cost;
    const auto fullScore = [&](const Candidate &c) {
        const Segment *t = m_segments.data() + m_first[c.index];
        const int m = int(m_first[c.index + 1] - m_first[c.index]);
        cost.assign(size_t(n * m), 0);
        for (int d = 0; d < n; ++d) {
            for (int j = 0; j < m; ++j)
                cost[size_t(d * m + j)] = ends(drawn[size_t(d)].s, drawn[size_t(d)].e, start(t[j]), end(t[j]));
        }
        float best = assignment(cost, m, allBut(n, -1), allBut(m, -1));
        struct Merge {
            float cost;
            int drawn, stroke;
        };
        std::vector<Merge> merges;
        if (n < m) {
            for (int d = 0; d < n; ++d) {
                for (int j = 0; j + 1 < m; ++j)
                    merges.push_back({joined(drawn[size_t(d)], t[j], t[j + 1], false), d, j});
            }
            // Whether the stroke passes the two inner ends is worth checking
            // only for the joins whose outer ends fit best.
            const size_t checked = std::min(merges.size(), size_t(kJoinsChecked));
            std::partial_sort(merges.begin(), merges.begin() + qsizetype(checked), merges.end(),
                              [](const Merge &a, const Merge &b) { return a.cost < b.cost; });
            merges.resize(checked);
            for (Merge &g : merges)
                g.cost = joined(drawn[size_t(g.drawn)], t[g.stroke], t[g.stroke + 1], true);
        } else if (n > m) {
            for (int d = 0; d + 1 < n; ++d) {
                for (int j = 0; j < m; ++j)
                    merges.push_back({ends(pairs[size_t(d)].s, pairs[size_t(d)].e, start(t[j]), end(t[j]))
                                          + pairs[size_t(d)].gap,
                                      d, j});
            }
        }
        const size_t tried = std::min(merges.size(), size_t(kMergesTried));
        std::partial_sort(merges.begin(), merges.begin() + qsizetype(tried), merges.end(),
                          [](const Merge &a, const Merge &b) { return a.cost < b.cost; });
        for (size_t i = 0; i < tried && merges[i].cost < best; ++i) {
            const Merge &g = merges[i];
            const float rest = n < m ? assignment(cost, m, allBut(n, g.drawn), allBut(m, g.stroke, g.stroke + 1))
                                     : assignment(cost, m, allBut(n, g.drawn, g.drawn + 1), allBut(m, g.stroke));
            best = std::min(best, g.cost + rest);
        }
        return best - modelBonus(c.modelRank);
    };
    std::vector<Candidate> scored;
    std::vector<float> kept;   // the best `count` full scores, a max-heap
    for (const Candidate &c : candidates) {
        if (scored.size() >= size_t(kScoredInFull)
            || (kept.size() >= size_t(count) && !kept.empty() && c.score >= kept.front()))
            break;
        scored.push_back({c.index, c.modelRank, fullScore(c)});
        kept.push_back(scored.back().score);
        std::push_heap(kept.begin(), kept.end());
        if (kept.size() > size_t(std::max(count, 1))) {
            std::pop_heap(kept.begin(), kept.end());
            kept.pop_back();
        }
    }
    std::sort(scored.begin(), scored.end(), byScore);
    candidates = std::move(scored);

    QList<QChar> out;
    for (const Candidate &c : candidates) {
        if (out.size() >= count)
            break;
        out.append(QChar(m_kanji[c.index]));
    }
    for (QChar k : modelRanked) {
        if (out.size() >= count)
            break;
        if (!out.contains(k))
            out.append(k);
    }
    return out;
}
