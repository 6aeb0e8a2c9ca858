#pragma once
// A device-independent bitmap of 1, 4, 8 or 24 bits per pixel.
//
// Pixels are kept in DIB layout: rows padded to 4 bytes, reached top row first; 24-bit rows
// hold blue, green, red per pixel; 1- and 4-bit rows are packed with the leftmost pixel in the
// most significant bits. Indexed formats carry a palette of 2^bits entries. The canvas paints on
// the same memory. A bitmap marked transparent is drawn without the pixels that have the colour
// of its bottom-left pixel.

#include "platform/color.h"
#include "platform/graphic.h"
#include "platform/palette.h"

#include <cstdint>
#include <memory>
#include <vector>

class QImage;

// Numbering of the platform's pixel formats; only 1, 4, 8 and 24 bits are stored, every other
// value is taken as 24 bits.
enum PixelFormat : std::uint8_t {
    pfDevice = 0,
    pf1bit = 1,
    pf4bit = 2,
    pf8bit = 3,
    pf15bit = 4,
    pf16bit = 5,
    pf24bit = 6,
    pf32bit = 7,
};

int bitsPerPixelOf(PixelFormat format);
// Bytes of one DIB row: ((width * bits + 31) and not 31) div 8.
int dibStride(int width, int bitsPerPixel);

class Bitmap : public Graphic {
public:
    // Largest width or height accepted, and largest pixel count (256 megapixels).
    static constexpr int kMaxDimension = 65535;
    static constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

    Bitmap();
    Bitmap(int width, int height, PixelFormat format = pf24bit);
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    ~Bitmap() override;

    void assign(const Bitmap& other) { *this = other; }

    int width() const override { return width_; }
    int height() const override { return height_; }
    // Keeps the overlapping top-left part; new pixels are white (nearest to white in a palette).
    // Throws EOutOfMemory for dimensions beyond the limits above or below zero.
    void setSize(int width, int height);
    void setWidth(int width) { setSize(width, height_); }
    void setHeight(int height) { setSize(width_, height); }

    PixelFormat pixelFormat() const { return format_; }
    int bitsPerPixel() const { return bitsPerPixelOf(format_); }
    // Converts the pixels in place. To 24 bits is exact; to an indexed format each pixel takes
    // the nearest entry of the bitmap's palette if it has one of the right size, otherwise of the
    // stock palette (halftone for 8 bits, VGA for 4, black and white for 1).
    void setPixelFormat(PixelFormat format);

    int bytesPerLine() const { return stride_; }
    // Row y, top row first. Throws ERangeError "Scan line index out of range" outside 0..height-1.
    std::uint8_t* scanLine(int y);
    const std::uint8_t* scanLine(int y) const;
    std::uint8_t* bits() { return pixels_.data(); }
    const std::uint8_t* bits() const { return pixels_.data(); }
    std::size_t imageSize() const { return pixels_.size(); }

    // Colour table of an indexed bitmap (2^bits entries). Setting it on an indexed bitmap keeps
    // the pixel indexes; a shorter palette is padded with black, a longer one cut. On a 24-bit
    // bitmap the palette is kept and used when the bitmap is switched to an indexed format.
    const Palette& palette() const { return palette_; }
    void setPalette(const Palette& palette);

    // Colour of one pixel; clNone outside the bitmap.
    TColor pixel(int x, int y) const;
    // Sets one pixel (nearest palette entry for indexed formats); ignored outside the bitmap.
    void setPixel(int x, int y, TColor color);
    // Palette index of a pixel of an indexed bitmap (0 for 24 bits or outside).
    int pixelIndex(int x, int y) const;
    void setPixelIndex(int x, int y, int index);
    void fill(TColor color);

    // Colour of the bottom-left pixel; clNone for an empty bitmap.
    TColor transparentColor() const;

    Canvas& canvas();

    // A QImage sharing this bitmap's memory (24 bits: Format_BGR888; others: Indexed8/Mono are
    // copies, since Qt has no 4-bit format). Valid until the bitmap is resized or converted.
    QImage toQImage() const;
    static Bitmap fromQImage(const QImage& image);

    void draw(Canvas& canvas, const Rect& rect) const override;
    // BMP file format (see bmp_file.h).
    void loadFromStream(Stream& stream) override;
    void saveToStream(Stream& stream) const override;
    std::unique_ptr<Graphic> clone() const override { return std::make_unique<Bitmap>(*this); }

    // Same size, format, palette and pixels (padding bytes ignored).
    bool samePixels(const Bitmap& other) const;

private:
    void allocate(int width, int height, PixelFormat format);
    void padPaletteFor(PixelFormat format);

    int width_ = 0;
    int height_ = 0;
    PixelFormat format_ = pf24bit;
    int stride_ = 0;
    std::vector<std::uint8_t> pixels_;
    Palette palette_;
    std::unique_ptr<Canvas> canvas_;
};
