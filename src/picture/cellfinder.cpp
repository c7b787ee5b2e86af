#include "picture/cellfinder.h"

#include <QPainter>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <map>
#include <numbers>
#include <vector>

namespace picture {

namespace {

// Analysis runs on at most this many pixels; a larger picture is scaled
// down first (a 4K screenshot keeps kanji of 24 px readable).
constexpr qint64 kWorkPixels = 6'000'000;
// More pieces than this is text or noise, not a puzzle.
constexpr int kMaxPieces = 20'000;

struct Gray {
    int w = 0, h = 0;
    std::vector<quint8> px;
    // Far lighter than the paper around it: the outline round a caption's
    // letters and arrows, which with their thin fill are the ink's shape.
    std::vector<char> outline;
    quint8 at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
};

Gray grayOf(const QImage &image)
{
    QImage img = image;
    if (qint64(img.width()) * img.height() > kWorkPixels) {
        const double s = std::sqrt(double(kWorkPixels) / (double(img.width()) * img.height()));
        img = img.scaled(std::max(1, int(img.width() * s)), std::max(1, int(img.height() * s)), Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation);
    }
    if (img.hasAlphaChannel()) {
        // Transparent pixels are paper.
        QImage flat(img.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, img);
        p.end();
        img = flat;
    }
    img = img.convertToFormat(QImage::Format_Grayscale8);
    Gray g;
    g.w = img.width();
    g.h = img.height();
    g.px.resize(size_t(g.w) * size_t(g.h));
    for (int y = 0; y < g.h; ++y)
        std::copy_n(img.constScanLine(y), g.w, g.px.begin() + qsizetype(y) * g.w);
    return g;
}

int percentile(const std::array<int, 256> &hist, qint64 total, double q)
{
    const qint64 want = qint64(double(total) * q);
    qint64 seen = 0;
    for (int v = 0; v < 256; ++v) {
        seen += hist[v];
        if (seen > want)
            return v;
    }
    return 255;
}

// Ink dark on white: light ink (a caption's white fill inside its dark
// outline) is turned over. Ink is the far tail from the typical pixel.
void makeInkDark(Gray &g)
{
    std::array<int, 256> hist{};
    for (quint8 v : g.px)
        ++hist[v];
    const qint64 n = qint64(g.px.size());
    const int lo = percentile(hist, n, 0.002), mid = percentile(hist, n, 0.5), hi = percentile(hist, n, 0.998);
    if (hi - mid > mid - lo)
        for (quint8 &v : g.px)
            v = quint8(255 - v);
}

// Each pixel over its neighbourhood's paper level (a high percentile of
// blocks, interpolated), so uneven light and gradients become flat paper.
void flattenBackground(Gray &g)
{
    const int block = std::max(16, std::max(g.w, g.h) / 10);
    const int bw = (g.w + block - 1) / block, bh = (g.h + block - 1) / block;
    std::vector<float> level(size_t(bw) * size_t(bh));
    g.outline.assign(g.px.size(), 0);
    for (int by = 0; by < bh; ++by)
        for (int bx = 0; bx < bw; ++bx) {
            std::array<int, 256> hist{};
            qint64 n = 0;
            for (int y = by * block; y < std::min(g.h, (by + 1) * block); ++y)
                for (int x = bx * block; x < std::min(g.w, (bx + 1) * block); ++x, ++n)
                    ++hist[g.at(x, y)];
            level[size_t(by) * size_t(bw) + size_t(bx)] = float(std::max(percentile(hist, n, 0.7), 1));
        }
    for (int y = 0; y < g.h; ++y) {
        const float fy = std::clamp((y + 0.5f) / block - 0.5f, 0.f, float(bh - 1));
        const int y0 = int(fy), y1 = std::min(y0 + 1, bh - 1);
        const float ty = fy - y0;
        for (int x = 0; x < g.w; ++x) {
            const float fx = std::clamp((x + 0.5f) / block - 0.5f, 0.f, float(bw - 1));
            const int x0 = int(fx), x1 = std::min(x0 + 1, bw - 1);
            const float tx = fx - x0;
            const auto L = [&](int xx, int yy) { return level[size_t(yy) * size_t(bw) + size_t(xx)]; };
            const float bg = (L(x0, y0) * (1 - tx) + L(x1, y0) * tx) * (1 - ty) + (L(x0, y1) * (1 - tx) + L(x1, y1) * tx) * ty;
            quint8 &v = g.px[size_t(y) * size_t(g.w) + size_t(x)];
            if (bg < 220 && v > bg + (255 - bg) / 2)
                g.outline[size_t(y) * size_t(g.w) + size_t(x)] = 1;
            v = quint8(std::min(255.f, 255.f * v / bg));
        }
    }
}

// Otsu's threshold over the values 0..top of hist; -1 when there is none.
int otsu(const std::array<int, 256> &hist, int top)
{
    double n = 0, sumAll = 0;
    for (int v = 0; v <= top; ++v) {
        n += hist[size_t(v)];
        sumAll += double(v) * hist[size_t(v)];
    }
    double wB = 0, sumB = 0, best = -1;
    int t = -1;
    for (int v = 0; v < top; ++v) {
        wB += hist[size_t(v)];
        sumB += double(v) * hist[size_t(v)];
        const double wF = n - wB;
        if (wB == 0 || wF == 0)
            continue;
        const double mB = sumB / wB, mF = (sumAll - sumB) / wF;
        const double between = wB * wF * (mB - mF) * (mB - mF);
        if (between > best) {
            best = between;
            t = v;
        }
    }
    return t;
}

// The ink's threshold; -1 when nothing is clearly darker than the
// flattened paper (255).
int inkThreshold(const Gray &g)
{
    std::array<int, 256> hist{};
    for (quint8 v : g.px)
        ++hist[v];
    // A soft photo's paper is a spike at 255 with a shoulder of noise, which
    // Otsu may split from the spike: then the split is made again below.
    for (int top = 255, tries = 0; tries < 3; ++tries) {
        const int t = otsu(hist, top);
        if (t < 0)
            return -1;
        double s = 0, c = 0;
        for (int v = 0; v <= t; ++v) {
            s += double(v) * hist[size_t(v)];
            c += hist[size_t(v)];
        }
        if (c > 0 && s / c <= 150)
            return std::min(t, 200);
        top = t;
    }
    return -1;
}

struct Piece {
    QRect box;
    int count = 0;
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    QPointF centroid() const { return {sx / count, sy / count}; }
};

struct Pieces {
    std::vector<int> label;   // -1 for paper
    std::vector<Piece> list;
    std::vector<int> pixelStart;   // pixels of piece i: pixels[pixelStart[i] .. pixelStart[i+1])
    std::vector<int> pixels;
};

// The 8-connected piece grown from start through the pixels joins() takes,
// each labelled id (and listed in pixels when given).
template<typename Joins>
Piece floodPiece(int start, int id, int w, int h, std::vector<int> &label, std::vector<int> &stack,
                 std::vector<int> *pixels, Joins joins)
{
    Piece p;
    p.box = QRect(start % w, start / w, 1, 1);
    label[size_t(start)] = id;
    stack.push_back(start);
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const int x = i % w, y = i / w;
        ++p.count;
        p.sx += x;
        p.sy += y;
        p.sxx += double(x) * x;
        p.syy += double(y) * y;
        p.sxy += double(x) * y;
        p.box |= QRect(x, y, 1, 1);
        if (pixels)
            pixels->push_back(i);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                    continue;
                const int j = ny * w + nx;
                if (joins(j)) {
                    label[size_t(j)] = id;
                    stack.push_back(j);
                }
            }
    }
    return p;
}

// The ink's connected pieces; withOutline, a caption's outline joins its fill.
bool findPieces(const Gray &g, int threshold, Pieces &out, bool withOutline = false, int grow = -1)
{
    const int w = g.w, h = g.h;
    // With the outline, ink half as dark counts too: where a thin stroke's
    // fill and outline blend, the pixels are between the two.
    const int faint = withOutline ? (threshold + 255) / 2 : threshold;
    const auto ink = [&](int i) { return g.px[size_t(i)] <= faint || (withOutline && g.outline[size_t(i)]); };
    out.label.assign(size_t(w) * size_t(h), -1);
    std::vector<int> stack;
    for (int start = 0; start < w * h; ++start) {
        if (!ink(start) || out.label[size_t(start)] >= 0)
            continue;
        if (int(out.list.size()) >= kMaxPieces)
            return false;
        const int id = int(out.list.size());
        out.list.push_back(floodPiece(start, id, w, h, out.label, stack, nullptr, [&](int j) {
            return out.label[size_t(j)] < 0 && (ink(j) || g.px[size_t(j)] <= grow);
        }));
    }
    out.pixelStart.assign(out.list.size() + 1, 0);
    for (int l : out.label)
        if (l >= 0)
            ++out.pixelStart[size_t(l) + 1];
    for (size_t i = 1; i < out.pixelStart.size(); ++i)
        out.pixelStart[i] += out.pixelStart[i - 1];
    out.pixels.resize(size_t(out.pixelStart.back()));
    std::vector<int> fill(out.pixelStart.begin(), out.pixelStart.end() - 1);
    for (int i = 0; i < w * h; ++i)
        if (const int l = out.label[size_t(i)]; l >= 0)
            out.pixels[size_t(fill[size_t(l)]++)] = i;
    return true;
}

// Share of a piece's pixels inside r.
double shareIn(const Pieces &ps, int id, const QRectF &r, int w)
{
    int in = 0;
    const int a = ps.pixelStart[size_t(id)], b = ps.pixelStart[size_t(id) + 1];
    for (int k = a; k < b; ++k) {
        const int i = ps.pixels[size_t(k)];
        if (r.contains(QPointF(i % w + 0.5, i / w + 0.5)))
            ++in;
    }
    return b > a ? double(in) / (b - a) : 0;
}

QRectF inner(const QRect &box, double margin)
{
    return QRectF(box.x() + box.width() * margin, box.y() + box.height() * margin, box.width() * (1 - 2 * margin),
                  box.height() * (1 - 2 * margin));
}

// An outline drawn round something: nothing of it in its middle.
bool hollow(const Pieces &ps, int id, int w)
{
    const QRect &b = ps.list[size_t(id)].box;
    return b.width() >= 10 && b.height() >= 10 && shareIn(ps, id, inner(b, 0.25), w) < 0.03;
}

// A ring: hollow, round (its bounding box's corners empty), about as wide as high.
bool ring(const Pieces &ps, int id, int w)
{
    const QRect &b = ps.list[size_t(id)].box;
    const double aspect = double(b.width()) / b.height();
    if (!hollow(ps, id, w) || aspect < 0.7 || aspect > 1.43)
        return false;
    const double cw = b.width() * 0.16, ch = b.height() * 0.16;
    double corners = 0;
    for (const QPointF &at : {QPointF(b.left(), b.top()), QPointF(b.right() + 1 - cw, b.top()),
                              QPointF(b.left(), b.bottom() + 1 - ch), QPointF(b.right() + 1 - cw, b.bottom() + 1 - ch)})
        corners += shareIn(ps, id, QRectF(at, QSizeF(cw, ch)), w);
    return corners < 0.03;
}

double angleOf(QPointF v)
{
    // 0 at the top, clockwise (y grows downwards).
    double a = std::atan2(v.x(), -v.y()) * 180 / std::numbers::pi;
    return a < 0 ? a + 360 : a;
}

double wrap180(double a)
{
    while (a > 180)
        a -= 360;
    while (a <= -180)
        a += 360;
    return a;
}

double distanceTo(const QRectF &r, QPointF p)
{
    const double dx = std::max({r.left() - p.x(), 0.0, p.x() - r.right()});
    const double dy = std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
    return std::hypot(dx, dy);
}

struct ArrowShape {
    bool isArrow = false;
    QPointF head;   // unit vector from the middle towards the head
};

// A long thin piece, much wider at one end than along its shaft: an arrow
// drawn as a character or as a line with a head.
ArrowShape arrowShape(const Pieces &ps, int id, int w)
{
    const Piece &p = ps.list[size_t(id)];
    if (p.count < 6)
        return {};
    const QPointF m = p.centroid();
    const double cxx = p.sxx / p.count - m.x() * m.x(), cyy = p.syy / p.count - m.y() * m.y();
    const double cxy = p.sxy / p.count - m.x() * m.y();
    const double theta = 0.5 * std::atan2(2 * cxy, cxx - cyy);
    const QPointF u(std::cos(theta), std::sin(theta)), v(-u.y(), u.x());
    constexpr int kBins = 6;
    double lo = 1e9, hi = -1e9;
    const int a = ps.pixelStart[size_t(id)], b = ps.pixelStart[size_t(id) + 1];
    for (int k = a; k < b; ++k) {
        const int i = ps.pixels[size_t(k)];
        const double t = (i % w - m.x()) * u.x() + (i / w - m.y()) * u.y();
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    const double length = hi - lo + 1;
    std::array<double, kBins> minS, maxS;
    minS.fill(1e9);
    maxS.fill(-1e9);
    // Where each third of the piece lies: the way from the tail's third to
    // the head's is the arrow's, where the axis of the whole is pulled aside
    // by a head that is not symmetric in its pixels.
    std::array<QPointF, 3> thirdSum{};
    std::array<int, 3> thirdCount{};
    for (int k = a; k < b; ++k) {
        const int i = ps.pixels[size_t(k)];
        const double dx = i % w - m.x(), dy = i / w - m.y();
        const double t = dx * u.x() + dy * u.y(), s = dx * v.x() + dy * v.y();
        const int bin = std::clamp(int((t - lo) / length * kBins), 0, kBins - 1);
        minS[bin] = std::min(minS[bin], s);
        maxS[bin] = std::max(maxS[bin], s);
        thirdSum[size_t(bin / 2)] += QPointF(dx, dy);
        ++thirdCount[size_t(bin / 2)];
    }
    std::array<double, kBins> width;
    double widest = 0;
    for (int i = 0; i < kBins; ++i) {
        width[size_t(i)] = maxS[size_t(i)] >= minS[size_t(i)] ? maxS[size_t(i)] - minS[size_t(i)] + 1 : 0;
        widest = std::max(widest, width[size_t(i)]);
    }
    // A short diagonal arrow's head is nearly as wide as the arrow is long,
    // and so is an open V head on a short shaft (↓ in VL Gothic); then the
    // shaft must be a thin line, which the curl of a 「？」 is not.
    const double shaft = std::min({width[2], width[3]});
    if (length < 1.25 * widest || length < 8 || (length < 1.6 * widest && shaft * 4 > length))
        return {};
    const double end0 = std::max(width[0], width[1]), end1 = std::max(width[4], width[5]);
    const double headW = std::max(end0, end1), tailW = std::min(end0, end1);
    // Widths between pixel centres across an axis a little off the drawn
    // one come out a hair over or under the pixels' count (a 24 px
    // letter's ← has a head of 3.9999 on a shaft of 2.02): half a pixel is
    // allowed either way.
    if (headW + 0.5 < 2.0 * std::max(shaft, 1.0) || headW + 0.5 < 1.5 * std::max(tailW, 1.0) || headW + 0.5 < 4)
        return {};
    QPointF way = thirdSum[2] / std::max(1, thirdCount[2]) - thirdSum[0] / std::max(1, thirdCount[0]);
    const double wayLength = std::hypot(way.x(), way.y());
    way = wayLength > 1e-9 ? way / wayLength : u;
    return {true, end1 > end0 ? way : -way};
}

struct Sector {
    double from = 0, to = 0;   // degrees, to may pass 360
    std::vector<int> pieces;
};

std::vector<Sector> mergeSectors(std::vector<Sector> spans)
{
    std::sort(spans.begin(), spans.end(), [](const Sector &a, const Sector &b) { return a.from < b.from; });
    std::vector<Sector> merged;
    constexpr double kSlack = 2;
    for (Sector &s : spans) {
        if (!merged.empty() && s.from <= merged.back().to + kSlack) {
            merged.back().to = std::max(merged.back().to, s.to);
            merged.back().pieces.insert(merged.back().pieces.end(), s.pieces.begin(), s.pieces.end());
        } else {
            merged.push_back(std::move(s));
        }
    }
    // The circle closes: a last sector reaching past 360 joins the first.
    while (merged.size() > 1 && merged.back().to + kSlack >= merged.front().from + 360) {
        Sector last = std::move(merged.back());
        merged.pop_back();
        merged.front().from = last.from - 360;
        merged.front().to = std::max(merged.front().to, last.to - 360);
        merged.front().pieces.insert(merged.front().pieces.end(), last.pieces.begin(), last.pieces.end());
    }
    return merged;
}

QRect unionBox(const Pieces &ps, const std::vector<int> &ids)
{
    QRect r;
    for (int id : ids)
        r |= ps.list[size_t(id)].box;
    return r;
}

// Paper enclosed by ink: 4-connected paper that does not reach the
// picture's edge, as ink is 8-connected. Each hole keeps the convex hull of
// its rows, which a letter inside it (touching its frame or not) leaves
// whole, and the piece round it.
struct Hole {
    int around = -1;
    int area = 0;
    QRect box;
    QPolygonF hull;   // clockwise in image coordinates
    double hullArea = 0;
};

double cross(QPointF o, QPointF a, QPointF b) { return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x()); }

QPolygonF convexHull(std::vector<QPointF> pts)
{
    std::sort(pts.begin(), pts.end(), [](QPointF a, QPointF b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    if (pts.size() < 3)
        return {};
    std::vector<QPointF> h(2 * pts.size());
    size_t k = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], pts[i]) <= 0)
            --k;
        h[k++] = pts[i];
    }
    for (size_t i = pts.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(h[k - 2], h[k - 1], pts[i - 1]) <= 0)
            --k;
        h[k++] = pts[i - 1];
    }
    h.resize(k - 1);
    return QPolygonF(QList<QPointF>(h.begin(), h.end()));
}

double polygonArea(const QPolygonF &p)
{
    double a = 0;
    for (qsizetype i = 0; i < p.size(); ++i)
        a += p[i].x() * p[(i + 1) % p.size()].y() - p[(i + 1) % p.size()].x() * p[i].y();
    return std::abs(a) / 2;
}

std::vector<Hole> findHoles(const Gray &g, const Pieces &ps, int minArea)
{
    // Paper in runs along the rows, runs that touch from one row to the
    // next joined: a tenth of the work of visiting every paper pixel.
    const int w = g.w, h = g.h;
    struct Run {
        int y, x0, x1;
    };
    std::vector<Run> runs;
    std::vector<int> parent;
    const auto root = [&](int r) {
        while (parent[size_t(r)] != r)
            r = parent[size_t(r)] = parent[size_t(parent[size_t(r)])];
        return r;
    };
    size_t previous = 0;   // the first run of the row above
    for (int y = 0; y < h; ++y) {
        const size_t start = runs.size();
        const int *label = ps.label.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w;) {
            if (label[x] >= 0) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < w && label[x] < 0)
                ++x;
            runs.push_back({y, x0, x - 1});
            parent.push_back(int(runs.size() - 1));
        }
        if (y > 0)
            for (size_t a = previous, b = start; a < start && b < runs.size();) {
                if (runs[a].x1 >= runs[b].x0 && runs[b].x1 >= runs[a].x0) {
                    const int ra = root(int(a)), rb = root(int(b));
                    if (ra != rb)
                        parent[size_t(std::max(ra, rb))] = std::min(ra, rb);
                }
                if (runs[a].x1 < runs[b].x1)
                    ++a;
                else
                    ++b;
            }
        previous = start;
    }
    // Per component, in the order of their first (top, then left) run.
    struct Gathered {
        int area = 0;
        bool edge = false;
        std::vector<QPointF> ends;   // each row's first and last pixel centres
        int lastRow = -1;
    };
    std::map<int, Gathered> byRoot;
    for (size_t r = 0; r < runs.size(); ++r) {
        const Run &run = runs[r];
        Gathered &c = byRoot[root(int(r))];
        c.area += run.x1 - run.x0 + 1;
        c.edge = c.edge || run.y == 0 || run.y == h - 1 || run.x0 == 0 || run.x1 == w - 1;
        if (c.edge)
            continue;
        const double y = run.y + 0.5;
        if (c.lastRow != run.y) {
            c.ends.push_back({run.x0 + 0.5, y});
            c.ends.push_back({run.x1 + 0.5, y});
            c.lastRow = run.y;
        } else {
            c.ends.back() = {run.x1 + 0.5, y};
        }
    }
    std::vector<Hole> holes;
    for (auto &[first, c] : byRoot) {
        if (c.edge || c.area < minArea)
            continue;
        const Run &top = runs[size_t(first)];
        Hole hole;
        hole.around = ps.label[size_t(top.y - 1) * size_t(w) + size_t(top.x0)];
        if (hole.around < 0)
            continue;
        hole.area = c.area;
        // Of the pixels' centres: the frame's own pixels lie outside it.
        hole.hull = convexHull(std::move(c.ends));
        hole.hullArea = polygonArea(hole.hull);
        hole.box = hole.hull.boundingRect().toAlignedRect();
        holes.push_back(std::move(hole));
    }
    return holes;
}

// A hole a frame closes: round or square, about as wide as high, and most
// of its hull paper (a letter inside may take the rest).
bool frameLike(const Hole &hole)
{
    const double aspect = double(hole.box.width()) / std::max(1, hole.box.height());
    return aspect > 0.6 && aspect < 1.67 && hole.hullArea >= 0.7 * hole.box.width() * hole.box.height()
           && hole.area >= 0.55 * hole.hullArea;
}

// Whether what encloses inside (a piece's hole or box) is a letter's own
// enclosure, 囗 in 国 or 図: the ink it holds nearly fills it. A frame
// drawn round a letter leaves a margin (the letter fills 60-75% of it).
bool ownEnclosure(const Pieces &ps, const std::vector<char> &alive, int enclosing, const QRect &inside)
{
    QRect held;
    for (size_t k = 0; k < ps.list.size(); ++k)
        if (alive[k] && int(k) != enclosing && inside.contains(ps.list[k].centroid().toPoint()))
            held |= ps.list[k].box;
    return std::max(held.width(), held.height()) >= 0.8 * std::max(inside.width(), inside.height());
}

// Erases the frames round holes from their piece (a band as wide as its
// strokes, outside each hull) and gives what is left of the piece, the
// arrows and letters the frames touched, as new pieces of its own.
// interior: the piece's pixels whose four neighbours are the piece's too.
void unframe(Gray &g, Pieces &ps, int id, int interior, const std::vector<const Hole *> &frames, std::vector<char> &alive)
{
    const int w = g.w;
    const int a = ps.pixelStart[size_t(id)], b = ps.pixelStart[size_t(id) + 1];
    // Stroke width from ink over edge: a thin line's edge is twice its length.
    const double stroke = 2.0 * (b - a) / std::max(1, b - a - interior);
    const double band = 1.15 * stroke + 1.5;
    // Each hull's span along each pixel row (through the pixels' centres):
    // a pixel's distance from the hull is then its distance from the spans
    // of the rows within the band, far fewer than the hull's sides.
    const int reach = int(std::ceil(band));
    struct Spans {
        int top = 0;
        std::vector<std::pair<double, double>> rows;   // first > second: the row misses the hull
    };
    std::vector<Spans> spans;
    for (const Hole *hole : frames) {
        Spans sp;
        sp.top = hole->box.top();
        for (int y = hole->box.top(); y <= hole->box.bottom(); ++y) {
            const double yc = y + 0.5;
            double lo = 1e18, hi = -1e18;
            for (qsizetype e = 0; e < hole->hull.size(); ++e) {
                // A level side's ends are also ends of its neighbours, which cross the row there.
                const QPointF p0 = hole->hull[e], p1 = hole->hull[(e + 1) % hole->hull.size()];
                if (p0.y() == p1.y() || (p0.y() - yc) * (p1.y() - yc) > 0)
                    continue;
                const double x = p0.x() + (yc - p0.y()) / (p1.y() - p0.y()) * (p1.x() - p0.x());
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
            sp.rows.emplace_back(lo, hi);
        }
        spans.push_back(std::move(sp));
    }
    const auto nearHull = [&](const Spans &sp, double qx, int y) {
        const auto at = [&](int row) -> const std::pair<double, double> * {
            const int k = row - sp.top;
            return k >= 0 && k < int(sp.rows.size()) ? &sp.rows[size_t(k)] : nullptr;
        };
        if (const auto *own = at(y); own && qx >= own->first - 0.01 && qx <= own->second + 0.01)
            return false;   // inside
        for (int dy = -reach; dy <= reach; ++dy)
            if (const auto *row = at(y + dy); row && row->first <= row->second) {
                const double dx = std::max({row->first - qx, 0.0, qx - row->second});
                if (dx * dx + double(dy) * dy <= band * band)
                    return true;
            }
        return false;
    };
    std::vector<int> left;
    for (int k = a; k < b; ++k) {
        const int i = ps.pixels[size_t(k)];
        const int y = i / w;
        const double qx = i % w + 0.5;
        bool erase = false;
        for (size_t f = 0; f < frames.size() && !erase; ++f)
            if (frames[f]->box.adjusted(-reach - 1, -reach - 1, reach + 1, reach + 1).contains(i % w, y))
                erase = nearHull(spans[f], qx, y);
        if (erase) {
            ps.label[size_t(i)] = -1;
            g.px[size_t(i)] = 255;
        } else {
            left.push_back(i);
        }
    }
    alive[size_t(id)] = 0;
    // What is left, in 8-connected pieces.
    for (int i : left)
        ps.label[size_t(i)] = -2;
    std::vector<int> stack;
    for (int start : left) {
        if (ps.label[size_t(start)] != -2)
            continue;
        const int nid = int(ps.list.size());
        ps.list.push_back(floodPiece(start, nid, w, g.h, ps.label, stack, &ps.pixels,
                                     [&](int j) { return ps.label[size_t(j)] == -2; }));
        ps.pixelStart.push_back(int(ps.pixels.size()));
        alive.push_back(1);
    }
}

// The letter's pieces drawn dark on white from the flattened picture,
// turned upright by -tilt degrees, the em scaled to kEmPixels.
QImage renderGlyph(const Gray &g, const Pieces &ps, const std::vector<int> &ids, int em, double tilt, int threshold)
{
    const QRect box = unionBox(ps, ids).adjusted(-2, -2, 2, 2).intersected(QRect(0, 0, g.w, g.h));
    std::vector<char> mine(ps.list.size(), 0);
    for (int id : ids)
        mine[size_t(id)] = 1;
    QImage crop(box.size(), QImage::Format_Grayscale8);
    crop.fill(255);
    // The pieces' own pixels and their rim keep their grey, so that soft
    // edges survive; anything else in the box is paper.
    const double ink = std::max(1, threshold);
    for (int y = box.top(); y <= box.bottom(); ++y) {
        uchar *line = crop.scanLine(y - box.top());
        for (int x = box.left(); x <= box.right(); ++x) {
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= g.w || ny >= g.h)
                        continue;
                    const int l = ps.label[size_t(ny) * size_t(g.w) + size_t(nx)];
                    near = l >= 0 && mine[size_t(l)];
                }
            if (near) {
                // Stretch so that the threshold's grey is mid-grey.
                const double v = g.at(x, y);
                line[x - box.left()] = quint8(std::clamp(v <= ink ? v / ink * 128 : 128 + (v - ink) / (255 - ink + 1e-9) * 127, 0.0, 255.0));
            }
        }
    }
    const double scale = double(kEmPixels) / std::max(em, 1);
    QTransform t;
    t.scale(scale, scale);
    if (std::abs(tilt) > 1.0)
        t.rotate(-tilt);
    // With alpha, what the scaled letter does not cover is clear and goes
    // white below, where in grey it would blend a dark line along the edge.
    QImage turned = crop.convertToFormat(QImage::Format_ARGB32_Premultiplied).transformed(t, Qt::SmoothTransformation);
    // transformed() fills uncovered corners with black/transparent: paint them paper.
    const QRect inside = QRect(QPoint(0, 0), turned.size());
    const int pad = std::max(4, kEmPixels / 5);
    const int side = std::max({turned.width(), turned.height(), kEmPixels});
    QImage out(side + 2 * pad, side + 2 * pad, QImage::Format_Grayscale8);
    out.fill(255);
    QPainter p(&out);
    QImage mask(turned.size(), QImage::Format_Grayscale8);
    if (turned.format() != QImage::Format_Grayscale8) {
        // A rotation gives ARGB; composite on white.
        QImage onWhite(turned.size(), QImage::Format_RGB32);
        onWhite.fill(Qt::white);
        QPainter q(&onWhite);
        q.drawImage(0, 0, turned);
        q.end();
        turned = onWhite.convertToFormat(QImage::Format_Grayscale8);
    }
    Q_UNUSED(mask);
    Q_UNUSED(inside);
    p.drawImage((out.width() - turned.width()) / 2, (out.height() - turned.height()) / 2, turned);
    p.end();
    return out;
}

} // namespace

CellLayout findCells(const QImage &image)
{
    CellLayout layout;
    if (image.isNull() || image.width() < 8 || image.height() < 8)
        return layout;
    Gray g = grayOf(image);
    makeInkDark(g);
    flattenBackground(g);
    const int threshold = inkThreshold(g);
    if (threshold < 0)
        return layout;
    Pieces ps;
    // A soft picture (a small photo) has as much grey round its ink as
    // ink: its thin strokes break apart at the threshold, so pieces grow
    // from the ink into the paler grey joined to it.
    qint64 dark = 0, grey = 0;
    const int greyTop = threshold + (255 - threshold) * 3 / 5;
    for (quint8 v : g.px) {
        dark += v <= threshold;
        grey += v > threshold && v <= greyTop;
    }
    // (A screenshot has a fifth to two fifths as much, a 24 px photo twice.)
    const bool soft = grey > 1.3 * double(dark);
    if (!findPieces(g, threshold, ps, false, soft ? threshold + (255 - threshold) * 35 / 100 : -1))
        return layout;
    Pieces outlined;
    if (std::find(g.outline.begin(), g.outline.end(), 1) != g.outline.end() && !findPieces(g, threshold, outlined, true))
        outlined = {};
    const int w = g.w;
    const QRect whole(0, 0, g.w, g.h);

    // Specks, and the solid dark beyond a photographed page's edge.
    std::vector<char> alive(ps.list.size(), 1);
    const int minCount = std::max(4, int(qint64(g.w) * g.h / 400'000));
    std::vector<int> interior(ps.list.size(), 0);
    for (int y = 1; y < g.h - 1; ++y)
        for (int x = 1; x < g.w - 1; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            const int l = ps.label[i];
            if (l >= 0 && ps.label[i - 1] == l && ps.label[i + 1] == l && ps.label[i - size_t(w)] == l
                && ps.label[i + size_t(w)] == l)
                ++interior[size_t(l)];
        }
    const auto touchesEdge = [&](const QRect &b) {
        return b.left() == 0 || b.top() == 0 || b.right() == g.w - 1 || b.bottom() == g.h - 1;
    };
    for (size_t i = 0; i < ps.list.size(); ++i) {
        const Piece &p = ps.list[i];
        if (p.count < minCount
            || (touchesEdge(p.box) && interior[i] > 0.6 * p.count && p.count > 0.4 * p.box.width() * p.box.height()))
            alive[i] = 0;
    }
    QRectF centreHole;
    std::vector<char> letterOwn(ps.list.size(), 0);   // pieces that are a letter's own enclosure
    {
        // Frames that arrows or letters touch join them in one piece: the
        // frames are erased and what they held kept. A frame is a round or
        // square hole that holds the middle, or one of three or more of a
        // size, or one in a piece that spans half the puzzle; a letter's
        // own enclosures (国, 品) are none of these.
        std::vector<int> ids;
        for (size_t i = 0; i < alive.size(); ++i)
            if (alive[i])
                ids.push_back(int(i));
        const QRect all = unionBox(ps, ids);
        const double extent = std::max(all.width(), all.height());
        const std::vector<Hole> holes = findHoles(g, ps, std::max(24, int(extent * extent / 400)));
        std::vector<const Hole *> candidates;
        for (const Hole &hole : holes) {
            if (!alive[size_t(hole.around)])
                continue;
            if (ownEnclosure(ps, alive, hole.around, hole.box))
                letterOwn[size_t(hole.around)] = 1;
            else if (frameLike(hole) && std::max(hole.box.width(), hole.box.height()) >= 0.12 * extent)
                candidates.push_back(&hole);
        }
        std::map<int, std::vector<const Hole *>> byPiece;
        for (const Hole *hole : candidates) {
            const QRect &pb = ps.list[size_t(hole->around)].box;
            const double size = std::max(hole->box.width(), hole->box.height());
            int alike = 0;
            for (const Hole *other : candidates) {
                const double o = std::max(other->box.width(), other->box.height());
                alike += o <= 1.5 * size && size <= 1.5 * o;
            }
            const bool middle = hole->hull.containsPoint(QRectF(all).center(), Qt::OddEvenFill);
            if (middle || alike >= 3 || std::max(pb.width(), pb.height()) >= 0.45 * extent)
                byPiece[hole->around].push_back(hole);
            if (middle && (centreHole.isNull() || hole->box.width() > centreHole.width()))
                centreHole = hole->box;
        }
        for (const auto &[id, frames] : byPiece) {
            const size_t before = ps.list.size();
            unframe(g, ps, id, interior[size_t(id)], frames, alive);
            for (size_t i = before; i < ps.list.size(); ++i)
                if (ps.list[i].count < minCount)
                    alive[i] = 0;
        }
    }
    // What frames the whole picture.
    for (size_t i = 0; i < ps.list.size(); ++i) {
        const Piece &p = ps.list[i];
        if ((p.box.width() > g.w * 0.6 && p.box.height() > g.h * 0.6)
            || (touchesEdge(p.box) && (p.box.width() > g.w / 2 || p.box.height() > g.h / 2)))
            alive[i] = 0;
    }
    auto living = [&] {
        std::vector<int> ids;
        for (size_t i = 0; i < alive.size(); ++i)
            if (alive[i])
                ids.push_back(int(i));
        return ids;
    };
    std::vector<int> ids = living();
    if (ids.empty())
        return layout;
    const QRect all = unionBox(ps, ids);
    QPointF centre = QRectF(all).center();

    // The centre: a box or ring round the middle, with its 「？」, or the middle of the ink.
    int centreFrame = -1;
    for (int id : ids) {
        const QRect &b = ps.list[size_t(id)].box;
        if (b.contains(centre.toPoint()) && b.width() < all.width() * 0.6 && b.height() < all.height() * 0.6
            && hollow(ps, id, w) && (centreFrame < 0 || b.width() > ps.list[size_t(centreFrame)].box.width()))
            centreFrame = id;
    }
    QRectF centreZone;
    if (centreFrame < 0 && !centreHole.isNull()) {
        centre = centreHole.center();
        centreZone = centreHole;
    } else if (centreFrame >= 0) {
        centre = QRectF(ps.list[size_t(centreFrame)].box).center();
        centreZone = ps.list[size_t(centreFrame)].box;
    }
    // Distances of the pieces from the centre tell the letters' ring.
    std::vector<double> radii;
    for (int id : ids)
        radii.push_back(std::hypot(ps.list[size_t(id)].centroid().x() - centre.x(), ps.list[size_t(id)].centroid().y() - centre.y()));
    std::vector<double> sorted = radii;
    std::nth_element(sorted.begin(), sorted.begin() + qsizetype(sorted.size() * 3 / 4), sorted.end());
    const double ringRadius = sorted[sorted.size() * 3 / 4];
    if (centreZone.isNull())
        centreZone = QRectF(centre - QPointF(ringRadius * 0.3, ringRadius * 0.3), QSizeF(ringRadius * 0.6, ringRadius * 0.6));
    for (size_t k = 0; k < ids.size(); ++k) {
        const int id = ids[k];
        if (id == centreFrame || centreZone.contains(QRectF(ps.list[size_t(id)].box))
            || ps.list[size_t(id)].box.contains(centre.toPoint()) || ring(ps, id, w))
            alive[size_t(id)] = 0;
    }
    ids = living();

    // Boxes drawn round letters: hollow pieces with pieces inside them. One
    // alone is more likely a letter's own enclosure (国, 回).
    std::vector<int> frames;
    letterOwn.resize(ps.list.size(), 0);
    for (int id : ids) {
        if (!hollow(ps, id, w) || letterOwn[size_t(id)])
            continue;
        const QRect &b = ps.list[size_t(id)].box;
        bool encloses = false, enclosed = false;
        for (int other : ids) {
            if (other == id)
                continue;
            encloses = encloses || b.contains(ps.list[size_t(other)].box);
            enclosed = enclosed || (ps.list[size_t(other)].box.contains(b) && hollow(ps, other, w));
        }
        if (encloses && !enclosed)
            frames.push_back(id);
    }
    if (frames.size() >= 2)
        for (int id : frames)
            alive[size_t(id)] = 0;
    ids = living();

    // Sectors: each piece's span of angles round the centre, overlapping spans merged.
    std::vector<Sector> spans;
    for (int id : ids) {
        const QRectF b = QRectF(ps.list[size_t(id)].box).adjusted(0, 0, 1, 1);
        const double mid = angleOf(ps.list[size_t(id)].centroid() - centre);
        double lo = 0, hi = 0;
        for (QPointF corner : {b.topLeft(), b.topRight(), b.bottomLeft(), b.bottomRight()}) {
            const double d = wrap180(angleOf(corner - centre) - mid);
            lo = std::min(lo, d);
            hi = std::max(hi, d);
        }
        if (hi - lo > 100)
            continue;   // a line round the puzzle, not part of a letter
        spans.push_back({mid + lo < 0 ? mid + lo + 360 : mid + lo, (mid + lo < 0 ? mid + lo + 360 : mid + lo) + hi - lo, {id}});
    }
    std::vector<Sector> sectors = mergeSectors(std::move(spans));
    layout.sectors = int(sectors.size());
    layout.centre = centre;
    if (sectors.empty())
        return layout;
    // Specks a photo's page edge leaves are counted out below, once the
    // letters' size is known; so many sectors are text, not a puzzle.
    if (int(sectors.size()) > 3 * kMaxLetters) {
        layout.outcome = CellLayout::Outcome::TooMany;
        return layout;
    }
    if (int(sectors.size()) < kMinLetters) {
        layout.outcome = CellLayout::Outcome::TooFew;
        return layout;
    }

    struct Found {
        double angle;
        std::vector<int> letter;
        Arrow arrow = Arrow::None;
    };
    std::vector<Found> found;
    for (const Sector &s : sectors) {
        Found f{0, {}, Arrow::None};
        std::vector<int> arrows;
        std::vector<ArrowShape> shapes;
        for (int id : s.pieces) {
            const ArrowShape shape = arrowShape(ps, id, w);
            if (shape.isArrow) {
                arrows.push_back(id);
                shapes.push_back(shape);
            } else {
                f.letter.push_back(id);
            }
        }
        if (f.letter.empty()) {
            f.letter = arrows;
            arrows.clear();
        }
        // Between the letter and the centre, clear of the letter, pointing
        // more along the way between than across it: arrow characters come in eight
        // directions and fonts draw the diagonals steeper or flatter, so
        // a letter at 120° may have its arrow 40° off.
        const auto between = [&](const Piece &p, const ArrowShape &shape, const QRectF &letterBox) {
            const QPointF toCentre = centre - p.centroid();
            const double r = std::hypot(toCentre.x(), toCentre.y());
            const double along = (shape.head.x() * toCentre.x() + shape.head.y() * toCentre.y()) / std::max(r, 1e-9);
            // A diagonal arrow by a wide letter's corner may cross the
            // corner of the letter's box, not the letter.
            const QRectF overlap = letterBox.intersected(QRectF(p.box));
            const bool clear = overlap.width() * overlap.height() <= 0.05 * p.box.width() * p.box.height();
            if (r < distanceTo(letterBox, centre) && std::abs(along) > 0.5 && clear)
                return along > 0 ? Arrow::LetterFirst : Arrow::AnswerFirst;
            return Arrow::None;
        };
        const QRectF letterBox = unionBox(ps, f.letter);
        for (size_t k = 0; k < arrows.size(); ++k) {
            const Arrow a = between(ps.list[size_t(arrows[k])], shapes[k], letterBox);
            if (a != Arrow::None)
                f.arrow = a;
            else
                f.letter.push_back(arrows[k]);
        }
        if (f.arrow == Arrow::None && !outlined.list.empty()) {
            // A small caption's arrow: its fill alone is a few specks or
            // too faint to be ink, with its outline it has the arrow's shape.
            const auto outlinedOf = [&](int id) {
                return outlined.label[size_t(ps.pixels[size_t(ps.pixelStart[size_t(id)])])];
            };
            const int biggest = *std::max_element(f.letter.begin(), f.letter.end(), [&](int a, int b) {
                return ps.list[size_t(a)].count < ps.list[size_t(b)].count;
            });
            for (int c = 0; c < int(outlined.list.size()); ++c) {
                const double angle = angleOf(outlined.list[size_t(c)].centroid() - centre);
                const auto inSector = [&](double a) { return a >= s.from && a <= s.to; };
                if (c == outlinedOf(biggest) || !(inSector(angle) || inSector(angle - 360) || inSector(angle + 360)))
                    continue;
                const ArrowShape shape = arrowShape(outlined, c, w);
                if (!shape.isArrow)
                    continue;
                std::vector<int> rest;
                std::copy_if(f.letter.begin(), f.letter.end(), std::back_inserter(rest),
                             [&](int other) { return outlinedOf(other) != c; });
                const Arrow a = between(outlined.list[size_t(c)], shape, unionBox(ps, rest));
                if (a != Arrow::None) {
                    f.arrow = a;
                    f.letter = rest;
                    break;
                }
            }
        }
        // The letter is the biggest piece and what lies close to it; stray
        // specks of the sector stay out.
        std::sort(f.letter.begin(), f.letter.end(),
                  [&](int a, int b) { return ps.list[size_t(a)].count > ps.list[size_t(b)].count; });
        QRect core = ps.list[size_t(f.letter.front())].box;
        const int reach = std::max(core.width(), core.height()) / 2 + 2;
        std::vector<int> kept{f.letter.front()};
        for (bool grew = true; grew;) {
            grew = false;
            for (int id : f.letter) {
                if (std::find(kept.begin(), kept.end(), id) != kept.end())
                    continue;
                if (core.adjusted(-reach, -reach, reach, reach).intersects(ps.list[size_t(id)].box)) {
                    kept.push_back(id);
                    core |= ps.list[size_t(id)].box;
                    grew = true;
                }
            }
        }
        f.letter = kept;
        f.angle = angleOf(QRectF(core).center() - centre);
        found.push_back(std::move(f));
    }

    // A speck far smaller than the letters (a photo's dirt, the page's edge)
    // is no letter; the ring of letters decides what a letter's size is.
    // Each letter's extent, and their median: the em.
    const auto extents = [&](int &median) {
        std::vector<int> extent;
        for (const Found &f : found) {
            const QRect b = unionBox(ps, f.letter);
            extent.push_back(std::max(b.width(), b.height()));
        }
        std::vector<int> sorted = extent;
        std::sort(sorted.begin(), sorted.end());
        median = sorted[sorted.size() / 2];
        return extent;
    };
    {
        int typical = 0;
        const std::vector<int> extent = extents(typical);
        std::vector<Found> letters;
        for (size_t i = 0; i < found.size(); ++i)
            if (extent[i] * 5 >= typical * 2)
                letters.push_back(std::move(found[i]));
        found = std::move(letters);
        layout.sectors = int(found.size());
        if (int(found.size()) < kMinLetters) {
            layout.outcome = CellLayout::Outcome::TooFew;
            return layout;
        }
        if (int(found.size()) > kMaxLetters) {
            layout.outcome = CellLayout::Outcome::TooMany;
            return layout;
        }
    }

    // Clockwise from the letter nearest the top.
    std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) { return a.angle < b.angle; });
    size_t first = 0;
    for (size_t i = 1; i < found.size(); ++i)
        if (std::abs(wrap180(found[i].angle)) < std::abs(wrap180(found[first].angle)))
            first = i;
    std::rotate(found.begin(), found.begin() + qsizetype(first), found.end());

    // A tilted picture (a photo): evenly spaced letters all off by the same
    // angle give the tilt to straighten each letter by.
    const int n = int(found.size());
    double tilt = 0, spread = 0;
    std::vector<double> offs;
    for (int i = 0; i < n; ++i)
        offs.push_back(wrap180(found[size_t(i)].angle - 360.0 * i / n));
    for (double o : offs)
        tilt += o / n;
    for (double o : offs)
        spread = std::max(spread, std::abs(o - tilt));
    if (n < 3 || spread > 6 || std::abs(tilt) > 20)
        tilt = 0;

    int em = 0;
    const std::vector<int> sizes = extents(em);
    const double toPicture = double(image.width()) / g.w;

    for (size_t i = 0; i < found.size(); ++i) {
        Cell cell;
        cell.arrow = found[i].arrow;
        const QRect b = unionBox(ps, found[i].letter);
        cell.box = QRectF(b.x() * toPicture, b.y() * toPicture, b.width() * toPicture, b.height() * toPicture).toAlignedRect();
        // Flat for its tilt: a single stroke lying across.
        const Piece &p = ps.list[size_t(found[i].letter.front())];
        if (found[i].letter.size() == 1 && b.width() >= 3 * b.height() && b.width() > em / 2 && p.count > 0)
            cell.flatStroke = true;
        cell.glyph = renderGlyph(g, ps, found[i].letter, std::max(em, sizes[i]), tilt, threshold);
        layout.cells.push_back(cell);
    }
    layout.centre = centre * toPicture;
    layout.outcome = CellLayout::Outcome::Found;
    Q_UNUSED(whole);
    return layout;
}

} // namespace picture
