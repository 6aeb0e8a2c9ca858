#pragma once
// A GDI-style drawing surface over a Bitmap.
//
// The canvas is a lasting state object: pen, brush, font and pen position outlive any one
// QPainter and persist from call to call. Drawing rules: antialiasing off, pixel-exact; right
// and bottom edges of rectangles exclusive; reversed rectangles normalised; lineTo leaves out its
// end pixel; pens wider than one pixel have round caps and joins; pie and chord run counter-
// clockwise from the first radial point to the second, coinciding points mean the full ellipse;
// polygons fill even-odd unless winding is asked for; text has no antialiasing and no kerning,
// is placed by the top-left of its cell, at 96 dots per inch.

#include "platform/color.h"
#include "platform/geometry.h"

#include <string>
#include <vector>

class Bitmap;
class Graphic;
class QFont;
class QPainter;

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
enum class PenMode { Copy, Not, Xor, NotXor, MergePen, MaskPen, Black, White };
enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };
enum class FillStyle { Surface, Border };

struct Pen {
    TColor color = clBlack;
    int width = 1;
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

// A font as the Parts name it: face, size in points (or height in pixels when negative size is
// not wanted), colour, style and escapement (tenths of a degree, counter-clockwise).
struct Font {
    std::string name = "MS Sans Serif";
    int size = 8;          // points at 96 dpi; ignored when pixelHeight > 0
    int pixelHeight = 0;   // character height in pixels, if set
    TColor color = clBlack;
    FontStyle style;
    int escapement = 0;

    QFont toQFont() const;
    friend bool operator==(const Font&, const Font&) = default;
};

class Canvas {
public:
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
    void polyline(const std::vector<Point>& points);

    void rectangle(int x1, int y1, int x2, int y2);
    void rectangle(const Rect& r) { rectangle(r.left, r.top, r.right, r.bottom); }
    void fillRect(const Rect& r); // brush only, no outline
    void frameRect(const Rect& r); // one-pixel frame in the brush colour
    void roundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    void ellipse(int x1, int y1, int x2, int y2);
    void ellipse(const Rect& r) { ellipse(r.left, r.top, r.right, r.bottom); }
    void arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void polygon(const std::vector<Point>& points, bool winding = false);

    // Flood fill from (x, y): Surface fills the area of the colour at (x, y)... of `color`;
    // Border fills until pixels of `color`. Never loops when the brush colour equals the target.
    void floodFill(int x, int y, TColor color, FillStyle style);

    TColor pixel(int x, int y) const;
    void setPixel(int x, int y, TColor color);

    // Text with the current font, top-left of the cell at (x, y); brush Solid fills the cell
    // background with the brush colour, Clear leaves it.
    void textOut(int x, int y, const std::string& text);
    // Text clipped to rect, drawn at (x, y).
    void textRect(const Rect& rect, int x, int y, const std::string& text);
    int textWidth(const std::string& text) const;
    int textHeight(const std::string& text) const;

    // Copies source rectangle of another bitmap to dest on this canvas (stretched by nearest
    // neighbour when the sizes differ; an empty destination draws nothing).
    void copyRect(const Rect& dest, const Bitmap& source, const Rect& sourceRect);
    // Draws a bitmap at (x, y); honours its transparent flag (colour key, no blending).
    void draw(int x, int y, const Bitmap& source);
    // Draws a graphic stretched into rect (its own draw operation).
    void stretchDraw(const Rect& rect, const Graphic& graphic);
    // Draws a bitmap leaving out exactly the pixels of colour key.
    void drawTransparent(int x, int y, const Bitmap& source, TColor key);
    void stretchDrawTransparent(const Rect& dest, const Bitmap& source, TColor key);

    // Limits later drawing to rect until clearClip().
    void setClipRect(const Rect& rect);
    void clearClip();

private:
    Bitmap* target_;
    bool clipped_ = false;
    Rect clip_;
};
