#include "platform/bitmap.h"

#include "platform/canvas.h"
#include "platform/exceptions.h"
#include "platform/system_palettes.h"

#include <QImage>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

int bitsPerPixelOf(PixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    default: return 24;
    }
}

int dibStride(int width, int bitsPerPixel)
{
    return int(((std::int64_t(width) * bitsPerPixel + 31) & ~std::int64_t(31)) / 8);
}

namespace {

PixelFormat storedFormat(PixelFormat format)
{
    switch (format) {
    case pf1bit:
    case pf4bit:
    case pf8bit: return format;
    default: return pf24bit;
    }
}

bool isIndexed(PixelFormat format) { return format == pf1bit || format == pf4bit || format == pf8bit; }

int paletteSizeOf(PixelFormat format) { return isIndexed(format) ? 1 << bitsPerPixelOf(format) : 0; }

const Palette& stockPaletteFor(PixelFormat format)
{
    switch (format) {
    case pf1bit: return blackWhitePalette();
    case pf4bit: return vgaPalette16();
    default: return halftonePalette256();
    }
}

int readIndex(const std::uint8_t* row, int x, int bits)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default: return row[x];
    }
}

void writeIndex(std::uint8_t* row, int x, int bits, int index)
{
    switch (bits) {
    case 1: {
        const auto mask = std::uint8_t(0x80 >> (x & 7));
        if (index & 1)
            row[x >> 3] |= mask;
        else
            row[x >> 3] &= std::uint8_t(~mask);
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

// Maps colours to palette indexes, remembering every colour seen.
class NearestCache {
public:
    explicit NearestCache(const Palette& palette) : palette_(palette) {}
    int operator()(TColor c)
    {
        auto it = cache_.find(c);
        if (it != cache_.end())
            return it->second;
        const int index = std::max(0, palette_.nearestIndex(c));
        cache_.emplace(c, index);
        return index;
    }

private:
    const Palette& palette_;
    std::unordered_map<TColor, int> cache_;
};

} // namespace

Bitmap::Bitmap() { allocate(0, 0, pf24bit); }

Bitmap::Bitmap(int width, int height, PixelFormat format) { allocate(width, height, storedFormat(format)); }

Bitmap::Bitmap(const Bitmap& other)
    : Graphic(), width_(other.width_), height_(other.height_), format_(other.format_), stride_(other.stride_),
      pixels_(other.pixels_), palette_(other.palette_)
{
    transparent_ = other.transparent_;
}

Bitmap& Bitmap::operator=(const Bitmap& other)
{
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        format_ = other.format_;
        stride_ = other.stride_;
        pixels_ = other.pixels_;
        palette_ = other.palette_;
        transparent_ = other.transparent_;
        changed();
    }
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : Graphic(), width_(other.width_), height_(other.height_), format_(other.format_), stride_(other.stride_),
      pixels_(std::move(other.pixels_)), palette_(std::move(other.palette_))
{
    transparent_ = other.transparent_;
    other.width_ = other.height_ = other.stride_ = 0;
    other.pixels_.clear();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept
{
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        format_ = other.format_;
        stride_ = other.stride_;
        pixels_ = std::move(other.pixels_);
        palette_ = std::move(other.palette_);
        transparent_ = other.transparent_;
        other.width_ = other.height_ = other.stride_ = 0;
        other.pixels_.clear();
    }
    return *this;
}

Bitmap::~Bitmap() = default;

void Bitmap::allocate(int width, int height, PixelFormat format)
{
    if (width < 0 || height < 0)
        throw EInvalidGraphic("Invalid bitmap dimensions " + std::to_string(width) + " x " + std::to_string(height));
    if (width > kMaxDimension || height > kMaxDimension || std::int64_t(width) * height > kMaxPixels)
        throw EOutOfMemory("Out of memory: a bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels is too large");
    const int stride = dibStride(width, bitsPerPixelOf(format));
    std::vector<std::uint8_t> pixels(std::size_t(stride) * std::size_t(height));
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = stride;
    pixels_ = std::move(pixels);
    if (isIndexed(format) && palette_.count() != paletteSizeOf(format))
        palette_ = stockPaletteFor(format);
    fill(clWhite);
}

void Bitmap::padPaletteFor(PixelFormat format)
{
    palette_.resize(paletteSizeOf(format));
}

void Bitmap::setSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    // Build the resized pixels first, so a refused size leaves this bitmap as it was.
    Bitmap resized;
    resized.palette_ = palette_;
    resized.allocate(width, height, format_);
    const int rows = std::min(height, height_);
    const int cols = std::min(width, width_);
    const int bits = bitsPerPixel();
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* src = scanLine(y);
        std::uint8_t* dst = resized.scanLine(y);
        if (bits >= 8)
            std::memcpy(dst, src, std::size_t(cols) * std::size_t(bits / 8));
        else
            for (int x = 0; x < cols; ++x)
                writeIndex(dst, x, bits, readIndex(src, x, bits));
    }
    width_ = resized.width_;
    height_ = resized.height_;
    stride_ = resized.stride_;
    pixels_ = std::move(resized.pixels_);
    changed();
}

void Bitmap::setPixelFormat(PixelFormat format)
{
    format = storedFormat(format);
    if (format == format_)
        return;
    const Bitmap old(*this);
    Palette target;
    if (isIndexed(format))
        target = palette_.count() == paletteSizeOf(format) ? palette_ : stockPaletteFor(format);
    allocate(old.width_, old.height_, format);
    palette_ = target.empty() ? old.palette_ : target;
    if (format == pf24bit) {
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* dst = scanLine(y);
            const std::uint8_t* src = old.scanLine(y);
            for (int x = 0; x < width_; ++x) {
                const PaletteEntry& e = old.palette_[readIndex(src, x, old.bitsPerPixel())];
                dst[3 * x] = e.blue;
                dst[3 * x + 1] = e.green;
                dst[3 * x + 2] = e.red;
            }
        }
    } else {
        NearestCache nearest(palette_);
        const int bits = bitsPerPixel();
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* dst = scanLine(y);
            for (int x = 0; x < width_; ++x)
                writeIndex(dst, x, bits, nearest(old.pixel(x, y)));
        }
    }
    changed();
}

std::uint8_t* Bitmap::scanLine(int y)
{
    if (y < 0 || y >= height_)
        throw ERangeError("Scan line index out of range");
    return pixels_.data() + std::size_t(y) * std::size_t(stride_);
}

const std::uint8_t* Bitmap::scanLine(int y) const
{
    if (y < 0 || y >= height_)
        throw ERangeError("Scan line index out of range");
    return pixels_.data() + std::size_t(y) * std::size_t(stride_);
}

void Bitmap::setPalette(const Palette& palette)
{
    palette_ = palette;
    if (isIndexed(format_))
        padPaletteFor(format_);
    changed();
}

TColor Bitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return clNone;
    const std::uint8_t* row = scanLine(y);
    if (format_ == pf24bit)
        return rgbColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    return palette_[readIndex(row, x, bitsPerPixel())].color();
}

void Bitmap::setPixel(int x, int y, TColor color)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    std::uint8_t* row = scanLine(y);
    if (format_ == pf24bit) {
        row[3 * x] = blueOf(color);
        row[3 * x + 1] = greenOf(color);
        row[3 * x + 2] = redOf(color);
    } else {
        writeIndex(row, x, bitsPerPixel(), std::max(0, palette_.nearestIndex(color)));
    }
}

int Bitmap::pixelIndex(int x, int y) const
{
    if (format_ == pf24bit || x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return readIndex(scanLine(y), x, bitsPerPixel());
}

void Bitmap::setPixelIndex(int x, int y, int index)
{
    if (format_ == pf24bit || x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    writeIndex(scanLine(y), x, bitsPerPixel(), std::clamp(index, 0, paletteSizeOf(format_) - 1));
}

void Bitmap::fill(TColor color)
{
    if (pixels_.empty())
        return;
    if (format_ == pf24bit) {
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* row = scanLine(y);
            for (int x = 0; x < width_; ++x) {
                row[3 * x] = blueOf(color);
                row[3 * x + 1] = greenOf(color);
                row[3 * x + 2] = redOf(color);
            }
        }
        return;
    }
    const int index = std::max(0, palette_.nearestIndex(color));
    const int bits = bitsPerPixel();
    std::uint8_t byte = 0;
    for (int i = 0; i < 8 / bits; ++i)
        byte = std::uint8_t((byte << bits) | index);
    std::fill(pixels_.begin(), pixels_.end(), byte);
}


TColor Bitmap::transparentColor() const
{
    if (empty())
        return clNone;
    return pixel(0, height_ - 1);
}

Canvas& Bitmap::canvas()
{
    if (!canvas_)
        canvas_ = std::make_unique<Canvas>(*this);
    return *canvas_;
}

QImage Bitmap::toQImage() const
{
    if (empty())
        return QImage();
    if (format_ == pf24bit)
        return QImage(pixels_.data(), width_, height_, stride_, QImage::Format_BGR888);
    QList<QRgb> table;
    for (const auto& e : palette_.entries())
        table.append(qRgb(e.red, e.green, e.blue));
    if (format_ == pf1bit) {
        QImage image(pixels_.data(), width_, height_, stride_, QImage::Format_Mono);
        image.setColorTable(table);
        return image.copy();
    }
    QImage image(width_, height_, QImage::Format_Indexed8);
    image.setColorTable(table);
    for (int y = 0; y < height_; ++y) {
        uchar* dst = image.scanLine(y);
        const std::uint8_t* src = scanLine(y);
        for (int x = 0; x < width_; ++x)
            dst[x] = uchar(readIndex(src, x, bitsPerPixel()));
    }
    return image;
}

Bitmap Bitmap::fromQImage(const QImage& image)
{
    if (image.isNull())
        return Bitmap();
    if (image.format() == QImage::Format_Indexed8 && image.colorCount() <= 256) {
        Bitmap result(image.width(), image.height(), pf8bit);
        Palette palette;
        for (QRgb c : image.colorTable())
            palette.append({std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c)), 0});
        result.setPalette(palette);
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(result.scanLine(y), image.constScanLine(y), std::size_t(image.width()));
        return result;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_BGR888);
    Bitmap result(image.width(), image.height(), pf24bit);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(result.scanLine(y), rgb.constScanLine(y), std::size_t(image.width()) * 3);
    return result;
}

void Bitmap::draw(Canvas& canvas, const Rect& rect) const
{
    if (empty())
        return;
    if (transparent_)
        canvas.stretchDrawTransparent(rect, *this, transparentColor());
    else
        canvas.copyRect(rect, *this, Rect{0, 0, width_, height_});
}

bool Bitmap::samePixels(const Bitmap& other) const
{
    if (width_ != other.width_ || height_ != other.height_ || format_ != other.format_)
        return false;
    if (isIndexed(format_) && palette_ != other.palette_)
        return false;
    const std::size_t usedBytes = (std::size_t(width_) * std::size_t(bitsPerPixel()) + 7) / 8;
    const int bits = bitsPerPixel();
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* a = scanLine(y);
        const std::uint8_t* b = other.scanLine(y);
        if (bits >= 8) {
            if (std::memcmp(a, b, usedBytes) != 0)
                return false;
        } else {
            for (int x = 0; x < width_; ++x)
                if (readIndex(a, x, bits) != readIndex(b, x, bits))
                    return false;
        }
    }
    return true;
}
