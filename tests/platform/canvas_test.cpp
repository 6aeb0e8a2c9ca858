#include "platform/bitmap.h"
#include "platform/canvas.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRegion>

#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Text drawing needs a Qt application; one is made for the whole test program.
void ensureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "canvas_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

Bitmap whiteBitmap(int w, int h, PixelFormat format = pf24bit)
{
    Bitmap b(w, h, format);
    b.fill(clWhite);
    return b;
}

// The bitmap as rows of characters: '.' white, '#' black, 'r' red, 'b' blue, 'g' lime, '?' other.
std::string art(const Bitmap& b)
{
    static const std::map<TColor, char> names{
        {clWhite, '.'}, {clBlack, '#'}, {clRed, 'r'}, {clBlue, 'b'}, {clLime, 'g'}};
    std::string s;
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) {
            auto it = names.find(b.pixel(x, y));
            s += it == names.end() ? '?' : it->second;
        }
        s += '\n';
    }
    return s;
}

std::string rows(std::initializer_list<const char*> lines)
{
    std::string s;
    for (const char* l : lines) {
        s += l;
        s += '\n';
    }
    return s;
}

// Pixels whose colour differs from white.
std::set<std::pair<int, int>> painted(const Bitmap& b)
{
    std::set<std::pair<int, int>> p;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) != clWhite)
                p.insert({x, y});
    return p;
}

std::set<TColor> coloursOf(const Bitmap& b)
{
    std::set<TColor> c;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            c.insert(b.pixel(x, y));
    return c;
}

Canvas& blackPenRedBrush(Bitmap& b)
{
    Canvas& c = b.canvas();
    c.pen = Pen{};
    c.brush = Brush{clRed, BrushStyle::Solid};
    return c;
}

} // namespace

TEST(Canvas, RectangleOutlinesBorderPixelsAndFillsInsideWhateverTheCornerOrder)
{
    const std::string expected = rows({
        "####....",
        "#rr#....",
        "####....",
        "........",
    });
    const Rect boxes[] = {{0, 0, 4, 3}, {4, 3, 0, 0}, {4, 0, 0, 3}, {0, 3, 4, 0}};
    for (const Rect& r : boxes) {
        Bitmap b = whiteBitmap(8, 4);
        blackPenRedBrush(b).rectangle(r);
        EXPECT_EQ(art(b), expected) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(Canvas, ClearPenAndClearBrushLeaveTheirPartOut)
{
    Bitmap b = whiteBitmap(6, 4);
    Canvas& c = blackPenRedBrush(b);
    c.pen.style = PenStyle::Clear;
    c.rectangle(0, 0, 4, 3);
    EXPECT_EQ(art(b), rows({"rrrr..", "rrrr..", "rrrr..", "......"}));

    Bitmap o = whiteBitmap(6, 4);
    Canvas& d = blackPenRedBrush(o);
    d.brush.style = BrushStyle::Clear;
    d.rectangle(1, 0, 6, 4);
    EXPECT_EQ(art(o), rows({".#####", ".#...#", ".#...#", ".#####"}));
}

TEST(Canvas, LineToLeavesOutItsEndPixelAndMovesThePenPosition)
{
    struct Case {
        Point from, to;
        std::string expected;
    };
    const Case cases[] = {
        {{0, 0}, {5, 0}, rows({"#####.", "......", "......", "......"})},
        {{5, 3}, {0, 3}, rows({"......", "......", "......", ".#####"})},
        {{1, 0}, {1, 4}, rows({".#....", ".#....", ".#....", ".#...."})},
        {{0, 0}, {3, 3}, rows({"#.....", ".#....", "..#...", "......"})},
        {{2, 2}, {2, 2}, rows({"......", "......", "......", "......"})},
    };
    for (const Case& t : cases) {
        Bitmap b = whiteBitmap(6, 4);
        Canvas& c = b.canvas();
        c.moveTo(t.from.x, t.from.y);
        c.lineTo(t.to.x, t.to.y);
        EXPECT_EQ(art(b), t.expected) << t.from.x << "," << t.from.y << " -> " << t.to.x << "," << t.to.y;
        EXPECT_EQ(c.penPos, t.to);
    }
}

TEST(Canvas, PolylineJoinsSegmentsWithoutItsLastPixel)
{
    Bitmap b = whiteBitmap(5, 4);
    b.canvas().polyline({{0, 0}, {3, 0}, {3, 3}});
    EXPECT_EQ(art(b), rows({"####.", "...#.", "...#.", "....."}));
}

TEST(Canvas, WidePenHasRoundCapsAndDrawsItsEnd)
{
    Bitmap b = whiteBitmap(20, 12);
    Canvas& c = b.canvas();
    c.pen.width = 5;
    c.moveTo(5, 5);
    c.lineTo(12, 5);
    // Five pixels across, the cap reaching two pixels beyond both ends, corners rounded off.
    for (int y = 3; y <= 7; ++y) {
        EXPECT_EQ(b.pixel(5, y), clBlack) << y;
        EXPECT_EQ(b.pixel(12, y), clBlack) << y;
    }
    EXPECT_EQ(b.pixel(5, 2), clWhite);
    EXPECT_EQ(b.pixel(5, 8), clWhite);
    EXPECT_EQ(b.pixel(3, 5), clBlack);
    EXPECT_EQ(b.pixel(14, 5), clBlack);
    EXPECT_EQ(b.pixel(2, 5), clWhite);
    EXPECT_EQ(b.pixel(15, 5), clWhite);
    EXPECT_EQ(b.pixel(3, 3), clWhite); // rounded corner of the start cap
    EXPECT_EQ(b.pixel(14, 7), clWhite); // and of the end cap
}

TEST(Canvas, WidePenRectangleHasRoundJoinsAndInsideFrameStaysInTheBox)
{
    Bitmap b = whiteBitmap(16, 16);
    Canvas& c = blackPenRedBrush(b);
    c.pen.width = 5;
    c.rectangle(4, 4, 12, 12);
    // Centred on the outline: reaches two pixels outside, corners rounded.
    EXPECT_EQ(b.pixel(2, 8), clBlack);
    EXPECT_EQ(b.pixel(1, 8), clWhite);
    EXPECT_EQ(b.pixel(13, 8), clBlack);
    EXPECT_EQ(b.pixel(14, 8), clWhite);
    EXPECT_EQ(b.pixel(2, 2), clWhite);
    EXPECT_EQ(b.pixel(7, 7), clRed);

    Bitmap i = whiteBitmap(16, 16);
    Canvas& d = blackPenRedBrush(i);
    d.pen.width = 3;
    d.pen.style = PenStyle::InsideFrame;
    d.rectangle(4, 4, 12, 12);
    for (const auto& [x, y] : painted(i)) {
        EXPECT_GE(x, 4);
        EXPECT_LT(x, 12);
        EXPECT_GE(y, 4);
        EXPECT_LT(y, 12);
    }
    EXPECT_EQ(i.pixel(4, 8), clBlack);
    EXPECT_EQ(i.pixel(6, 8), clBlack);
    EXPECT_EQ(i.pixel(7, 8), clRed);
    EXPECT_EQ(i.pixel(11, 8), clBlack);
}

TEST(Canvas, PenModesAreRasterOperationsOnColours)
{
    const TColor P = 0x0F55A0, D = 0x3366CC;
    struct Case {
        PenMode mode;
        TColor expected;
    };
    const Case cases[] = {
        {PenMode::Copy, P},
        {PenMode::Not, ~D & 0xFFFFFF},
        {PenMode::Xor, P ^ D},
        {PenMode::NotXor, ~(P ^ D) & 0xFFFFFF},
        {PenMode::MergePen, P | D},
        {PenMode::MaskPen, P & D},
        {PenMode::Black, clBlack},
        {PenMode::White, clWhite},
        {PenMode::Nop, D},
        {PenMode::NotCopy, ~P & 0xFFFFFF},
    };
    for (const Case& t : cases) {
        Bitmap b(3, 1, pf24bit);
        b.fill(D);
        Canvas& c = b.canvas();
        c.pen.color = P;
        c.pen.mode = t.mode;
        c.moveTo(0, 0);
        c.lineTo(2, 0);
        EXPECT_EQ(b.pixel(0, 0), t.expected) << int(t.mode);
        EXPECT_EQ(b.pixel(1, 0), t.expected) << int(t.mode);
        EXPECT_EQ(b.pixel(2, 0), D) << int(t.mode);
    }
}

TEST(Canvas, XorAndNotXorFiguresDrawnTwiceRestoreThePicture)
{
    for (PenMode mode : {PenMode::Xor, PenMode::NotXor, PenMode::Not}) {
        Bitmap b(12, 12, pf24bit);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                b.setPixel(x, y, rgbColor(std::uint8_t(x * 20), std::uint8_t(y * 20), 77));
        const Bitmap before = b;
        Canvas& c = b.canvas();
        c.pen = Pen{clBlue, 1, PenStyle::Solid, mode};
        c.brush = Brush{clBlack, BrushStyle::Solid};
        auto draw = [&] {
            c.rectangle(1, 1, 9, 8);
            c.ellipse(2, 3, 11, 11);
            c.moveTo(0, 11);
            c.lineTo(11, 0);
            c.polygon({{0, 0}, {10, 2}, {5, 9}});
        };
        draw();
        EXPECT_FALSE(b.samePixels(before));
        draw();
        EXPECT_TRUE(b.samePixels(before)) << int(mode);
    }
}

TEST(Canvas, EllipseStaysInsideItsBoxAndTouchesEveryEdge)
{
    const Rect boxes[] = {{0, 0, 8, 8}, {1, 2, 8, 7}, {3, 3, 4, 4}, {2, 1, 4, 4}, {7, 6, 0, 1}, {0, 0, 16, 5}};
    for (const Rect& given : boxes) {
        const Rect r = given.normalized();
        Bitmap b = whiteBitmap(16, 8);
        blackPenRedBrush(b).ellipse(given);
        const auto px = painted(b);
        ASSERT_FALSE(px.empty());
        int minX = 99, maxX = -1, minY = 99, maxY = -1;
        for (const auto& [x, y] : px) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            // Mirror symmetric inside the box.
            EXPECT_TRUE(px.count({r.left + r.right - 1 - x, y})) << x << "," << y;
            EXPECT_TRUE(px.count({x, r.top + r.bottom - 1 - y})) << x << "," << y;
        }
        EXPECT_EQ(minX, r.left);
        EXPECT_EQ(maxX, r.right - 1);
        EXPECT_EQ(minY, r.top);
        EXPECT_EQ(maxY, r.bottom - 1);
    }
}

TEST(Canvas, EllipseOutlineIsOnePixelAroundTheFill)
{
    Bitmap b = whiteBitmap(8, 8);
    blackPenRedBrush(b).ellipse(0, 0, 8, 8);
    EXPECT_EQ(art(b), rows({
                          "..####..",
                          ".#rrrr#.",
                          "#rrrrrr#",
                          "#rrrrrr#",
                          "#rrrrrr#",
                          "#rrrrrr#",
                          ".#rrrr#.",
                          "..####..",
                      }));
}

TEST(Canvas, PieAndChordWithCoincidingRaysAreTheWholeEllipse)
{
    Bitmap whole = whiteBitmap(10, 8);
    blackPenRedBrush(whole).ellipse(0, 0, 10, 8);
    struct Case {
        Point p3, p4;
    };
    const Case cases[] = {{{5, 0}, {5, 0}}, {{10, 4}, {20, 4}}, {{0, 0}, {0, 0}}, {{9, 6}, {13, 8}}};
    for (const Case& t : cases) {
        Bitmap pie = whiteBitmap(10, 8);
        blackPenRedBrush(pie).pie(0, 0, 10, 8, t.p3.x, t.p3.y, t.p4.x, t.p4.y);
        EXPECT_EQ(art(pie), art(whole));
        Bitmap chord = whiteBitmap(10, 8);
        blackPenRedBrush(chord).chord(0, 0, 10, 8, t.p3.x, t.p3.y, t.p4.x, t.p4.y);
        EXPECT_EQ(art(chord), art(whole));
    }
}

TEST(Canvas, PieRunsCounterClockwiseFromTheFirstRayToTheSecond)
{
    // From east to north: the upper right quarter.
    Bitmap b = whiteBitmap(16, 16);
    blackPenRedBrush(b).pie(0, 0, 16, 16, 16, 8, 8, 0);
    for (const auto& [x, y] : painted(b)) {
        EXPECT_GE(x, 7) << x << "," << y;
        EXPECT_LE(y, 8) << x << "," << y;
    }
    EXPECT_EQ(b.pixel(11, 4), clRed);
    EXPECT_EQ(b.pixel(4, 4), clWhite);
    EXPECT_EQ(b.pixel(11, 11), clWhite);

    // Swapped rays: the other three quarters.
    Bitmap o = whiteBitmap(16, 16);
    blackPenRedBrush(o).pie(0, 0, 16, 16, 8, 0, 16, 8);
    EXPECT_EQ(o.pixel(11, 4), clWhite);
    EXPECT_EQ(o.pixel(4, 4), clRed);
    EXPECT_EQ(o.pixel(11, 11), clRed);
    EXPECT_EQ(o.pixel(4, 11), clRed);
}

TEST(Canvas, ChordCutsAlongTheLineBetweenTheArcEnds)
{
    // East to west counter-clockwise: the upper half, cut by the horizontal diameter.
    Bitmap b = whiteBitmap(16, 16);
    blackPenRedBrush(b).chord(0, 0, 16, 16, 16, 8, 0, 8);
    for (const auto& [x, y] : painted(b))
        EXPECT_LE(y, 8) << x << "," << y;
    EXPECT_EQ(b.pixel(8, 3), clRed);
    EXPECT_EQ(b.pixel(8, 12), clWhite);

    // A small segment near the top, from P(π/2 − φ) to P(π/2 + φ): the straight cut shows as
    // an outline row with white below it.
    Bitmap s = whiteBitmap(16, 16);
    blackPenRedBrush(s).chord(0, 0, 16, 16, 13, 2, 3, 2);
    EXPECT_EQ(s.pixel(8, 0), clBlack);
    EXPECT_EQ(s.pixel(8, 8), clWhite);
    EXPECT_EQ(s.pixel(2, 8), clWhite);
    EXPECT_TRUE(painted(s).size() < 40u);
}

TEST(Canvas, ArcDrawsOnlyTheOutlineBetweenTheRays)
{
    Bitmap b = whiteBitmap(16, 16);
    blackPenRedBrush(b).arc(0, 0, 16, 16, 16, 8, 0, 8);
    const auto px = painted(b);
    ASSERT_FALSE(px.empty());
    for (const auto& [x, y] : px) {
        EXPECT_EQ(b.pixel(x, y), clBlack);
        EXPECT_LE(y, 8);
    }
    EXPECT_EQ(b.pixel(8, 0), clBlack);
    EXPECT_EQ(b.pixel(8, 15), clWhite);
}

TEST(Canvas, SelfOverlappingStarFillsEvenOddUnlessWinding)
{
    const std::vector<Point> star{{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
    Bitmap evenOdd = whiteBitmap(21, 21);
    Canvas& c = blackPenRedBrush(evenOdd);
    c.pen.style = PenStyle::Clear;
    c.polygon(star);
    EXPECT_EQ(evenOdd.pixel(10, 11), clWhite); // the pentagon in the middle is crossed twice
    EXPECT_EQ(evenOdd.pixel(10, 3), clRed);    // a point of the star
    EXPECT_EQ(evenOdd.pixel(2, 7), clRed);

    Bitmap winding = whiteBitmap(21, 21);
    Canvas& w = blackPenRedBrush(winding);
    w.pen.style = PenStyle::Clear;
    w.polygon(star, true);
    EXPECT_EQ(winding.pixel(10, 11), clRed);
    EXPECT_EQ(winding.pixel(10, 3), clRed);
    EXPECT_EQ(winding.pixel(0, 20), clWhite);
}

TEST(Canvas, PolygonOutlinePassesThroughEveryVertex)
{
    Bitmap b = whiteBitmap(8, 6);
    blackPenRedBrush(b).polygon({{1, 1}, {6, 1}, {6, 4}, {1, 4}});
    EXPECT_EQ(art(b), rows({
                          "........",
                          ".######.",
                          ".#rrrr#.",
                          ".#rrrr#.",
                          ".######.",
                          "........",
                      }));
}

TEST(Canvas, RoundRectCutsItsCorners)
{
    Bitmap b = whiteBitmap(12, 10);
    blackPenRedBrush(b).roundRect(0, 0, 12, 10, 6, 6);
    EXPECT_EQ(b.pixel(0, 0), clWhite);
    EXPECT_EQ(b.pixel(11, 9), clWhite);
    EXPECT_EQ(b.pixel(6, 0), clBlack);
    EXPECT_EQ(b.pixel(0, 5), clBlack);
    EXPECT_EQ(b.pixel(6, 5), clRed);
    Bitmap square = whiteBitmap(12, 10);
    blackPenRedBrush(square).roundRect(0, 0, 12, 10, 0, 0);
    Bitmap plain = whiteBitmap(12, 10);
    blackPenRedBrush(plain).rectangle(0, 0, 12, 10);
    EXPECT_EQ(art(square), art(plain));
}

TEST(Canvas, FloodFillSurfaceAndBorder)
{
    auto boxed = [] {
        Bitmap b = whiteBitmap(8, 6);
        Canvas& c = b.canvas();
        c.brush.style = BrushStyle::Clear;
        c.rectangle(1, 1, 6, 5);
        return b;
    };
    const std::string expected = rows({
        "........",
        ".#####..",
        ".#rrr#..",
        ".#rrr#..",
        ".#####..",
        "........",
    });
    Bitmap s = boxed();
    Canvas& cs = s.canvas();
    cs.brush = Brush{clRed, BrushStyle::Solid};
    cs.floodFill(3, 2, clWhite, FillStyle::Surface);
    EXPECT_EQ(art(s), expected);

    Bitmap b = boxed();
    Canvas& cb = b.canvas();
    cb.brush = Brush{clRed, BrushStyle::Solid};
    cb.floodFill(3, 2, clBlack, FillStyle::Border);
    EXPECT_EQ(art(b), expected);

    // Start pixel not of the surface colour: nothing.
    Bitmap n = boxed();
    Canvas& cn = n.canvas();
    cn.brush = Brush{clRed, BrushStyle::Solid};
    cn.floodFill(1, 1, clWhite, FillStyle::Surface);
    EXPECT_EQ(art(n), art(boxed()));
}

TEST(Canvas, FloodFillWithTheColourItFillsOverTerminates)
{
    Bitmap b = whiteBitmap(64, 48);
    Canvas& c = b.canvas();
    c.brush = Brush{clWhite, BrushStyle::Solid};
    c.floodFill(10, 10, clWhite, FillStyle::Surface);
    EXPECT_EQ(coloursOf(b), std::set<TColor>{clWhite});

    // Border fill whose brush is the border colour: fills everything reachable, then stops.
    c.brush = Brush{clBlack, BrushStyle::Solid};
    c.floodFill(10, 10, clBlack, FillStyle::Border);
    EXPECT_EQ(coloursOf(b), std::set<TColor>{clBlack});
}

TEST(Canvas, FloodFillStaysInsideTheClip)
{
    Bitmap b = whiteBitmap(8, 4);
    Canvas& c = b.canvas();
    c.brush = Brush{clRed, BrushStyle::Solid};
    c.setClipRect({2, 1, 5, 3});
    c.floodFill(3, 2, clWhite, FillStyle::Surface);
    c.clearClip();
    EXPECT_EQ(art(b), rows({"........", "..rrr...", "..rrr...", "........"}));
}

TEST(Canvas, TextSitsInItsCellWithOnlyTwoColours)
{
    ensureGuiApplication();
    Bitmap b = whiteBitmap(120, 60);
    Canvas& c = b.canvas();
    c.font.name = "Arial";
    c.font.pixelHeight = 20;
    c.font.style.bold = true;
    c.font.color = clBlack;
    c.brush.style = BrushStyle::Clear;
    const std::string text = "Zoetra";
    const int w = c.textWidth(text);
    const int h = c.textHeight(text);
    ASSERT_GT(w, 20);
    ASSERT_GE(h, 20);
    c.textOut(10, 15, text);
    EXPECT_EQ(coloursOf(b), (std::set<TColor>{clWhite, clBlack}));
    const auto px = painted(b);
    ASSERT_FALSE(px.empty());
    int minX = 999, minY = 999, maxX = -1, maxY = -1;
    for (const auto& [x, y] : px) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    EXPECT_GE(minX, 10);
    EXPECT_LE(minX, 12);
    EXPECT_GE(minY, 15);
    EXPECT_LE(minY, 15 + h / 3); // capitals start near the top of the cell
    EXPECT_LT(maxX, 10 + w + 1);
    EXPECT_LT(maxY, 15 + h);
    EXPECT_EQ(c.penPos, (Point{10 + w, 15}));
}

TEST(Canvas, SolidBrushFillsTheTextCell)
{
    ensureGuiApplication();
    Bitmap b = whiteBitmap(100, 40);
    Canvas& c = b.canvas();
    c.font.name = "Times New Roman";
    c.font.pixelHeight = 16;
    c.font.color = clBlue;
    c.brush = Brush{clRed, BrushStyle::Solid};
    c.textOut(5, 5, "Hi");
    const int w = c.textWidth("Hi");
    const int h = c.textHeight("Hi");
    EXPECT_EQ(coloursOf(b), (std::set<TColor>{clWhite, clRed, clBlue}));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inCell = x >= 5 && x < 5 + w && y >= 5 && y < 5 + h;
            if (inCell)
                EXPECT_NE(b.pixel(x, y), clWhite) << x << "," << y;
            else
                EXPECT_EQ(b.pixel(x, y), clWhite) << x << "," << y;
        }
    EXPECT_EQ(b.pixel(5, 5), clRed);
}

TEST(Canvas, EscapementTurnsTextCounterClockwiseAboutItsStart)
{
    ensureGuiApplication();
    Bitmap b = whiteBitmap(60, 120);
    Canvas& c = b.canvas();
    c.font.name = "Arial";
    c.font.pixelHeight = 20;
    c.font.escapement = 900;
    c.brush.style = BrushStyle::Clear;
    c.textOut(10, 100, "Zoetra");
    const int w = c.textWidth("Zoetra");
    const auto px = painted(b);
    ASSERT_FALSE(px.empty());
    for (const auto& [x, y] : px) {
        EXPECT_GE(x, 10); // the cell's top edge now runs up the left side
        EXPECT_LE(x, 10 + c.textHeight("Zoetra"));
        EXPECT_LE(y, 101);
        EXPECT_GE(y, 100 - w - 1);
    }
    EXPECT_EQ(coloursOf(b), (std::set<TColor>{clWhite, clBlack}));
}

TEST(Canvas, FontFacesResolveToMetricCompatibleFaces)
{
    ensureGuiApplication();
    struct Case {
        const char* name;
        const char* family;
    };
    const Case cases[] = {{"Arial", "Liberation Sans"},
                          {"arial", "Liberation Sans"},
                          {"MS Sans Serif", "Liberation Sans"},
                          {"Times New Roman", "Liberation Serif"},
                          {"Courier New", "Liberation Mono"}};
    for (const Case& t : cases) {
        Font f;
        f.name = t.name;
        f.size = 12;
        const QFont q = f.toQFont();
        EXPECT_EQ(QFontInfo(q).family().toStdString(), t.family) << t.name;
        EXPECT_EQ(q.pixelSize(), 16) << t.name; // 12 points at 96 dpi
        EXPECT_FALSE(q.kerning());
        EXPECT_TRUE(q.styleStrategy() & QFont::NoAntialias);
    }
    Font cell;
    cell.name = "Arial";
    cell.cellHeight = 30;
    EXPECT_LE(QFontMetrics(cell.toQFont()).height(), 30);
    EXPECT_GE(QFontMetrics(cell.toQFont()).height(), 27);
}

TEST(Canvas, TextInRectIsCutWithAnEllipsisAndClipped)
{
    ensureGuiApplication();
    Bitmap b = whiteBitmap(80, 30);
    Canvas& c = b.canvas();
    c.font.name = "Arial";
    c.font.pixelHeight = 14;
    c.brush.style = BrushStyle::Clear;
    const Rect r{5, 5, 45, 25};
    c.drawTextInRect(r, "A rather long caption that does not fit", TextAlign::Left, true);
    const auto px = painted(b);
    ASSERT_FALSE(px.empty());
    for (const auto& [x, y] : px)
        EXPECT_TRUE(r.contains({x, y})) << x << "," << y;
}

TEST(Canvas, CopyRectStretchesByNearestNeighbourAndMirrorsReversedDestinations)
{
    Bitmap src(2, 2, pf24bit);
    src.setPixel(0, 0, clRed);
    src.setPixel(1, 0, clBlue);
    src.setPixel(0, 1, clLime);
    src.setPixel(1, 1, clBlack);

    Bitmap up = whiteBitmap(5, 4);
    up.canvas().copyRect({0, 0, 4, 4}, src, {0, 0, 2, 2});
    EXPECT_EQ(art(up), rows({"rrbb.", "rrbb.", "gg##.", "gg##."}));

    Bitmap mirrored = whiteBitmap(4, 2);
    mirrored.canvas().copyRect({4, 0, 0, 2}, src, {0, 0, 2, 2});
    EXPECT_EQ(art(mirrored), rows({"bbrr", "##gg"}));

    Bitmap row(6, 1, pf24bit);
    for (int x = 0; x < 6; ++x)
        row.setPixel(x, 0, x % 2 ? clBlack : clRed);
    Bitmap down = whiteBitmap(3, 1);
    down.canvas().copyRect({0, 0, 3, 1}, row, {0, 0, 6, 1});
    EXPECT_EQ(art(down), rows({"###"})); // source columns 1, 3, 5

    Bitmap empty = whiteBitmap(4, 4);
    empty.canvas().copyRect({2, 2, 2, 4}, src, {0, 0, 2, 2});
    empty.canvas().copyRect({0, 0, 4, 4}, src, {1, 1, 1, 1});
    EXPECT_EQ(coloursOf(empty), std::set<TColor>{clWhite});
}

TEST(Canvas, CopyRectWithinOneBitmapReadsTheOriginalPixels)
{
    Bitmap b(6, 1, pf24bit);
    const TColor colours[] = {clRed, clBlue, clLime, clBlack, clWhite, clWhite};
    for (int x = 0; x < 6; ++x)
        b.setPixel(x, 0, colours[x]);
    b.canvas().copyRect({1, 0, 5, 1}, b, {0, 0, 4, 1});
    EXPECT_EQ(art(b), rows({"rrbg#."}));
}

TEST(Canvas, TransparentDrawingLeavesOutExactlyTheKeyColour)
{
    const TColor key = rgbColor(10, 200, 30);
    const TColor nearKey = rgbColor(10, 200, 31);
    Bitmap src(3, 2, pf24bit);
    src.fill(key);
    src.setPixel(1, 0, nearKey);
    src.setPixel(2, 1, clRed);

    Bitmap b = whiteBitmap(4, 3);
    b.canvas().drawTransparent(1, 1, src, key);
    EXPECT_EQ(b.pixel(2, 1), nearKey);
    EXPECT_EQ(b.pixel(3, 2), clRed);
    EXPECT_EQ(b.pixel(1, 1), clWhite);
    EXPECT_EQ(b.pixel(3, 1), clWhite);
    EXPECT_EQ(b.pixel(1, 2), clWhite);

    // draw() takes the bottom-left pixel's colour when the bitmap is marked transparent.
    src.setTransparent(true);
    Bitmap d = whiteBitmap(4, 3);
    d.canvas().draw(0, 0, src);
    EXPECT_EQ(d.pixel(0, 0), clWhite);
    EXPECT_EQ(d.pixel(1, 0), nearKey);
    EXPECT_EQ(d.pixel(2, 1), clRed);
    src.setTransparent(false);
    Bitmap o = whiteBitmap(4, 3);
    o.canvas().draw(0, 0, src);
    EXPECT_EQ(o.pixel(0, 0), key);

    // Stretched: every copy of a key pixel is left out.
    Bitmap s = whiteBitmap(6, 4);
    s.canvas().stretchDrawTransparent({0, 0, 6, 4}, src, key);
    EXPECT_EQ(coloursOf(s), (std::set<TColor>{clWhite, nearKey, clRed}));
    EXPECT_EQ(s.pixel(5, 3), clRed);
    EXPECT_EQ(s.pixel(4, 2), clRed);
}

TEST(Canvas, MaskedDrawingKeepsTheDestinationWhereTheMaskIsSet)
{
    Bitmap src(2, 2, pf24bit);
    src.fill(clBlue);
    Bitmap mask(2, 2, pf1bit); // black and white
    mask.fill(clBlack);
    mask.setPixelIndex(1, 0, 1);
    mask.setPixelIndex(0, 1, 1);
    Bitmap b = whiteBitmap(4, 4);
    b.fill(clRed);
    b.canvas().stretchDrawMasked({0, 0, 4, 4}, src, mask);
    EXPECT_EQ(art(b), rows({"bbrr", "bbrr", "rrbb", "rrbb"}));
}

TEST(Canvas, StretchDrawCallsTheGraphicsOwnDrawing)
{
    Bitmap src(1, 1, pf24bit);
    src.setPixel(0, 0, clBlue);
    Bitmap b = whiteBitmap(4, 4);
    b.canvas().stretchDraw({1, 1, 3, 3}, src);
    EXPECT_EQ(art(b), rows({"....", ".bb.", ".bb.", "...."}));
    const Graphic& g = src;
    b.canvas().draw(3, 0, g);
    EXPECT_EQ(art(b), rows({"...b", ".bb.", ".bb.", "...."}));
}

TEST(Canvas, DrawingOnAnIndexedBitmapKeepsPaletteIndexes)
{
    Palette pal;
    for (int i = 0; i < 256; ++i)
        pal.append(PaletteEntry::fromColor(clWhite));
    pal[3] = PaletteEntry::fromColor(clBlue);
    pal[5] = PaletteEntry::fromColor(clRed);
    pal[9] = PaletteEntry::fromColor(clRed); // a second red
    pal[12] = PaletteEntry::fromColor(rgbColor(0, 0, 100));
    Bitmap b(8, 4, pf8bit);
    b.setPalette(pal);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            b.setPixelIndex(x, y, 9);
    Canvas& c = b.canvas();
    c.pen.color = clBlue;
    c.moveTo(0, 1);
    c.lineTo(8, 1);
    c.pen.color = rgbColor(0, 0, 90); // not in the palette: the nearest entry
    c.moveTo(0, 2);
    c.lineTo(4, 2);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(b.pixelIndex(x, 0), 9);
        EXPECT_EQ(b.pixelIndex(x, 1), 3);
        EXPECT_EQ(b.pixelIndex(x, 2), x < 4 ? 12 : 9);
        EXPECT_EQ(b.pixelIndex(x, 3), 9);
    }

    // Copies between bitmaps of one palette keep the indexes too.
    Bitmap d(8, 4, pf8bit);
    d.setPalette(pal);
    d.canvas().draw(0, 0, b);
    EXPECT_TRUE(d.samePixels(b));
}

TEST(Canvas, DrawingOnFourAndOneBitBitmaps)
{
    Bitmap four(9, 3, pf4bit);
    four.fill(clWhite);
    Canvas& c = four.canvas();
    c.pen.color = clRed;
    c.moveTo(1, 1);
    c.lineTo(8, 1);
    EXPECT_EQ(art(four), rows({".........", ".rrrrrrr.", "........."}));

    Bitmap one(10, 2, pf1bit);
    one.fill(clWhite);
    Canvas& m = one.canvas();
    m.brush = Brush{clBlack, BrushStyle::Solid};
    m.fillRect({3, 0, 9, 1});
    EXPECT_EQ(art(one), rows({"...######.", ".........."}));
}

TEST(Canvas, ZeroSizeBitmapIgnoresEveryCall)
{
    ensureGuiApplication();
    Bitmap src(3, 3, pf24bit);
    for (const Bitmap& shape : {Bitmap(), Bitmap(0, 5), Bitmap(5, 0)}) {
        Bitmap b = shape;
        Canvas& c = b.canvas();
        c.moveTo(-3, -3);
        c.lineTo(4, 4);
        c.polyline({{0, 0}, {2, 2}, {4, 0}});
        c.rectangle(0, 0, 3, 3);
        c.fillRect({0, 0, 3, 3});
        c.frameRect({0, 0, 3, 3});
        c.drawFocusRect({0, 0, 3, 3});
        c.roundRect(0, 0, 3, 3, 1, 1);
        c.ellipse(0, 0, 3, 3);
        c.arc(0, 0, 3, 3, 0, 0, 3, 3);
        c.pie(0, 0, 3, 3, 0, 0, 3, 3);
        c.chord(0, 0, 3, 3, 0, 0, 3, 3);
        c.polygon({{0, 0}, {2, 0}, {1, 2}});
        c.floodFill(0, 0, clWhite, FillStyle::Surface);
        c.setPixel(0, 0, clRed);
        c.textOut(0, 0, "x");
        c.textRect({0, 0, 3, 3}, 0, 0, "x");
        c.copyRect({0, 0, 3, 3}, src, {0, 0, 3, 3});
        c.draw(0, 0, src);
        c.drawTransparent(0, 0, src, clWhite);
        c.stretchDrawTransparent({0, 0, 6, 6}, src, clWhite);
        EXPECT_EQ(c.pixel(0, 0), clNone);
        EXPECT_EQ(b.width() * b.height(), 0);
    }
}

TEST(Canvas, FarAwayCoordinatesAreClippedNotFatal)
{
    ensureGuiApplication();
    Bitmap b = whiteBitmap(8, 4);
    Canvas& c = b.canvas();
    c.moveTo(-1000000000, 2);
    c.lineTo(1000000000, 2);
    EXPECT_EQ(art(b), rows({"........", "........", "########", "........"}));

    Bitmap e = whiteBitmap(8, 4);
    Canvas& d = blackPenRedBrush(e);
    d.ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    d.rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(coloursOf(e), std::set<TColor>{clRed});
    d.pen.width = 7;
    d.moveTo(INT_MAX, INT_MIN);
    d.lineTo(INT_MIN, INT_MAX);
    d.polygon({{INT_MIN, INT_MIN}, {INT_MAX, 0}, {0, INT_MAX}});
    d.pie(INT_MIN, 0, INT_MAX, 4, INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    d.chord(-5, -5, 100, 100, 0, 0, 1, 1);
    d.roundRect(-10, -10, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    d.pen.width = INT_MAX;
    d.moveTo(4, 2);
    d.lineTo(5, 2);
    d.copyRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, b, {0, 0, 8, 4});
    d.draw(INT_MAX, INT_MAX, b);
    d.draw(INT_MIN, INT_MIN, b);
    EXPECT_EQ(c.pixel(-1, 0), clNone);
    d.setPixel(100, 100, clBlue); // ignored
    d.floodFill(-1, -1, clRed, FillStyle::Surface);
    d.pen.width = 9;
    d.pen.style = PenStyle::InsideFrame;
    d.rectangle(INT_MAX - 3, INT_MAX - 3, INT_MAX, INT_MAX);
    d.ellipse(INT_MIN, INT_MIN, INT_MIN + 2, INT_MIN + 2);
    d.textOut(INT_MAX, INT_MIN, "far");
    d.textOut(INT_MIN, INT_MAX, "far");
    d.drawTextInRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, "far", TextAlign::Right, true);
    d.textRect({INT_MAX, INT_MAX, INT_MIN, INT_MIN}, INT_MIN, INT_MIN, "far");
    // The text rect covers the whole bitmap, so its solid brush fills it.
    EXPECT_EQ(coloursOf(e), std::set<TColor>{clRed});
}

TEST(Canvas, ClipLimitsDrawingAndCanBeARegion)
{
    Bitmap b = whiteBitmap(8, 4);
    Canvas& c = b.canvas();
    c.brush = Brush{clRed, BrushStyle::Solid};
    c.setClipRect({2, 1, 5, 3});
    c.fillRect({0, 0, 8, 4});
    c.clearClip();
    EXPECT_EQ(art(b), rows({"........", "..rrr...", "..rrr...", "........"}));

    Bitmap r = whiteBitmap(8, 4);
    Canvas& d = r.canvas();
    d.pen.style = PenStyle::Clear;
    d.brush = Brush{clBlue, BrushStyle::Solid};
    d.setClipRegion(QRegion(0, 0, 2, 2).united(QRegion(6, 2, 2, 2)));
    d.rectangle(0, 0, 8, 4);
    d.setPixel(4, 2, clRed); // outside the clip
    d.clearClip();
    EXPECT_EQ(art(r), rows({"bb......", "bb......", "......bb", "......bb"}));
}

TEST(Canvas, FigureRegionsHoldExactlyTheFilledPixels)
{
    const std::vector<Point> star{{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
    struct Case {
        const char* name;
        std::function<void(Canvas&)> fill;
        std::function<QRegion(Canvas&)> region;
    };
    const Case cases[] = {
        {"even-odd star", [&](Canvas& c) { c.polygon(star); }, [&](Canvas& c) { return c.polygonRegion(star, false); }},
        {"winding star", [&](Canvas& c) { c.polygon(star, true); },
         [&](Canvas& c) { return c.polygonRegion(star, true); }},
        {"ellipse", [](Canvas& c) { c.ellipse(-3, 2, 17, 19); },
         [](Canvas& c) { return c.ellipseRegion({-3, 2, 17, 19}); }},
        {"round rect", [](Canvas& c) { c.roundRect(1, 1, 20, 15, 9, 7); },
         [](Canvas& c) { return c.roundRectRegion({1, 1, 20, 15}, 9, 7); }},
    };
    for (const Case& t : cases) {
        Bitmap filled = whiteBitmap(21, 21);
        Canvas& c = filled.canvas();
        c.pen.style = PenStyle::Clear;
        c.brush = Brush{clRed, BrushStyle::Solid};
        t.fill(c);

        Bitmap clipped = whiteBitmap(21, 21);
        Canvas& d = clipped.canvas();
        d.brush = Brush{clRed, BrushStyle::Solid};
        d.setClipRegion(t.region(d));
        d.fillRect({0, 0, 21, 21});
        EXPECT_EQ(art(clipped), art(filled)) << t.name;
    }
    Bitmap b = whiteBitmap(4, 4);
    EXPECT_TRUE(b.canvas().polygonRegion({{INT_MIN, INT_MIN}, {INT_MAX, 0}, {0, INT_MAX}}, false).rectCount() > 0);
    EXPECT_TRUE(Bitmap().canvas().ellipseRegion({0, 0, 5, 5}).isEmpty());
}

TEST(Canvas, FocusRectInvertsEveryOtherBorderPixelAndTakesItselfBack)
{
    Bitmap b = whiteBitmap(6, 5);
    Canvas& c = b.canvas();
    c.drawFocusRect({0, 0, 6, 5});
    EXPECT_EQ(art(b), rows({"#.#.#.", ".....#", "#.....", ".....#", "#.#.#."}));
    c.drawFocusRect({0, 0, 6, 5});
    EXPECT_EQ(coloursOf(b), std::set<TColor>{clWhite});
}

TEST(Canvas, HatchedBrushLeavesThePixelsBetweenItsLines)
{
    Bitmap b = whiteBitmap(10, 10);
    Canvas& c = b.canvas();
    c.brush = Brush{clBlue, BrushStyle::Horizontal};
    c.fillRect({0, 0, 10, 10});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(b.pixel(x, y), y % 8 == 0 ? clBlue : clWhite) << x << "," << y;
}

TEST(Canvas, StateLastsFromCallToCall)
{
    ensureGuiApplication();
    Bitmap b = whiteBitmap(10, 10);
    b.canvas().pen.color = clRed;
    b.canvas().font.name = "Courier New";
    b.setSize(20, 20); // resizing keeps the canvas and its state
    Canvas& c = b.canvas();
    EXPECT_EQ(c.pen.color, clRed);
    EXPECT_EQ(c.font.name, "Courier New");
    c.moveTo(0, 19);
    c.lineTo(20, 19);
    EXPECT_EQ(b.pixel(19, 19), clRed);
}
