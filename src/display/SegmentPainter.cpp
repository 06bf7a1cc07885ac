#include "display/SegmentPainter.h"

#include <QPainter>
#include <QPolygonF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace display::segments {

namespace {

enum Segment { A, B, C, D, E, F, G };

struct Shape {
    double thickness; // segment width as a share of the digit width
    double gap;       // pixels between neighbouring segments
    double marginX;   // share of the digit width left free on each side
    double marginY;   // share of the digit height left free above and below
    double slant;     // horizontal lean per pixel of height (0: upright)
};

Shape shapeOf(Style style) {
    switch (style) {
    case Style::Bevelled: return {0.20, 0.42, 0.13, 0.075, 0.0};
    case Style::Slanted: return {0.165, 0.40, 0.12, 0.075, 0.16};
    case Style::Slim:
    default: return {0.135, 0.38, 0.17, 0.075, 0.0};
    }
}

QPainterPath polygonPath(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// A bar with pointed ends between two centre points.
QPainterPath horizontalHex(double x1, double x2, double y, double t, double gap) {
    const double h = t / 2;
    x1 += gap;
    x2 -= gap;
    return polygonPath({{x1, y}, {x1 + h, y - h}, {x2 - h, y - h}, {x2, y}, {x2 - h, y + h}, {x1 + h, y + h}});
}

QPainterPath verticalHex(double x, double y1, double y2, double t, double gap) {
    const double h = t / 2;
    y1 += gap;
    y2 -= gap;
    return polygonPath({{x, y1}, {x + h, y1 + h}, {x + h, y2 - h}, {x, y2}, {x - h, y2 - h}, {x - h, y1 + h}});
}

} // namespace

Style styleFor(int degitStyle) {
    switch (degitStyle) {
    case 1: return Style::Bevelled;
    case 2: return Style::Slanted;
    default: return Style::Slim;
    }
}

std::uint8_t segmentsFor(QChar c) {
    constexpr std::uint8_t a = 1, b = 2, cc = 4, d = 8, e = 16, f = 32, g = 64;
    switch (c.unicode()) {
    case '0': return a | b | cc | d | e | f;
    case '1': return b | cc;
    case '2': return a | b | d | e | g;
    case '3': return a | b | cc | d | g;
    case '4': return b | cc | f | g;
    case '5': return a | cc | d | f | g;
    case '6': return a | cc | d | e | f | g;
    case '7': return a | b | cc;
    case '8': return kAllSegments;
    case '9': return a | b | cc | d | f | g;
    case '-': return g;
    case '_': return d;
    case 'A': return a | b | cc | e | f | g;
    case 'b': return cc | d | e | f | g;
    case 'C': return a | d | e | f;
    case 'c': return d | e | g;
    case 'd': return b | cc | d | e | g;
    case 'E': return a | d | e | f | g;
    case 'F': return a | e | f | g;
    case 'H': return b | cc | e | f | g;
    case 'L': return d | e | f;
    case 'n': return cc | e | g;
    case 'o': return cc | d | e | g;
    case 'P': return a | b | e | f | g;
    case 'r': return e | g;
    case 'U': return b | cc | d | e | f;
    case 'u': return cc | d | e;
    default: return 0;
    }
}

std::array<QPainterPath, 7> segmentOutlines(Style style, QSize digit, bool bold) {
    const Shape s = shapeOf(style);
    const double w = digit.width();
    const double hgt = digit.height();
    // Without the bold weight the lamps are a fifth narrower.
    const double t = std::max(1.2, w * s.thickness * (bold ? 1.0 : 0.8));
    const double g = s.gap;
    const double lean = s.slant * hgt / 2; // how far the top moves right

    const double xl = w * s.marginX + lean * 0.9;
    const double xr = w - w * s.marginX - lean * 0.9;
    const double yt = hgt * s.marginY;
    const double yb = hgt - hgt * s.marginY;
    const double L = xl + t / 2, R = xr - t / 2, T = yt + t / 2, Bm = yb - t / 2;
    const double M = (T + Bm) / 2;

    std::array<QPainterPath, 7> seg;
    if (style == Style::Bevelled) {
        // Outer segments are trapezoids whose corners are mitred at 45
        // degrees; the middle bar has pointed ends.
        const double h = t / 2;
        seg[A] = polygonPath({{xl + g, yt}, {xr - g, yt}, {xr - t - g, yt + t}, {xl + t + g, yt + t}});
        seg[D] = polygonPath({{xl + t + g, yb - t}, {xr - t - g, yb - t}, {xr - g, yb}, {xl + g, yb}});
        seg[F] = polygonPath({{xl, yt + g}, {xl + t, yt + t + g}, {xl + t, M - h - g}, {xl + h, M - g}, {xl, M - h - g}});
        seg[E] = polygonPath({{xl, M + h + g}, {xl + h, M + g}, {xl + t, M + h + g}, {xl + t, yb - t - g}, {xl, yb - g}});
        seg[B] = polygonPath({{xr, yt + g}, {xr - t, yt + t + g}, {xr - t, M - h - g}, {xr - h, M - g}, {xr, M - h - g}});
        seg[C] = polygonPath({{xr, M + h + g}, {xr - h, M + g}, {xr - t, M + h + g}, {xr - t, yb - t - g}, {xr, yb - g}});
        seg[G] = horizontalHex(L, R, M, t, g);
    } else {
        seg[A] = horizontalHex(L, R, T, t, g);
        seg[G] = horizontalHex(L, R, M, t, g);
        seg[D] = horizontalHex(L, R, Bm, t, g);
        seg[F] = verticalHex(L, T, M, t, g);
        seg[B] = verticalHex(R, T, M, t, g);
        seg[E] = verticalHex(L, M, Bm, t, g);
        seg[C] = verticalHex(R, M, Bm, t, g);
    }
    if (s.slant != 0) {
        // Lean about the vertical middle so the glyph stays centred.
        const QTransform shear(1, 0, -s.slant, 1, s.slant * hgt / 2, 0);
        for (auto& p : seg) p = shear.map(p);
    }
    return seg;
}

namespace {

QImage render(Style style, QSize digit, bool bold, QRgb rgb, std::uint8_t mask, bool lit) {
    QImage image(digit, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (mask == 0) return image;

    const auto outlines = segmentOutlines(style, digit, bold);
    QPainterPath shape;
    for (int i = 0; i < 7; ++i) {
        if (mask & (1u << i)) shape.addPath(outlines[static_cast<std::size_t>(i)]);
    }
    shape.setFillRule(Qt::WindingFill);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor colour(rgb);
    if (!lit) {
        p.fillPath(shape, colour);
        return image;
    }
    // An LED seen through the diffuser: a faint halo around the segment, the
    // segment itself, and a brighter, whiter core along its middle.
    const double t = std::max(1.2, digit.width() * shapeOf(style).thickness);
    QColor halo = colour;
    halo.setAlpha(70);
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(1.2, t * 0.7));
    stroker.setJoinStyle(Qt::RoundJoin);
    p.fillPath(stroker.createStroke(shape).united(shape), halo);
    p.fillPath(shape, colour);

    QColor core = QColor::fromRgbF(std::min(1.0, colour.redF() * 0.55 + 0.45), std::min(1.0, colour.greenF() * 0.55 + 0.45),
                                   std::min(1.0, colour.blueF() * 0.55 + 0.45), 0.55);
    p.setClipPath(shape);
    QPainterPathStroker inner;
    inner.setWidth(t * 0.5);
    QPainterPath shrunk = shape.subtracted(inner.createStroke(shape));
    p.fillPath(shrunk, core);
    return image;
}

struct Key {
    int style, width, height, bold, lit, mask;
    QRgb rgb;
    bool operator==(const Key&) const = default;
};

struct KeyHash {
    std::size_t operator()(const Key& k) const noexcept {
        std::size_t h = static_cast<std::size_t>(k.rgb);
        for (int v : {k.style, k.width, k.height, k.bold, k.lit, k.mask}) h = h * 1000003u ^ static_cast<std::size_t>(v);
        return h;
    }
};

} // namespace

const QImage& sprite(Style style, QSize digit, bool bold, QRgb rgb, std::uint8_t mask, bool lit) {
    static std::unordered_map<Key, QImage, KeyHash> cache;
    rgb = qRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
    const Key key{static_cast<int>(style), digit.width(), digit.height(), bold, lit, mask & kAllSegments, rgb};
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    // Colours change rarely (the options dialog); a bounded cache is plenty.
    if (cache.size() > 2048) cache.clear();
    return cache.emplace(key, render(style, digit, bold, rgb, mask & kAllSegments, lit)).first->second;
}

} // namespace display::segments
