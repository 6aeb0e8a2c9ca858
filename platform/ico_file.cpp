#include "platform/ico_file.h"

#include "platform/bmp_file.h"
#include "platform/canvas.h"
#include "platform/exceptions.h"
#include "platform/stream.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr std::size_t kDirHeaderSize = 6;
constexpr std::size_t kDirEntrySize = 16;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

[[noreturn]] void fail(const char* message) { throw EInvalidGraphic(message); }

std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint32_t be32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}
void put16(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

bool isPng(const std::uint8_t* data, std::size_t size)
{
    return size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
}

void checkIconSize(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0)
        fail("Invalid icon dimensions");
    if (width > Icon::kMaxDimension || height > Icon::kMaxDimension)
        fail("Icon image is too large");
}

// One image of the directory, with the size and depth it really has where that can be seen.
struct Candidate {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::int64_t area = 0;
    int bits = 0;
};

Candidate describe(const std::uint8_t* entry, const std::vector<std::uint8_t>& file)
{
    Candidate c;
    c.offset = le32(entry + 12);
    c.size = le32(entry + 8);
    int width = entry[0] == 0 ? 256 : entry[0];
    int height = entry[1] == 0 ? 256 : entry[1];
    c.bits = le16(entry + 6);
    if (c.bits == 0) {
        const int colors = entry[2];
        c.bits = colors == 0 ? 8 : colors <= 2 ? 1 : colors <= 16 ? 4 : 8;
    }
    if (c.offset <= file.size() && c.size <= file.size() - c.offset) {
        const std::uint8_t* p = file.data() + c.offset;
        if (isPng(p, c.size) && c.size >= 26) {
            // IHDR: width, height, bit depth, colour type.
            width = int(std::min<std::uint32_t>(be32(p + 16), 1u << 20));
            height = int(std::min<std::uint32_t>(be32(p + 20), 1u << 20));
            static constexpr int channels[7] = {1, 0, 3, 1, 2, 0, 4};
            const int type = p[25] <= 6 ? p[25] : 0;
            c.bits = p[24] * (type == 3 ? 1 : channels[type]);
        } else if (c.size >= 16 && le32(p) >= 16) {
            width = int(std::clamp<std::int64_t>(std::int32_t(le32(p + 4)), 0, 1 << 20));
            height = int(std::clamp<std::int64_t>(std::int32_t(le32(p + 8)) / 2, 0, 1 << 20));
            c.bits = le16(p + 14);
        }
    }
    c.area = std::int64_t(width) * height;
    return c;
}

Icon decodePng(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize dims = reader.size();
    if (!dims.isValid())
        fail("Invalid PNG image in icon file");
    checkIconSize(dims.width(), dims.height());
    const QImage read = reader.read();
    if (read.isNull() || read.width() != dims.width() || read.height() != dims.height())
        fail("Invalid PNG image in icon file");
    const QImage argb = read.convertToFormat(QImage::Format_ARGB32);
    Bitmap image(argb.width(), argb.height(), pf24bit);
    Bitmap mask(argb.width(), argb.height(), pf1bit);
    mask.fill(clBlack);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::uint8_t* out = image.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            out[3 * x] = std::uint8_t(qBlue(in[x]));
            out[3 * x + 1] = std::uint8_t(qGreen(in[x]));
            out[3 * x + 2] = std::uint8_t(qRed(in[x]));
            if (qAlpha(in[x]) < 128)
                mask.setPixelIndex(x, y, 1);
        }
    }
    return Icon(image, mask);
}

Icon decodeDibIcon(std::vector<std::uint8_t> data)
{
    const DibHeader header =
        parseDibHeader(data.data(), data.size(), std::numeric_limits<std::size_t>::max(), true);
    checkIconSize(header.width, header.height);
    const int width = header.width;
    const int height = header.height;
    const std::int64_t size = std::int64_t(data.size());
    const std::int64_t colorBytes = std::int64_t(dibStride(width, header.bitCount)) * height;
    const std::int64_t maskStride = dibStride(width, 1);
    const std::int64_t colorEnd = std::int64_t(header.end) + colorBytes;

    if (colorEnd > size)
        fail("Icon file is truncated");

    MemoryStream stream(std::move(data));
    stream.setPosition(std::int64_t(header.end));
    std::vector<std::uint8_t> alpha;
    Bitmap image = decodeDibPixels(header, stream, size - std::int64_t(header.end), height, &alpha);
    image.setPixelFormat(pf24bit);
    const bool useAlpha = std::any_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a != 0; });

    Bitmap mask(width, height, pf1bit);
    mask.fill(clBlack);
    if (useAlpha) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (alpha[std::size_t(y) * std::size_t(width) + std::size_t(x)] < 128)
                    mask.setPixelIndex(x, y, 1);
    } else {
        if (size - colorEnd < maskStride * height)
            fail("Icon file is truncated");
        const std::uint8_t* rows = stream.memory() + colorEnd;
        for (int r = 0; r < height; ++r) {
            // Bottom-up rows, one bit per pixel, most significant bit first.
            const std::uint8_t* row = rows + maskStride * r;
            const int y = height - 1 - r;
            for (int x = 0; x < width; ++x)
                if (row[x / 8] & (0x80 >> (x % 8)))
                    mask.setPixelIndex(x, y, 1);
        }
    }
    return Icon(image, mask);
}

} // namespace

Icon::Icon(const Bitmap& image, const Bitmap& mask) : image_(image)
{
    image_.setPixelFormat(pf24bit);
    image_.setTransparent(false);
    mask_ = Bitmap(image_.width(), image_.height(), pf1bit);
    mask_.fill(clBlack);
    const bool indexed = mask.pixelFormat() != pf24bit;
    for (int y = 0; y < image_.height(); ++y)
        for (int x = 0; x < image_.width(); ++x) {
            const bool transparent = indexed ? mask.pixelIndex(x, y) != 0 : (mask.pixel(x, y) & 0xFFFFFF) != clBlack;
            if (x < mask.width() && y < mask.height() && transparent)
                mask_.setPixelIndex(x, y, 1);
        }
    chooseKeyColor();
}

void Icon::chooseKeyColor()
{
    // Colours of the opaque pixels, one bit per possible colour.
    std::vector<std::uint64_t> used((std::size_t(1) << 24) / 64, 0);
    for (int y = 0; y < image_.height(); ++y) {
        const std::uint8_t* row = image_.scanLine(y);
        for (int x = 0; x < image_.width(); ++x) {
            if (isTransparentAt(x, y))
                continue;
            const TColor c = rgbColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            used[c / 64] |= std::uint64_t(1) << (c % 64);
        }
    }
    auto isFree = [&](TColor c) { return (used[c / 64] & (std::uint64_t(1) << (c % 64))) == 0; };
    for (TColor c : {clFuchsia, clLime, clAqua, TColor(0xFE00FE), TColor(0x010203)}) {
        if (isFree(c)) {
            key_ = c;
            return;
        }
    }
    // An icon has at most 4096 × 4096 = 2^24 pixels, so a free colour exists unless every
    // pixel is opaque, and then the key is never seen.
    for (TColor c = 0; c < (TColor(1) << 24); ++c) {
        if (isFree(c)) {
            key_ = c;
            return;
        }
    }
    key_ = clFuchsia;
}

Bitmap Icon::toBitmap() const
{
    Bitmap result(image_);
    for (int y = 0; y < result.height(); ++y) {
        std::uint8_t* row = result.scanLine(y);
        for (int x = 0; x < result.width(); ++x)
            if (isTransparentAt(x, y)) {
                row[3 * x] = blueOf(key_);
                row[3 * x + 1] = greenOf(key_);
                row[3 * x + 2] = redOf(key_);
            }
    }
    result.setTransparent(!empty() && isTransparentAt(0, height() - 1));
    return result;
}

void Icon::draw(Canvas& canvas, const Rect& rect) const
{
    if (empty())
        return;
    canvas.stretchDrawTransparent(rect, toBitmap(), key_);
}

void Icon::loadFromStream(Stream& stream)
{
    Icon loaded = readIcon(stream);
    image_ = std::move(loaded.image_);
    mask_ = std::move(loaded.mask_);
    key_ = loaded.key_;
    changed();
}

void Icon::saveToStream(Stream& stream) const
{
    if (empty())
        return;
    const int width = image_.width();
    const int height = image_.height();
    const std::uint32_t colorStride = std::uint32_t(dibStride(width, 24));
    const std::uint32_t maskStride = std::uint32_t(dibStride(width, 1));
    const std::uint32_t imageBytes = 40 + (colorStride + maskStride) * std::uint32_t(height);

    std::vector<std::uint8_t> out;
    out.reserve(kDirHeaderSize + kDirEntrySize + imageBytes);
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, 1); // one image
    out.push_back(std::uint8_t(width >= 256 ? 0 : width));
    out.push_back(std::uint8_t(height >= 256 ? 0 : height));
    out.push_back(0); // colour count: none
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, 24); // bits
    put32(out, imageBytes);
    put32(out, std::uint32_t(kDirHeaderSize + kDirEntrySize));

    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height) * 2);
    put16(out, 1);
    put16(out, 24);
    put32(out, kBiRgb);
    put32(out, imageBytes - 40);
    for (int i = 0; i < 4; ++i)
        put32(out, 0);

    // Colour rows bottom-up, transparent pixels black (as the AND/XOR drawing expects).
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        out.resize(start + colorStride, 0);
        const std::uint8_t* row = image_.scanLine(y);
        for (int x = 0; x < width; ++x)
            if (!isTransparentAt(x, y))
                std::memcpy(&out[start + 3 * std::size_t(x)], row + 3 * x, 3);
    }
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        out.resize(start + maskStride, 0);
        for (int x = 0; x < width; ++x)
            if (isTransparentAt(x, y))
                out[start + std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
    }
    stream.writeBuffer(out.data(), std::int64_t(out.size()));
}

Icon readIcon(Stream& stream)
{
    const std::int64_t total = stream.remaining();
    if (total < std::int64_t(kDirHeaderSize))
        fail("Icon file is truncated");
    // Icons are small; the whole file is read (as much as the stream holds, no more).
    std::vector<std::uint8_t> file(static_cast<std::size_t>(total));
    stream.readBuffer(file.data(), total);

    const std::uint16_t reserved = le16(file.data());
    const std::uint16_t type = le16(file.data() + 2);
    const std::uint16_t count = le16(file.data() + 4);
    if (reserved != 0 || (type != 1 && type != 2))
        fail("Invalid icon file");
    if (count == 0)
        fail("Icon file contains no images");
    if (file.size() < kDirHeaderSize + kDirEntrySize * count)
        fail("Icon file is truncated");

    bool found = false;
    Candidate best;
    for (std::size_t i = 0; i < count; ++i) {
        const Candidate c = describe(file.data() + kDirHeaderSize + kDirEntrySize * i, file);
        if (c.offset > file.size() || c.size > file.size() - c.offset || c.size == 0)
            continue; // an image outside the file
        if (!found || c.area > best.area || (c.area == best.area && c.bits > best.bits)) {
            best = c;
            found = true;
        }
    }
    if (!found)
        fail("Icon file is truncated");

    const std::uint8_t* data = file.data() + best.offset;
    if (isPng(data, best.size))
        return decodePng(data, best.size);
    return decodeDibIcon(std::vector<std::uint8_t>(data, data + best.size));
}
