#pragma once
// A GDI-style drawing surface over a Bitmap.
//
// The canvas is a lasting state object: pen, brush, font and pen position outlive any one
// drawing call and persist from call to call. Every call works on the bitmap's own memory in
// whatever pixel format the bitmap has at that moment; an indexed bitmap gets the nearest palette
// entry for each pixel drawn (exact where the colour is in the palette) and keeps the indexes of
// every pixel left alone.
//
// Drawing rules: antialiasing off, pixel-exact; a pixel belongs to a figure when its centre does.
// - Rectangles are given with right and bottom edges exclusive; reversed rectangles are
//   normalised. A one-pixel pen draws the figure's outermost pixels, the brush fills the rest;
//   a pen of width w is a round nib of diameter w centred on that outline (round caps and joins).
//   InsideFrame keeps a wide pen inside the bounding box.
// - lineTo leaves out its end pixel (a wide pen draws it, as a round cap).
// - Pen modes are raster operations on colours; they apply to the pen and to the brush of
//   figures. Each pixel is touched at most once per call, so Xor and NotXor drawn twice restore
//   the picture.
// - arc, pie and chord are given by the bounding box and two radial points; they run
//   counter-clockwise from the ray through the first point to the ray through the second;
//   coinciding rays mean the full ellipse.
// - Polygons fill even-odd unless winding is asked for.
// - Copies stretch by nearest neighbour; an empty destination draws nothing; a destination whose
//   width or height is reversed against the source mirrors the picture. Copies ignore the pen mode.
// - Hatched brushes paint their lines in the brush colour and leave the pixels between them.
// - Text has no antialiasing and no kerning, is placed by the top-left of its cell, uses pixel
//   sizes at 96 dots per inch, and ignores the pen mode.
// - Coordinates outside the bitmap are clipped; nothing ever throws for them. On a bitmap of
//   zero size every call is a no-op.

#include "platform/color.h"
#include "platform/geometry.h"

#include <string>
#include <vector>

class Bitmap;
class Graphic;
class QFont;
class QRegion;

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
// Raster operations of the pen (P) on the destination (D): Copy P, Not ~D, Xor P^D, NotXor
// ~(P^D), MergePen P|D, MaskPen P&D, Black, White, Nop D, NotCopy ~P, MergePenNot P|~D,
// MaskPenNot P&~D, MergeNotPen ~P|D, MaskNotPen ~P&D, NotMerge ~(P|D), NotMask ~(P&D).
enum class PenMode {
    Copy,
    Not,
    Xor,
    NotXor,
    MergePen,
    MaskPen,
    Black,
    White,
    Nop,
    NotCopy,
    MergePenNot,
    MaskPenNot,
    MergeNotPen,
    MaskNotPen,
    NotMerge,
    NotMask,
};
enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };
enum class FillStyle { Surface, Border };
enum class TextAlign { Left, Right, Center };

struct Pen {
    TColor color = clBlack;
    int width = 1; // values below 1 draw as 1, above kMaxPenWidth as kMaxPenWidth
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
};

struct Brush {
    TColor color = clWhite;
    BrushStyle style = BrushStyle::Solid;
};

struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

// A font by face name, colour, style and escapement (tenths of a degree, counter-clockwise).
// Its size comes from the first of these that is set: pixelHeight (character height in pixels,
// without internal leading), cellHeight (height of the whole character cell in pixels), size
// (points at 96 dpi; a negative size is a cell height of -size pixels).
struct Font {
    std::string name = "MS Sans Serif";
    int size = 8;
    int pixelHeight = 0;
    TColor color = clBlack;
    FontStyle style;
    int escapement = 0;
    int cellHeight = 0;

    // Largest character height in pixels a font is made with.
    static constexpr int kMaxPixelHeight = 2048;

    // The Qt font: "Arial" and "MS Sans Serif" become "Liberation Sans", "Times New Roman"
    // "Liberation Serif", "Courier New" "Liberation Mono" (any letter case); other names are
    // left to fontconfig. No antialiasing, no kerning, a pixel size. Needs a QGuiApplication;
    // throws Exception "Text drawing needs a running application" without one.
    QFont toQFont() const;
    friend bool operator==(const Font&, const Font&) = default;
};

class Canvas {
public:
    static constexpr int kMaxPenWidth = 1024;

    explicit Canvas(Bitmap& target);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Bitmap& target() { return *target_; }

    Pen pen;
    Brush brush;
    Font font;
    Point penPos;

    void moveTo(int x, int y) { penPos = {x, y}; }
    // Line from the pen position to (x, y), end pixel left out; the pen position becomes (x, y).
    void lineTo(int x, int y);
    // Lines through the points in order, the last point left out; the pen position stays.
    void polyline(const std::vector<Point>& points);

    void rectangle(int x1, int y1, int x2, int y2);
    void rectangle(const Rect& r) { rectangle(r.left, r.top, r.right, r.bottom); }
    void fillRect(const Rect& r);  // brush only, no outline, pen mode ignored
    void frameRect(const Rect& r); // one-pixel frame in the brush colour, pen mode ignored
    // Dotted frame that inverts every other pixel of the border; drawing it twice removes it.
    void drawFocusRect(const Rect& r);
    void roundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    void ellipse(int x1, int y1, int x2, int y2);
    void ellipse(const Rect& r) { ellipse(r.left, r.top, r.right, r.bottom); }
    void arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void polygon(const std::vector<Point>& points, bool winding = false);

    // Flood fill from (x, y) with the brush over the 4-connected pixels that have `color`
    // (Surface) or that do not have `color` (Border). Nothing happens when the start pixel does
    // not qualify, lies outside the bitmap or the clip, or the brush is clear. Terminates also
    // when the brush colour equals the colour filled over.
    void floodFill(int x, int y, TColor color, FillStyle style);

    TColor pixel(int x, int y) const; // clNone outside the bitmap
    void setPixel(int x, int y, TColor color);

    // Text with the current font, top-left of the cell at (x, y), turned about (x, y) by the
    // font's escapement. A Solid brush fills the cell with the brush colour first; any other
    // brush leaves the background. The pen position becomes (x + textWidth(text), y).
    void textOut(int x, int y, const std::string& text);
    // Text at (x, y) clipped to rect; a Solid brush fills the whole rect first.
    void textRect(const Rect& rect, int x, int y, const std::string& text);
    // One line of text in rect, centred vertically and aligned horizontally, cut with "..." at
    // the end when endEllipsis is set and it does not fit; clipped to rect. A Solid brush fills
    // rect first.
    void drawTextInRect(const Rect& rect, const std::string& text, TextAlign align, bool endEllipsis);
    int textWidth(const std::string& text) const;
    int textHeight(const std::string& text) const;

    // Copies source rectangle of another bitmap (or of this one) to dest on this canvas,
    // stretched by nearest neighbour when the sizes differ. Source pixels outside the source
    // bitmap are not drawn.
    void copyRect(const Rect& dest, const Bitmap& source, const Rect& sourceRect);
    // Draws a bitmap at (x, y); honours its transparent flag (colour key, no blending).
    void draw(int x, int y, const Bitmap& source);
    // Draws any graphic at (x, y) in its own size, by its own draw operation.
    void draw(int x, int y, const Graphic& graphic);
    // Draws a graphic stretched into rect (its own draw operation).
    void stretchDraw(const Rect& rect, const Graphic& graphic);
    // Draws a bitmap leaving out exactly the pixels of colour key (clNone: no key).
    void drawTransparent(int x, int y, const Bitmap& source, TColor key);
    void stretchDrawTransparent(const Rect& dest, const Bitmap& source, TColor key);
    // Draws a bitmap stretched into dest through a mask of the source's size: where the mask
    // pixel is not black (bit 1 of a black-and-white mask) the destination is kept.
    void stretchDrawMasked(const Rect& dest, const Bitmap& source, const Bitmap& mask);

    // Limits later drawing to rect (or to region, in bitmap coordinates) until clearClip();
    // each call replaces the clip before it.
    void setClipRect(const Rect& rect);
    void setClipRegion(const QRegion& region);
    void clearClip();
    bool hasClip() const { return clipped_; }

    // Regions holding exactly the pixels the brush of polygon(), ellipse() and roundRect()
    // fills, cut to the bitmap; to be combined with QRegion's operations and used as a clip.
    QRegion polygonRegion(const std::vector<Point>& points, bool winding) const;
    QRegion ellipseRegion(const Rect& r) const;
    QRegion roundRectRegion(const Rect& r, int cornerWidth, int cornerHeight) const;

private:
    struct Figure;
    class Coverage;

    // Bitmap bounds, cut to the clip; empty for a zero-size bitmap.
    std::vector<Rect> visibleRects() const;
    bool isVisible(int x, int y) const;
    int penWidth() const;
    bool penDraws() const;
    void drawFigure(const Figure& figure, bool fill);
    void drawLines(const std::vector<Point>& points, bool closed, bool includeLast);
    void composite(const Coverage& coverage, bool useMode);
    void fillArea(const Rect& r, bool frameOnly);
    void drawTextAt(int x, int y, const std::string& text, const Rect* limit, bool fillCell);
    void blit(const Rect& dest, const Bitmap& source, const Rect& sourceRect, bool keyed, TColor key,
              const Bitmap* mask = nullptr);
    void notifyChanged();
    QRegion figureRegion(Figure figure) const;

    Bitmap* target_;
    bool clipped_ = false;
    std::vector<Rect> clip_;
};
