#include "platform/canvas.h"

#include "platform/bitmap.h"
#include "platform/exceptions.h"
#include "platform/graphic.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <optional>
#include <unordered_map>

namespace {

constexpr TColor kRgbMask = 0xFFFFFF;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// ---------------------------------------------------------------------------------------------
// Pixel access to a bitmap's own memory in any of its formats.

class PixelReader {
public:
    explicit PixelReader(const Bitmap& bitmap)
        : data_(bitmap.bits()), stride_(bitmap.bytesPerLine()), bits_(bitmap.bitsPerPixel())
    {
        if (bits_ != 24)
            for (const PaletteEntry& e : bitmap.palette().entries())
                colors_.push_back(e.color());
    }

    bool indexed() const { return bits_ != 24; }
    int bits() const { return bits_; }

    int index(int x, int y) const
    {
        const std::uint8_t* row = data_ + std::ptrdiff_t(y) * stride_;
        switch (bits_) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        case 8: return row[x];
        default: return 0;
        }
    }

    TColor paletteColor(int index) const
    {
        return index >= 0 && std::size_t(index) < colors_.size() ? colors_[std::size_t(index)] : clBlack;
    }

    TColor color(int x, int y) const
    {
        if (bits_ == 24) {
            const std::uint8_t* p = data_ + std::ptrdiff_t(y) * stride_ + 3 * std::ptrdiff_t(x);
            return rgbColor(p[2], p[1], p[0]);
        }
        return paletteColor(index(x, y));
    }

private:
    const std::uint8_t* data_;
    int stride_;
    int bits_;
    std::vector<TColor> colors_;
};

class PixelWriter : public PixelReader {
public:
    explicit PixelWriter(Bitmap& bitmap)
        : PixelReader(bitmap), data_(bitmap.bits()), stride_(bitmap.bytesPerLine()), palette_(bitmap.palette())
    {
    }

    // Palette index nearest to c; remembered, since a call draws few distinct colours.
    int nearest(TColor c)
    {
        auto it = cache_.find(c);
        if (it != cache_.end())
            return it->second;
        const int i = std::max(0, palette_.nearestIndex(c));
        cache_.emplace(c, i);
        return i;
    }

    void setIndex(int x, int y, int index)
    {
        std::uint8_t* row = data_ + std::ptrdiff_t(y) * stride_;
        switch (bits()) {
        case 1: {
            const auto m = std::uint8_t(0x80 >> (x & 7));
            row[x >> 3] = (index & 1) ? std::uint8_t(row[x >> 3] | m) : std::uint8_t(row[x >> 3] & ~m);
            break;
        }
        case 4:
            if (x & 1)
                row[x >> 1] = std::uint8_t((row[x >> 1] & 0xF0) | (index & 0x0F));
            else
                row[x >> 1] = std::uint8_t((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
            break;
        default: row[x] = std::uint8_t(index); break;
        }
    }

    void setColor(int x, int y, TColor c)
    {
        if (!indexed()) {
            std::uint8_t* p = data_ + std::ptrdiff_t(y) * stride_ + 3 * std::ptrdiff_t(x);
            p[0] = blueOf(c);
            p[1] = greenOf(c);
            p[2] = redOf(c);
        } else {
            setIndex(x, y, nearest(c));
        }
    }

private:
    std::uint8_t* data_;
    int stride_;
    const Palette& palette_;
    std::unordered_map<TColor, int> cache_;
};

TColor applyMode(PenMode mode, TColor p, TColor d)
{
    TColor r = p;
    switch (mode) {
    case PenMode::Copy: r = p; break;
    case PenMode::Not: r = ~d; break;
    case PenMode::Xor: r = p ^ d; break;
    case PenMode::NotXor: r = ~(p ^ d); break;
    case PenMode::MergePen: r = p | d; break;
    case PenMode::MaskPen: r = p & d; break;
    case PenMode::Black: r = 0; break;
    case PenMode::White: r = kRgbMask; break;
    case PenMode::Nop: r = d; break;
    case PenMode::NotCopy: r = ~p; break;
    case PenMode::MergePenNot: r = p | ~d; break;
    case PenMode::MaskPenNot: r = p & ~d; break;
    case PenMode::MergeNotPen: r = ~p | d; break;
    case PenMode::MaskNotPen: r = ~p & d; break;
    case PenMode::NotMerge: r = ~(p | d); break;
    case PenMode::NotMask: r = ~(p & d); break;
    }
    return r & kRgbMask;
}

bool modeReadsDestination(PenMode mode)
{
    switch (mode) {
    case PenMode::Copy:
    case PenMode::Black:
    case PenMode::White:
    case PenMode::NotCopy: return false;
    default: return true;
    }
}

// Hatch patterns repeat every 8 pixels from the bitmap's origin.
bool hatchCovers(BrushStyle style, int x, int y)
{
    const int hx = x & 7, hy = y & 7;
    const bool horizontal = hy == 0;
    const bool vertical = hx == 0;
    const bool fdiagonal = ((hx - hy) & 7) == 0; // top-left to bottom-right
    const bool bdiagonal = ((hx + hy) & 7) == 7; // bottom-left to top-right
    switch (style) {
    case BrushStyle::Solid: return true;
    case BrushStyle::Clear: return false;
    case BrushStyle::Horizontal: return horizontal;
    case BrushStyle::Vertical: return vertical;
    case BrushStyle::FDiagonal: return fdiagonal;
    case BrushStyle::BDiagonal: return bdiagonal;
    case BrushStyle::Cross: return horizontal || vertical;
    case BrushStyle::DiagCross: return fdiagonal || bdiagonal;
    }
    return false;
}

// On and off runs of the styled one-pixel pens, in pixels.
bool styleDraws(PenStyle style, std::int64_t step)
{
    static constexpr std::array<int, 2> dash{18, 6};
    static constexpr std::array<int, 2> dot{3, 3};
    static constexpr std::array<int, 4> dashDot{9, 6, 3, 6};
    static constexpr std::array<int, 6> dashDotDot{9, 3, 3, 3, 3, 3};
    auto onRun = [step](const auto& runs) {
        int period = 0;
        for (int r : runs)
            period += r;
        std::int64_t pos = step % period;
        if (pos < 0)
            pos += period;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            if (pos < runs[i])
                return i % 2 == 0;
            pos -= runs[i];
        }
        return false;
    };
    switch (style) {
    case PenStyle::Dash: return onRun(dash);
    case PenStyle::Dot: return onRun(dot);
    case PenStyle::DashDot: return onRun(dashDot);
    case PenStyle::DashDotDot: return onRun(dashDotDot);
    case PenStyle::Clear: return false;
    default: return true;
    }
}

int clampToInt(std::int64_t v) { return int(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); }

int clampToInt(double v)
{
    if (!(v > double(INT32_MIN)))
        return INT32_MIN;
    if (!(v < double(INT32_MAX)))
        return INT32_MAX;
    return int(v);
}

Rect expanded(const Rect& r, int by)
{
    return {clampToInt(std::int64_t(r.left) - by), clampToInt(std::int64_t(r.top) - by),
            clampToInt(std::int64_t(r.right) + by), clampToInt(std::int64_t(r.bottom) + by)};
}

std::int64_t widthOf(const Rect& r) { return std::int64_t(r.right) - r.left; }
std::int64_t heightOf(const Rect& r) { return std::int64_t(r.bottom) - r.top; }

Rect unitedBounds(const std::vector<Rect>& rects)
{
    Rect u;
    bool first = true;
    for (const Rect& r : rects) {
        if (r.isEmpty())
            continue;
        if (first) {
            u = r;
            first = false;
        } else {
            u = {std::min(u.left, r.left), std::min(u.top, r.top), std::max(u.right, r.right),
                 std::max(u.bottom, r.bottom)};
        }
    }
    return u;
}

// Offsets covered by a round nib of the given diameter, as one run per row.
struct NibRow {
    int dy;
    int x0;
    int x1; // inclusive
};

std::vector<NibRow> nibRows(int width)
{
    std::vector<NibRow> rows;
    const double o = (width % 2 == 0) ? -0.5 : 0.0; // even nibs centre between pixels
    const double r = width / 2.0;
    const int dy0 = int(std::ceil(o - r - 1e-9));
    const int dy1 = int(std::floor(o + r + 1e-9));
    for (int dy = dy0; dy <= dy1; ++dy) {
        const double rest = r * r - (dy - o) * (dy - o);
        if (rest < -1e-9)
            continue;
        const double s = std::sqrt(std::max(0.0, rest));
        const int x0 = int(std::ceil(o - s - 1e-9));
        const int x1 = int(std::floor(o + s + 1e-9));
        if (x0 <= x1)
            rows.push_back({dy, x0, x1});
    }
    return rows;
}

// Calls fn(x, y, step) for the pixels of the line from a to b, steps 0..n-1 (0..n with
// includeEnd), n being the longer axis length; only steps whose coordinate along the longer
// axis falls into window are visited, so far-away lines cost nothing.
template <class F>
void forLinePixels(Point a, Point b, bool includeEnd, const Rect& window, F fn)
{
    const std::int64_t dx = std::int64_t(b.x) - a.x;
    const std::int64_t dy = std::int64_t(b.y) - a.y;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    const std::int64_t n = std::max(adx, ady);
    if (n == 0) {
        if (includeEnd)
            fn(std::int64_t(a.x), std::int64_t(a.y), std::int64_t(0));
        return;
    }
    const std::int64_t last = includeEnd ? n : n - 1;
    const bool xMajor = adx >= ady;
    const std::int64_t major0 = xMajor ? a.x : a.y;
    const std::int64_t minor0 = xMajor ? a.y : a.x;
    const std::int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const std::int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t minorLength = xMajor ? ady : adx;
    const std::int64_t lo = xMajor ? window.left : window.top;
    const std::int64_t hi = xMajor ? window.right : window.bottom; // exclusive
    std::int64_t first = 0, final = last;
    if (majorStep > 0) {
        first = std::max<std::int64_t>(first, lo - major0);
        final = std::min<std::int64_t>(final, hi - 1 - major0);
    } else {
        first = std::max<std::int64_t>(first, major0 - (hi - 1));
        final = std::min<std::int64_t>(final, major0 - lo);
    }
    for (std::int64_t i = first; i <= final; ++i) {
        const std::int64_t major = major0 + majorStep * i;
        // Rounded to nearest along the minor axis, halves away from the start point.
        const auto offset = std::int64_t((2 * __int128(i) * minorLength + n) / (2 * __int128(n)));
        const std::int64_t minor = minor0 + minorStep * offset;
        if (xMajor)
            fn(major, minor, i);
        else
            fn(minor, major, i);
    }
}

// Even-odd or winding fill spans of a polygon whose vertices are pixel centres: calls
// fn(x0, x1) (x1 exclusive) for row y.
template <class F>
void forPolygonRow(const std::vector<Point>& pts, bool winding, int y, F fn)
{
    struct Crossing {
        std::int64_t x; // first pixel at or right of the crossing
        int dir;
    };
    std::vector<Crossing> xs;
    const std::size_t n = pts.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point p = pts[i];
        const Point q = pts[(i + 1) % n];
        if (p.y == q.y)
            continue;
        const bool down = q.y > p.y;
        const Point top = down ? p : q;
        const Point bottom = down ? q : p;
        if (y < top.y || y >= bottom.y)
            continue;
        // x = top.x + (y - top.y) * (bottom.x - top.x) / (bottom.y - top.y), rounded up.
        const __int128 num = __int128(y - std::int64_t(top.y)) * (std::int64_t(bottom.x) - top.x);
        const __int128 den = std::int64_t(bottom.y) - top.y; // > 0
        __int128 q0 = num / den;
        if (num % den != 0 && num > 0)
            ++q0;
        xs.push_back({std::int64_t(top.x) + std::int64_t(q0), down ? 1 : -1});
    }
    std::sort(xs.begin(), xs.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
    if (!winding) {
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
            if (xs[i].x < xs[i + 1].x)
                fn(xs[i].x, xs[i + 1].x);
        return;
    }
    int count = 0;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        count += xs[i].dir;
        if (count != 0 && xs[i].x < xs[i + 1].x)
            fn(xs[i].x, xs[i + 1].x);
    }
}

// The rectangle a bitmap covers when drawn at (x, y), cut at the largest coordinate.
Rect placedAt(int x, int y, const Bitmap& b)
{
    const auto edge = [](int from, int size) {
        return int(std::min<std::int64_t>(std::int64_t(from) + size, INT32_MAX));
    };
    return {x, y, edge(x, b.width()), edge(y, b.height())};
}

// Bounding box of points, widened by `by` on every side.
Rect pointsBounds(const std::vector<Point>& points, int by)
{
    Rect r{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const Point& p : points) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    return expanded(r, by + 1);
}

// A region from the fill runs of each row, given top to bottom and left to right.
class RegionBuilder {
public:
    void add(int y, int x0, int x1) // x1 exclusive
    {
        if (x1 <= x0)
            return;
        if (!rects_.empty() && rects_.back().top() == y && rects_.back().right() + 1 >= x0) {
            rects_.back().setRight(std::max(rects_.back().right(), x1 - 1));
            return;
        }
        rects_.push_back(QRect(x0, y, x1 - x0, 1));
    }
    QRegion region() const
    {
        QRegion r;
        if (!rects_.empty())
            r.setRects(rects_.data(), int(rects_.size()));
        return r;
    }

private:
    std::vector<QRect> rects_;
};

bool haveGuiApplication() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

void requireGuiApplication()
{
    if (!haveGuiApplication())
        throw Exception("Text drawing needs a running application");
}

// A 96-dpi paint device against which fonts are measured, so that measuring and drawing agree.
QImage& referenceDevice()
{
    static QImage image = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(3780);
        i.setDotsPerMeterY(3780);
        return i;
    }();
    return image;
}

std::string lowerCase(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

QString resolveFace(const std::string& name)
{
    struct Alias {
        const char* face;
        const char* replacement;
    };
    static constexpr Alias aliases[] = {
        {"arial", "Liberation Sans"},         {"ms sans serif", "Liberation Sans"},
        {"microsoft sans serif", "Liberation Sans"}, {"ms shell dlg", "Liberation Sans"},
        {"ms shell dlg 2", "Liberation Sans"}, {"system", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},     {"times new roman", "Liberation Serif"},
        {"ms serif", "Liberation Serif"},     {"times", "Liberation Serif"},
        {"courier new", "Liberation Mono"},   {"courier", "Liberation Mono"},
    };
    const std::string key = lowerCase(name);
    for (const Alias& a : aliases)
        if (key == a.face)
            return QString::fromLatin1(a.replacement);
    return QString::fromStdString(name);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Fonts

QFont Font::toQFont() const
{
    requireGuiApplication();
    QFont f(resolveFace(name));
    f.setStyleStrategy(QFont::NoAntialias);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setBold(style.bold);
    f.setItalic(style.italic);
    f.setUnderline(style.underline);
    f.setStrikeOut(style.strikeOut);

    int cell = 0;
    int pixels = 0;
    if (pixelHeight > 0)
        pixels = pixelHeight;
    else if (cellHeight > 0)
        cell = cellHeight;
    else if (size > 0)
        pixels = int((std::int64_t(size) * 96 + 36) / 72); // points at 96 dpi, rounded
    else if (size < 0)
        cell = int(std::min<std::int64_t>(-std::int64_t(size), kMaxPixelHeight));
    else
        pixels = 11; // 8 points
    if (cell > 0) {
        // Pick the character height whose cell (ascent + descent) comes nearest from below.
        f.setPixelSize(std::clamp(cell, 1, kMaxPixelHeight));
        const int h = QFontMetrics(f, &referenceDevice()).height();
        pixels = h > 0 ? int(std::lround(double(cell) * cell / h)) : cell;
        pixels = std::clamp(pixels, 1, kMaxPixelHeight);
        f.setPixelSize(pixels);
        while (pixels > 1 && QFontMetrics(f, &referenceDevice()).height() > cell)
            f.setPixelSize(--pixels);
        return f;
    }
    f.setPixelSize(std::clamp(pixels, 1, kMaxPixelHeight));
    return f;
}

// ---------------------------------------------------------------------------------------------
// Coverage: which pixels one call paints with the pen and which with the brush.

class Canvas::Coverage {
public:
    static constexpr std::uint8_t kBrush = 1;
    static constexpr std::uint8_t kPen = 2;

    explicit Coverage(const Rect& area)
        : area_(area.isEmpty() ? Rect{} : area),
          cells_(std::size_t(area_.width()) * std::size_t(area_.height()), std::uint8_t(0))
    {
    }

    const Rect& area() const { return area_; }
    bool contains(std::int64_t x, std::int64_t y) const
    {
        return x >= area_.left && x < area_.right && y >= area_.top && y < area_.bottom;
    }
    std::uint8_t at(int x, int y) const { return cells_[offset(x, y)]; }
    void set(int x, int y, std::uint8_t v) { cells_[offset(x, y)] = v; }
    // Marks x0..x1 (inclusive) of row y, cut to the area.
    void setRun(std::int64_t y, std::int64_t x0, std::int64_t x1, std::uint8_t v)
    {
        if (y < area_.top || y >= area_.bottom)
            return;
        x0 = std::max<std::int64_t>(x0, area_.left);
        x1 = std::min<std::int64_t>(x1, area_.right - 1);
        if (x0 > x1)
            return;
        std::memset(&cells_[offset(int(x0), int(y))], v, std::size_t(x1 - x0 + 1));
    }

private:
    std::size_t offset(int x, int y) const
    {
        return std::size_t(y - area_.top) * std::size_t(area_.width()) + std::size_t(x - area_.left);
    }

    Rect area_;
    std::vector<std::uint8_t> cells_;
};

// A closed figure given by its bounding box; a pixel belongs to it when its centre does.
struct Canvas::Figure {
    enum class Kind { Rectangle, Ellipse, RoundRect, Pie, Chord, Arc };
    Kind kind = Kind::Rectangle;
    Rect bounds;
    int cornerWidth = 0;
    int cornerHeight = 0;
    Point start;
    Point end;

    // Figure-space values, prepared by prepare().
    double cx = 0, cy = 0, a = 0, b = 0;
    double angle1 = 0, span = kTwoPi;
    bool full = true;
    double ex1 = 0, ey1 = 0, ex2 = 0, ey2 = 0, side = 1;
    double rcx = 0, rcy = 0; // corner ellipse half-axes

    static double angleOf(double dx, double dy)
    {
        double t = std::atan2(-dy, dx); // y grows downwards; counter-clockwise on screen
        if (t < 0)
            t += kTwoPi;
        return t;
    }

    void pointOnEllipse(double theta, double& x, double& y) const
    {
        const double c = std::cos(theta), s = -std::sin(theta);
        const double t = 1.0 / std::sqrt((c * c) / (a * a) + (s * s) / (b * b));
        x = cx + t * c;
        y = cy + t * s;
    }

    void prepare()
    {
        cx = (double(bounds.left) + bounds.right) / 2.0;
        cy = (double(bounds.top) + bounds.bottom) / 2.0;
        const double width = double(bounds.right) - bounds.left;
        const double height = double(bounds.bottom) - bounds.top;
        a = width / 2.0;
        b = height / 2.0;
        rcx = std::min(double(std::max(cornerWidth, 0)), width) / 2.0;
        rcy = std::min(double(std::max(cornerHeight, 0)), height) / 2.0;
        if (kind == Kind::Pie || kind == Kind::Chord || kind == Kind::Arc) {
            angle1 = angleOf(start.x - cx, start.y - cy);
            const double angle2 = angleOf(end.x - cx, end.y - cy);
            span = angle2 - angle1;
            if (span < 0)
                span += kTwoPi;
            // Points on one ray (or the same point) mean the whole ellipse.
            const double ux = start.x - cx, uy = start.y - cy, vx = end.x - cx, vy = end.y - cy;
            full = span == 0.0 || (ux * vy - uy * vx == 0.0 && ux * vx + uy * vy >= 0.0);
            if (full)
                span = kTwoPi;
            if (kind == Kind::Chord && !full && a > 0 && b > 0) {
                pointOnEllipse(angle1, ex1, ey1);
                pointOnEllipse(angle1 + span, ex2, ey2);
                double mx = 0, my = 0;
                pointOnEllipse(angle1 + span / 2, mx, my);
                side = cross(mx, my) >= 0 ? 1 : -1;
            }
        }
    }

    double cross(double px, double py) const { return (ex2 - ex1) * (py - ey1) - (ey2 - ey1) * (px - ex1); }

    bool inEllipse(double px, double py) const
    {
        const double dx = (px - cx) / a, dy = (py - cy) / b;
        return dx * dx + dy * dy <= 1.0;
    }

    bool inSector(double px, double py) const
    {
        if (full)
            return true;
        const double dx = px - cx, dy = py - cy;
        if (dx == 0 && dy == 0)
            return true;
        double rel = angleOf(dx, dy) - angle1;
        if (rel < 0)
            rel += kTwoPi;
        return rel <= span;
    }

    bool inside(std::int64_t x, std::int64_t y) const
    {
        if (x < bounds.left || x >= bounds.right || y < bounds.top || y >= bounds.bottom)
            return false;
        const double px = double(x) + 0.5, py = double(y) + 0.5;
        switch (kind) {
        case Kind::Rectangle: return true;
        case Kind::RoundRect: {
            if (rcx <= 0 || rcy <= 0)
                return true;
            const double left = bounds.left + rcx, right = bounds.right - rcx;
            const double top = bounds.top + rcy, bottom = bounds.bottom - rcy;
            const double ccx = px < left ? left : px > right ? right : px;
            const double ccy = py < top ? top : py > bottom ? bottom : py;
            if (ccx == px || ccy == py)
                return true;
            const double dx = (px - ccx) / rcx, dy = (py - ccy) / rcy;
            return dx * dx + dy * dy <= 1.0;
        }
        case Kind::Ellipse:
        case Kind::Arc: return inEllipse(px, py);
        case Kind::Pie: return inEllipse(px, py) && inSector(px, py);
        case Kind::Chord: return inEllipse(px, py) && (full || cross(px, py) * side >= 0);
        }
        return false;
    }
};

// ---------------------------------------------------------------------------------------------
// Canvas state

Canvas::Canvas(Bitmap& target) : target_(&target) {}

std::vector<Rect> Canvas::visibleRects() const
{
    const Rect bounds{0, 0, target_->width(), target_->height()};
    std::vector<Rect> result;
    if (bounds.isEmpty())
        return result;
    if (!clipped_) {
        result.push_back(bounds);
        return result;
    }
    for (const Rect& r : clip_) {
        const Rect v = r.intersected(bounds);
        if (!v.isEmpty())
            result.push_back(v);
    }
    return result;
}

bool Canvas::isVisible(int x, int y) const
{
    if (x < 0 || y < 0 || x >= target_->width() || y >= target_->height())
        return false;
    if (!clipped_)
        return true;
    return std::any_of(clip_.begin(), clip_.end(), [&](const Rect& r) { return r.contains({x, y}); });
}

void Canvas::setClipRect(const Rect& rect)
{
    clipped_ = true;
    clip_.assign(1, rect.normalized());
}

void Canvas::setClipRegion(const QRegion& region)
{
    clipped_ = true;
    clip_.clear();
    for (const QRect& r : region)
        clip_.push_back(boundsRect(r.x(), r.y(), r.width(), r.height()));
}

QRegion Canvas::polygonRegion(const std::vector<Point>& points, bool winding) const
{
    RegionBuilder builder;
    const Rect bounds{0, 0, target_->width(), target_->height()};
    if (points.size() < 3 || bounds.isEmpty())
        return {};
    const Rect area = bounds.intersected(pointsBounds(points, 0));
    for (int y = area.top; y < area.bottom; ++y)
        forPolygonRow(points, winding, y, [&](std::int64_t x0, std::int64_t x1) {
            builder.add(y, int(std::max<std::int64_t>(x0, area.left)), int(std::min<std::int64_t>(x1, area.right)));
        });
    return builder.region();
}

QRegion Canvas::figureRegion(Figure figure) const
{
    RegionBuilder builder;
    figure.bounds = figure.bounds.normalized();
    const Rect area = Rect{0, 0, target_->width(), target_->height()}.intersected(figure.bounds);
    if (area.isEmpty())
        return {};
    figure.prepare();
    for (int y = area.top; y < area.bottom; ++y) {
        int runStart = -1;
        for (int x = area.left; x <= area.right; ++x) {
            const bool in = x < area.right && figure.inside(x, y);
            if (in && runStart < 0)
                runStart = x;
            else if (!in && runStart >= 0) {
                builder.add(y, runStart, x);
                runStart = -1;
            }
        }
    }
    return builder.region();
}

QRegion Canvas::ellipseRegion(const Rect& r) const
{
    Figure f;
    f.kind = Figure::Kind::Ellipse;
    f.bounds = r;
    return figureRegion(f);
}

QRegion Canvas::roundRectRegion(const Rect& r, int cornerWidth, int cornerHeight) const
{
    Figure f;
    f.kind = Figure::Kind::RoundRect;
    f.bounds = r;
    f.cornerWidth = cornerWidth;
    f.cornerHeight = cornerHeight;
    return figureRegion(f);
}

void Canvas::clearClip()
{
    clipped_ = false;
    clip_.clear();
}

int Canvas::penWidth() const { return std::clamp(pen.width, 1, kMaxPenWidth); }

bool Canvas::penDraws() const { return pen.style != PenStyle::Clear; }

void Canvas::notifyChanged() { target_->changed(); }

TColor Canvas::pixel(int x, int y) const { return target_->pixel(x, y); }

void Canvas::setPixel(int x, int y, TColor color)
{
    if (!isVisible(x, y))
        return;
    target_->setPixel(x, y, color & kRgbMask);
    notifyChanged();
}

// ---------------------------------------------------------------------------------------------
// Putting coverage onto the bitmap

void Canvas::composite(const Coverage& coverage, bool useMode)
{
    if (coverage.area().isEmpty())
        return;
    PixelWriter out(*target_);
    const PenMode mode = useMode ? pen.mode : PenMode::Copy;
    const bool readDest = modeReadsDestination(mode);
    const TColor penColor = pen.color & kRgbMask;
    const TColor brushColor = brush.color & kRgbMask;
    const BrushStyle brushStyle = brush.style;
    for (const Rect& clip : visibleRects()) {
        const Rect r = clip.intersected(coverage.area());
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                const std::uint8_t c = coverage.at(x, y);
                if (c == 0)
                    continue;
                if (c == Coverage::kBrush && brushStyle != BrushStyle::Solid && !hatchCovers(brushStyle, x, y))
                    continue;
                const TColor source = c == Coverage::kPen ? penColor : brushColor;
                const TColor dest = readDest ? out.color(x, y) : 0;
                out.setColor(x, y, applyMode(mode, source, dest));
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Lines

void Canvas::drawLines(const std::vector<Point>& points, bool closed, bool includeLast)
{
    if (points.empty() || !penDraws())
        return;
    const std::vector<Rect> vis = visibleRects();
    const Rect view = unitedBounds(vis);
    if (view.isEmpty())
        return;
    const int w = penWidth();
    const std::size_t segments = closed ? points.size() : points.size() - 1;
    Coverage cov(view.intersected(pointsBounds(points, w / 2 + 1)));
    if (cov.area().isEmpty())
        return;

    if (w == 1) {
        const bool styled = pen.style != PenStyle::Solid && pen.style != PenStyle::InsideFrame;
        std::int64_t base = 0; // the style pattern runs on from one segment to the next
        for (std::size_t s = 0; s < segments; ++s) {
            const Point a = points[s];
            const Point b = points[(s + 1) % points.size()];
            // Each segment leaves out its end pixel; the next segment starts on it. Open lines
            // draw their last pixel only when asked to.
            const bool withEnd = !closed && includeLast && s + 1 == segments;
            forLinePixels(a, b, withEnd, cov.area(), [&](std::int64_t x, std::int64_t y, std::int64_t i) {
                if (cov.contains(x, y) && (!styled || styleDraws(pen.style, base + i)))
                    cov.set(int(x), int(y), Coverage::kPen);
            });
            base += std::max(std::abs(std::int64_t(b.x) - a.x), std::abs(std::int64_t(b.y) - a.y));
        }
        if (segments == 0 && includeLast && cov.contains(points[0].x, points[0].y))
            cov.set(points[0].x, points[0].y, Coverage::kPen);
    } else {
        // A round nib along the centre line; both ends get their round cap.
        const std::vector<NibRow> nib = nibRows(w);
        const Rect window = expanded(cov.area(), w / 2 + 2);
        auto stamp = [&](std::int64_t x, std::int64_t y, std::int64_t) {
            for (const NibRow& row : nib)
                cov.setRun(y + row.dy, x + row.x0, x + row.x1, Coverage::kPen);
        };
        for (std::size_t s = 0; s < segments; ++s)
            forLinePixels(points[s], points[(s + 1) % points.size()], true, window, stamp);
        if (segments == 0)
            stamp(points[0].x, points[0].y, 0);
    }
    composite(cov, true);
    notifyChanged();
}

void Canvas::lineTo(int x, int y)
{
    const Point from = penPos;
    penPos = {x, y};
    if (from == penPos && penWidth() == 1)
        return;
    drawLines({from, {x, y}}, false, false);
}

void Canvas::polyline(const std::vector<Point>& points)
{
    if (points.size() < 2)
        return;
    drawLines(points, false, false);
}

// ---------------------------------------------------------------------------------------------
// Closed figures

void Canvas::drawFigure(const Figure& given, bool fill)
{
    const std::vector<Rect> vis = visibleRects();
    const Rect view = unitedBounds(vis);
    if (view.isEmpty())
        return;
    const bool outline = penDraws();
    const bool filled = fill && brush.style != BrushStyle::Clear && given.kind != Figure::Kind::Arc;
    if (!outline && !filled)
        return;
    const int w = outline ? penWidth() : 1;

    Figure fig = given;
    fig.bounds = fig.bounds.normalized();
    if (outline && w > 1 && pen.style == PenStyle::InsideFrame) {
        const std::int64_t lo = w / 2, hi = (w - 1) / 2;
        const Rect& o = fig.bounds;
        std::int64_t l = o.left + lo, t = o.top + lo, r = o.right - hi, b = o.bottom - hi;
        // A box narrower than the pen keeps a one-pixel core in its middle.
        if (r <= l)
            l = (std::int64_t(o.left) + o.right) / 2, r = l + 1;
        if (b <= t)
            t = (std::int64_t(o.top) + o.bottom) / 2, b = t + 1;
        fig.bounds = {clampToInt(l), clampToInt(t), clampToInt(r), clampToInt(b)};
    }
    if (fig.bounds.isEmpty())
        return;
    fig.prepare();

    const int reach = w / 2 + 1; // how far the nib reaches beyond a centre-line pixel
    const Rect drawn = view.intersected(expanded(fig.bounds, reach));
    if (drawn.isEmpty())
        return;
    Coverage cov(drawn);

    // Membership over the drawn area and one nib reach around it, so outline pixels just outside
    // the view still stamp their nib into it.
    const Rect area = expanded(drawn, reach + 1).intersected(expanded(fig.bounds, 1));
    Coverage inside(area);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (fig.inside(x, y))
                inside.set(x, y, 1);
    const auto isIn = [&](std::int64_t x, std::int64_t y) {
        if (inside.contains(x, y))
            return inside.at(int(x), int(y)) != 0;
        return fig.inside(x, y);
    };

    if (filled)
        for (int y = drawn.top; y < drawn.bottom; ++y)
            for (int x = drawn.left; x < drawn.right; ++x)
                if (inside.contains(x, y) && inside.at(x, y))
                    cov.set(x, y, Coverage::kBrush);

    if (outline) {
        const bool styled = w == 1 && pen.style != PenStyle::Solid && pen.style != PenStyle::InsideFrame;
        const std::vector<NibRow> nib = nibRows(w);
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (!inside.at(x, y))
                    continue;
                // The outline is the figure's outermost pixels: those with a side neighbour
                // outside it.
                if (isIn(x - 1, y) && isIn(x + 1, y) && isIn(x, y - 1) && isIn(x, y + 1))
                    continue;
                if (fig.kind == Figure::Kind::Arc && !fig.inSector(x + 0.5, y + 0.5))
                    continue;
                if (w == 1) {
                    if (cov.contains(x, y) && (!styled || styleDraws(pen.style, std::int64_t(x) + y)))
                        cov.set(x, y, Coverage::kPen);
                } else {
                    for (const NibRow& row : nib)
                        cov.setRun(std::int64_t(y) + row.dy, std::int64_t(x) + row.x0, std::int64_t(x) + row.x1,
                                   Coverage::kPen);
                }
            }
        }
    }
    composite(cov, true);
    notifyChanged();
}

void Canvas::rectangle(int x1, int y1, int x2, int y2)
{
    Figure f;
    f.kind = Figure::Kind::Rectangle;
    f.bounds = {x1, y1, x2, y2};
    drawFigure(f, true);
}

void Canvas::roundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight)
{
    Figure f;
    f.kind = Figure::Kind::RoundRect;
    f.bounds = {x1, y1, x2, y2};
    f.cornerWidth = cornerWidth;
    f.cornerHeight = cornerHeight;
    drawFigure(f, true);
}

void Canvas::ellipse(int x1, int y1, int x2, int y2)
{
    Figure f;
    f.kind = Figure::Kind::Ellipse;
    f.bounds = {x1, y1, x2, y2};
    drawFigure(f, true);
}

void Canvas::arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    Figure f;
    f.kind = Figure::Kind::Arc;
    f.bounds = {x1, y1, x2, y2};
    f.start = {x3, y3};
    f.end = {x4, y4};
    drawFigure(f, false);
}

void Canvas::pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    Figure f;
    f.kind = Figure::Kind::Pie;
    f.bounds = {x1, y1, x2, y2};
    f.start = {x3, y3};
    f.end = {x4, y4};
    drawFigure(f, true);
}

void Canvas::chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    Figure f;
    f.kind = Figure::Kind::Chord;
    f.bounds = {x1, y1, x2, y2};
    f.start = {x3, y3};
    f.end = {x4, y4};
    drawFigure(f, true);
}

void Canvas::polygon(const std::vector<Point>& points, bool winding)
{
    if (points.empty())
        return;
    const std::vector<Rect> vis = visibleRects();
    const Rect view = unitedBounds(vis);
    if (view.isEmpty())
        return;
    const bool outline = penDraws();
    const bool filled = brush.style != BrushStyle::Clear && points.size() >= 3;
    if (!outline && !filled)
        return;
    Coverage cov(view.intersected(pointsBounds(points, outline ? penWidth() / 2 + 1 : 0)));
    if (cov.area().isEmpty())
        return;
    if (filled) {
        for (int y = cov.area().top; y < cov.area().bottom; ++y)
            forPolygonRow(points, winding, y, [&](std::int64_t x0, std::int64_t x1) {
                cov.setRun(y, x0, x1 - 1, Coverage::kBrush);
            });
    }
    if (outline) {
        // The outline closes the figure and passes through every vertex pixel.
        const int w = penWidth();
        const bool styled = w == 1 && pen.style != PenStyle::Solid && pen.style != PenStyle::InsideFrame;
        const std::vector<NibRow> nib = nibRows(w);
        const Rect window = expanded(cov.area(), w / 2 + 2);
        std::int64_t base = 0;
        const std::size_t n = points.size();
        for (std::size_t s = 0; s < n; ++s) {
            const Point a = points[s];
            const Point b = points[(s + 1) % n];
            forLinePixels(a, b, n == 1, window, [&](std::int64_t x, std::int64_t y, std::int64_t i) {
                if (w == 1) {
                    if (cov.contains(x, y) && (!styled || styleDraws(pen.style, base + i)))
                        cov.set(int(x), int(y), Coverage::kPen);
                } else {
                    for (const NibRow& row : nib)
                        cov.setRun(y + row.dy, x + row.x0, x + row.x1, Coverage::kPen);
                }
            });
            base += std::max(std::abs(std::int64_t(b.x) - a.x), std::abs(std::int64_t(b.y) - a.y));
        }
    }
    composite(cov, true);
    notifyChanged();
}

// ---------------------------------------------------------------------------------------------
// Brush-only fills

void Canvas::fillArea(const Rect& given, bool frameOnly)
{
    if (brush.style == BrushStyle::Clear)
        return;
    const Rect r = given.normalized();
    const Rect view = unitedBounds(visibleRects());
    const Rect drawn = view.intersected(r);
    if (drawn.isEmpty())
        return;
    Coverage cov(drawn);
    for (int y = drawn.top; y < drawn.bottom; ++y) {
        if (!frameOnly || y == r.top || y == r.bottom - 1) {
            cov.setRun(y, drawn.left, drawn.right - 1, Coverage::kBrush);
        } else {
            cov.setRun(y, r.left, r.left, Coverage::kBrush);
            cov.setRun(y, std::int64_t(r.right) - 1, std::int64_t(r.right) - 1, Coverage::kBrush);
        }
    }
    composite(cov, false);
    notifyChanged();
}

void Canvas::fillRect(const Rect& r) { fillArea(r, false); }

void Canvas::frameRect(const Rect& r) { fillArea(r, true); }

void Canvas::drawFocusRect(const Rect& given)
{
    const Rect r = given.normalized();
    const Rect view = unitedBounds(visibleRects());
    const Rect drawn = view.intersected(r);
    if (drawn.isEmpty())
        return;
    Coverage cov(drawn);
    for (int y = drawn.top; y < drawn.bottom; ++y)
        for (int x = drawn.left; x < drawn.right; ++x) {
            const bool border = x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1;
            if (border && ((x + y) & 1) == 0)
                cov.set(x, y, Coverage::kPen);
        }
    const Pen saved = pen;
    pen.mode = PenMode::Not;
    composite(cov, true);
    pen = saved;
    notifyChanged();
}

// ---------------------------------------------------------------------------------------------
// Flood fill

void Canvas::floodFill(int x, int y, TColor color, FillStyle style)
{
    if (brush.style == BrushStyle::Clear || !isVisible(x, y))
        return;
    const Rect view = unitedBounds(visibleRects());
    const TColor key = color & kRgbMask;
    const PixelReader in(*target_);
    const bool surface = style == FillStyle::Surface;
    const auto qualifies = [&](int px, int py) { return (in.color(px, py) == key) == surface; };
    if (!qualifies(x, y))
        return;

    // Marks every pixel of the area first and paints afterwards, so the fill colour never
    // feeds back into the search.
    Coverage area(view);
    const auto open = [&](int px, int py) {
        return area.at(px, py) == 0 && isVisible(px, py) && qualifies(px, py);
    };
    std::vector<Point> stack{{x, y}};
    while (!stack.empty()) {
        const Point p = stack.back();
        stack.pop_back();
        if (!open(p.x, p.y))
            continue;
        int left = p.x, right = p.x;
        while (left - 1 >= view.left && open(left - 1, p.y))
            --left;
        while (right + 1 < view.right && open(right + 1, p.y))
            ++right;
        area.setRun(p.y, left, right, Coverage::kBrush);
        for (const int ny : {p.y - 1, p.y + 1}) {
            if (ny < view.top || ny >= view.bottom)
                continue;
            bool inRun = false;
            for (int nx = left; nx <= right; ++nx) {
                const bool o = open(nx, ny);
                if (o && !inRun)
                    stack.push_back({nx, ny});
                inRun = o;
            }
        }
    }
    composite(area, false);
    notifyChanged();
}

// ---------------------------------------------------------------------------------------------
// Text

int Canvas::textWidth(const std::string& text) const
{
    const QFont f = font.toQFont();
    return QFontMetrics(f, &referenceDevice()).horizontalAdvance(QString::fromStdString(text));
}

int Canvas::textHeight(const std::string& text) const
{
    (void)text;
    const QFont f = font.toQFont();
    return QFontMetrics(f, &referenceDevice()).height();
}

void Canvas::drawTextAt(int x, int y, const std::string& text, const Rect* limit, bool fillCell)
{
    const QFont f = font.toQFont();
    const QString s = QString::fromStdString(text);
    const QFontMetrics fm(f, &referenceDevice());
    const int width = fm.horizontalAdvance(s);
    const int height = fm.height();
    const int ascent = fm.ascent();

    Rect view = unitedBounds(visibleRects());
    if (limit)
        view = view.intersected(limit->normalized());
    if (view.isEmpty() || (s.isEmpty() && !fillCell))
        return;

    // Where the cell and the ink may reach, turned about (x, y).
    QRectF ink = QRectF(fm.boundingRect(s)).translated(0, ascent);
    ink = ink.united(QRectF(0, 0, std::max(width, 1), std::max(height, 1))).adjusted(-2, -2, 2, 2);
    QTransform turn;
    turn.rotate(-font.escapement / 10.0);
    const QRectF reach = turn.mapRect(ink);
    const Rect drawn = view.intersected(Rect{clampToInt(std::floor(x + reach.left())), clampToInt(std::floor(y + reach.top())),
                                             clampToInt(std::ceil(x + reach.right()) + 1.0),
                                             clampToInt(std::ceil(y + reach.bottom()) + 1.0)});
    if (drawn.isEmpty())
        return;

    // Cell in red, glyphs in green, on black; thresholds keep exactly two colours.
    QImage mask(drawn.width(), drawn.height(), QImage::Format_RGB32);
    mask.setDotsPerMeterX(3780);
    mask.setDotsPerMeterY(3780);
    mask.fill(Qt::black);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.translate(double(x) - drawn.left, double(y) - drawn.top);
        p.rotate(-font.escapement / 10.0);
        if (fillCell)
            p.fillRect(QRect(0, 0, width, height), QColor(255, 0, 0));
        p.setFont(f);
        p.setPen(QColor(0, 255, 0));
        p.drawText(0, ascent, s);
    }

    PixelWriter out(*target_);
    const TColor textColor = font.color & kRgbMask;
    const TColor cellColor = brush.color & kRgbMask;
    for (const Rect& clip : visibleRects()) {
        const Rect r = clip.intersected(drawn);
        for (int py = r.top; py < r.bottom; ++py) {
            const auto* line = reinterpret_cast<const QRgb*>(mask.constScanLine(py - drawn.top));
            for (int px = r.left; px < r.right; ++px) {
                const QRgb m = line[px - drawn.left];
                if (qGreen(m) >= 128)
                    out.setColor(px, py, textColor);
                else if (qRed(m) >= 128)
                    out.setColor(px, py, cellColor);
            }
        }
    }
    notifyChanged();
}

void Canvas::textOut(int x, int y, const std::string& text)
{
    drawTextAt(x, y, text, nullptr, brush.style == BrushStyle::Solid);
    penPos = {int(std::clamp<std::int64_t>(std::int64_t(x) + textWidth(text), INT32_MIN, INT32_MAX)), y};
}

void Canvas::textRect(const Rect& rect, int x, int y, const std::string& text)
{
    if (brush.style == BrushStyle::Solid)
        fillRect(rect);
    const Rect limit = rect.normalized();
    drawTextAt(x, y, text, &limit, false);
}

void Canvas::drawTextInRect(const Rect& rect, const std::string& text, TextAlign align, bool endEllipsis)
{
    const Rect r = rect.normalized();
    if (brush.style == BrushStyle::Solid)
        fillRect(r);
    const QFont f = font.toQFont();
    const QFontMetrics fm(f, &referenceDevice());
    QString s = QString::fromStdString(text);
    const int room = int(std::min<std::int64_t>(widthOf(r), INT32_MAX));
    if (endEllipsis && fm.horizontalAdvance(s) > room)
        s = fm.elidedText(s, Qt::ElideRight, room);
    const std::int64_t width = fm.horizontalAdvance(s);
    std::int64_t x = r.left;
    if (align == TextAlign::Right)
        x = r.right - width;
    else if (align == TextAlign::Center)
        x = r.left + (widthOf(r) - width) / 2;
    const std::int64_t y = r.top + (heightOf(r) - fm.height()) / 2;
    drawTextAt(clampToInt(x), clampToInt(y), s.toStdString(), &r, false);
}

// ---------------------------------------------------------------------------------------------
// Copies

void Canvas::blit(const Rect& dest, const Bitmap& source, const Rect& sourceRect, bool keyed, TColor key,
                  const Bitmap* mask)
{
    if (dest.right == dest.left || dest.bottom == dest.top || sourceRect.right == sourceRect.left ||
        sourceRect.bottom == sourceRect.top || source.empty())
        return;
    const bool mirrorX = (dest.right < dest.left) != (sourceRect.right < sourceRect.left);
    const bool mirrorY = (dest.bottom < dest.top) != (sourceRect.bottom < sourceRect.top);
    const Rect d = dest.normalized();
    const Rect s = sourceRect.normalized();
    const Rect view = unitedBounds(visibleRects());
    const Rect drawn = view.intersected(d);
    if (drawn.isEmpty())
        return;

    // Drawing a bitmap onto itself reads from a copy, so overlapping areas come out right.
    std::optional<Bitmap> copy, maskCopy;
    const Bitmap* from = &source;
    if (&source == target_) {
        copy.emplace(source);
        from = &*copy;
    }
    if (mask == target_) {
        maskCopy.emplace(*mask);
        mask = &*maskCopy;
    }
    const PixelReader in(*from);
    std::optional<PixelReader> maskIn;
    if (mask && !mask->empty())
        maskIn.emplace(*mask);
    const auto keeps = [&](int sx, int sy) {
        return maskIn && sx < mask->width() && sy < mask->height() && maskIn->color(sx, sy) != clBlack;
    };
    PixelWriter out(*target_);
    const bool sameIndexes = in.indexed() && out.indexed() && in.bits() == out.bits() &&
                             from->palette() == target_->palette();
    key &= kRgbMask;

    // Nearest neighbour: destination pixel i takes source pixel floor((i + 1/2) * sw / dw).
    const std::int64_t dw = std::int64_t(d.right) - d.left, dh = std::int64_t(d.bottom) - d.top;
    const std::int64_t sw = std::int64_t(s.right) - s.left, sh = std::int64_t(s.bottom) - s.top;
    const auto sourceOf = [](std::int64_t i, std::int64_t dn, std::int64_t sn, bool mirror, int origin) {
        auto j = std::int64_t((__int128(2 * i + 1) * sn) / (2 * __int128(dn)));
        if (mirror)
            j = sn - 1 - j;
        return std::int64_t(origin) + j;
    };
    std::vector<std::int64_t> columns(std::size_t(drawn.width()));
    for (int x = drawn.left; x < drawn.right; ++x)
        columns[std::size_t(x - drawn.left)] = sourceOf(std::int64_t(x) - d.left, dw, sw, mirrorX, s.left);

    for (const Rect& clip : visibleRects()) {
        const Rect r = clip.intersected(drawn);
        for (int y = r.top; y < r.bottom; ++y) {
            const std::int64_t sy = sourceOf(std::int64_t(y) - d.top, dh, sh, mirrorY, s.top);
            if (sy < 0 || sy >= from->height())
                continue;
            for (int x = r.left; x < r.right; ++x) {
                const std::int64_t sx = columns[std::size_t(x - drawn.left)];
                if (sx < 0 || sx >= from->width())
                    continue;
                const int ix = int(sx), iy = int(sy);
                if (keeps(ix, iy))
                    continue;
                if (sameIndexes) {
                    const int index = in.index(ix, iy);
                    if (keyed && in.paletteColor(index) == key)
                        continue;
                    out.setIndex(x, y, index);
                } else {
                    const TColor c = in.color(ix, iy);
                    if (keyed && c == key)
                        continue;
                    out.setColor(x, y, c);
                }
            }
        }
    }
    notifyChanged();
}

void Canvas::copyRect(const Rect& dest, const Bitmap& source, const Rect& sourceRect)
{
    blit(dest, source, sourceRect, false, 0);
}

void Canvas::draw(int x, int y, const Bitmap& source)
{
    if (source.transparent())
        drawTransparent(x, y, source, source.transparentColor());
    else
        copyRect(placedAt(x, y, source), source, Rect{0, 0, source.width(), source.height()});
}

void Canvas::draw(int x, int y, const Graphic& graphic)
{
    if (graphic.empty())
        return;
    graphic.draw(*this, Rect{x, y, clampToInt(std::int64_t(x) + graphic.width()),
                             clampToInt(std::int64_t(y) + graphic.height())});
}

void Canvas::stretchDraw(const Rect& rect, const Graphic& graphic) { graphic.draw(*this, rect); }

void Canvas::drawTransparent(int x, int y, const Bitmap& source, TColor key)
{
    stretchDrawTransparent(placedAt(x, y, source), source, key);
}

void Canvas::stretchDrawTransparent(const Rect& dest, const Bitmap& source, TColor key)
{
    blit(dest, source, Rect{0, 0, source.width(), source.height()}, key != clNone, key);
}

void Canvas::stretchDrawMasked(const Rect& dest, const Bitmap& source, const Bitmap& mask)
{
    blit(dest, source, Rect{0, 0, source.width(), source.height()}, false, 0, &mask);
}
