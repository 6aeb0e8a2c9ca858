#include "platform/bmp_file.h"

#include "platform/exceptions.h"
#include "platform/stream.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kLargestHeaderSize = 124;
// Largest colour table read (bigger clrUsed values are refused as damaged).
constexpr std::uint32_t kMaxColorTableEntries = 1u << 16;

[[noreturn]] void fail(const char* message) { throw EInvalidGraphic(message); }

std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::int32_t le32s(const std::uint8_t* p) { return std::int32_t(le32(p)); }

void put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

bool knownHeaderSize(std::uint32_t size)
{
    return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

PixelFormat indexedFormat(int bits)
{
    switch (bits) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    default:
        return pf8bit;
    }
}

// One colour channel of a bit-field pixel, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const
    {
        if (max == 0)
            return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        return std::uint8_t((std::uint64_t(v) * 255 + max / 2) / max);
    }
};

// Sets pixels of an indexed row while RLE decoding; writes outside the image are dropped.
class RleTarget {
public:
    RleTarget(Bitmap& bitmap, bool topDown, int bits) : bitmap_(bitmap), topDown_(topDown), bits_(bits) {}

    void put(int x, int y, int index)
    {
        if (x < 0 || x >= bitmap_.width() || y < 0 || y >= bitmap_.height())
            return;
        std::uint8_t* row = bitmap_.scanLine(topDown_ ? y : bitmap_.height() - 1 - y);
        if (bits_ == 8) {
            row[x] = std::uint8_t(index);
        } else {
            std::uint8_t& b = row[x / 2];
            if (x % 2 == 0)
                b = std::uint8_t((b & 0x0F) | ((index & 0x0F) << 4));
            else
                b = std::uint8_t((b & 0xF0) | (index & 0x0F));
        }
    }

private:
    Bitmap& bitmap_;
    bool topDown_;
    int bits_;
};

// Run-length decoding of RLE8 (bits = 8) and RLE4 (bits = 4) data. y counts file rows (the
// first row stored first). Decoding ends at the end-of-bitmap escape or when the rows are used
// up; data that ends before the last row is filled, or escapes that need more bytes than there
// are, raise an error.
void decodeRle(const std::vector<std::uint8_t>& data, int bits, Bitmap& bitmap, bool topDown)
{
    RleTarget target(bitmap, topDown, bits);
    const std::size_t n = data.size();
    const int width = bitmap.width();
    const int height = bitmap.height();
    std::size_t i = 0;
    int x = 0;
    int y = 0;
    while (i + 1 < n && y < height) {
        const int count = data[i];
        const int value = data[i + 1];
        i += 2;
        if (count > 0) {
            // Encoded run: count pixels of one index (RLE4: the two nibbles alternate).
            const int todo = std::min(count, std::max(0, width - x));
            for (int k = 0; k < todo; ++k) {
                const int index = bits == 8 ? value : (k % 2 == 0 ? value >> 4 : value & 0x0F);
                target.put(x + k, y, index);
            }
            x = std::min(x + count, width); // pixels past the row end are dropped
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return;
        case 2: // delta: move right and down
            if (i + 2 > n)
                fail("Invalid RLE data");
            x = std::min(x + data[i], width);
            y += data[i + 1];
            i += 2;
            break;
        default: { // absolute run of value pixels, padded to a 16-bit boundary
            const int pixels = value;
            const std::size_t bytes = bits == 8 ? std::size_t(pixels) : std::size_t(pixels + 1) / 2;
            const std::size_t padded = (bytes + 1) & ~std::size_t(1);
            if (i + bytes > n)
                fail("Invalid RLE data");
            for (int k = 0; k < pixels; ++k) {
                int index;
                if (bits == 8) {
                    index = data[i + std::size_t(k)];
                } else {
                    const std::uint8_t b = data[i + std::size_t(k / 2)];
                    index = k % 2 == 0 ? b >> 4 : b & 0x0F;
                }
                target.put(x + k, y, index);
            }
            x = std::min(x + pixels, width);
            i = std::min(n, i + padded);
            break;
        }
        }
    }
    // Some writers leave out the final end-of-line and end-of-bitmap escapes.
    const bool complete = y >= height || (y == height - 1 && x >= width);
    if (!complete)
        fail("Bitmap file is truncated");
}

} // namespace

DibHeader parseDibHeader(const std::uint8_t* data, std::size_t size, std::size_t tableLimit, bool iconImage)
{
    if (size < 4)
        fail("Bitmap file is truncated");
    const std::uint32_t headerSize = le32(data);
    if (!knownHeaderSize(headerSize))
        fail("Invalid bitmap header");
    if (size < headerSize)
        fail("Bitmap file is truncated");

    DibHeader h;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t colorsUsed = 0;
    std::size_t entrySize = 4;
    if (headerSize == kCoreHeaderSize) {
        width = le16(data + 4);
        height = le16(data + 6);
        h.bitCount = le16(data + 10);
        entrySize = 3;
    } else {
        width = le32s(data + 4);
        height = le32s(data + 8);
        h.bitCount = le16(data + 14);
        h.compression = le32(data + 16);
        h.sizeImage = le32(data + 20);
        colorsUsed = le32(data + 32);
    }

    if (width <= 0 || height == 0)
        fail("Invalid bitmap dimensions");
    if (height < 0) {
        if (iconImage)
            fail("Invalid bitmap header");
        h.topDown = true;
        height = -height;
    }
    if (iconImage)
        height /= 2;
    if (height == 0)
        fail("Invalid bitmap dimensions");
    if (width > Bitmap::kMaxDimension || height > Bitmap::kMaxDimension || width * height > Bitmap::kMaxPixels)
        fail("Bitmap is too large");
    h.width = int(width);
    h.height = int(height);

    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    case 0:
        fail("Unsupported bitmap compression");
    default:
        fail("Unsupported bitmap bit depth");
    }

    // OS/2 2.x headers (64 bytes) use codes 3 and 4 for Huffman and RLE24 coding.
    const bool os2 = headerSize == 64;
    switch (h.compression) {
    case kBiRgb:
        break;
    case kBiRle8:
        if (h.bitCount != 8)
            fail("Invalid bitmap header");
        break;
    case kBiRle4:
        if (h.bitCount != 4)
            fail("Invalid bitmap header");
        break;
    case kBiBitfields:
    case kBiAlphaBitfields:
        if (os2)
            fail("Unsupported bitmap compression");
        if (h.bitCount != 16 && h.bitCount != 32)
            fail("Invalid bitmap header");
        break;
    default:
        fail("Unsupported bitmap compression");
    }
    if (iconImage && h.compression != kBiRgb)
        fail("Unsupported bitmap compression");

    std::size_t pos = headerSize;
    if (h.bitCount == 16) {
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
    } else if (h.bitCount == 32) {
        h.masks[0] = 0x00FF0000;
        h.masks[1] = 0x0000FF00;
        h.masks[2] = 0x000000FF;
        h.masks[3] = 0xFF000000;
    }
    if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
        const int maskCount = h.compression == kBiAlphaBitfields ? 4 : 3;
        if (headerSize >= 52) {
            // Masks are part of the header.
            for (int m = 0; m < 3; ++m)
                h.masks[m] = le32(data + 40 + 4 * m);
            h.masks[3] = headerSize >= 56 ? le32(data + 52) : 0;
        } else {
            if (size < pos + std::size_t(maskCount) * 4)
                fail("Bitmap file is truncated");
            for (int m = 0; m < maskCount; ++m)
                h.masks[m] = le32(data + pos + 4 * std::size_t(m));
            h.masks[3] = maskCount == 4 ? h.masks[3] : 0;
            pos += std::size_t(maskCount) * 4;
        }
    }

    if (colorsUsed > kMaxColorTableEntries)
        fail("Invalid bitmap header");
    std::uint32_t entries = colorsUsed;
    if (entries == 0 && h.bitCount <= 8)
        entries = 1u << h.bitCount;
    const std::size_t tableBytes = std::size_t(entries) * entrySize;
    const std::size_t tableEnd = pos + tableBytes;
    // Only the entries that the pixels can use are kept; a table cut short by early pixel data
    // is taken as far as it goes.
    std::size_t usable = h.bitCount <= 8 ? std::min<std::size_t>(entries, std::size_t(1) << h.bitCount) : 0;
    if (pos + usable * entrySize > tableLimit)
        usable = tableLimit > pos ? (tableLimit - pos) / entrySize : 0;
    if (pos + usable * entrySize > size)
        fail("Bitmap file is truncated");
    for (std::size_t e = 0; e < usable; ++e) {
        const std::uint8_t* p = data + pos + e * entrySize;
        h.colors.append(PaletteEntry{p[2], p[1], p[0], 0});
    }
    h.end = std::max(pos, std::min(tableEnd, tableLimit));
    return h;
}

Bitmap decodeDibPixels(const DibHeader& header, Stream& stream, std::int64_t available, int rows,
                       std::vector<std::uint8_t>* alpha)
{
    const int width = header.width;
    const int height = rows > 0 ? rows : header.height;
    const int bits = header.bitCount;
    if (alpha)
        alpha->clear();

    if (header.compression == kBiRle8 || header.compression == kBiRle4) {
        // The compressed block runs to its end-of-bitmap escape; the size in the header is not
        // trusted (writers get it wrong), the end of the file bounds it.
        const std::int64_t count = available;
        std::vector<std::uint8_t> data(std::size_t(std::max<std::int64_t>(count, 0)));
        stream.readBuffer(data.data(), std::int64_t(data.size()));
        Bitmap bitmap(width, height, indexedFormat(bits));
        bitmap.setPalette(header.colors);
        for (int y = 0; y < height; ++y)
            std::memset(bitmap.scanLine(y), 0, std::size_t(bitmap.bytesPerLine()));
        decodeRle(data, bits, bitmap, header.topDown);
        return bitmap;
    }

    const std::int64_t stride = dibStride(width, bits);
    if (stride * height > available)
        fail("Bitmap file is truncated");
    std::vector<std::uint8_t> row(static_cast<std::size_t>(stride));

    if (bits <= 8) {
        Bitmap bitmap(width, height, indexedFormat(bits));
        bitmap.setPalette(header.colors);
        const std::size_t copy = std::min<std::size_t>(std::size_t(stride), std::size_t(bitmap.bytesPerLine()));
        for (int r = 0; r < height; ++r) {
            stream.readBuffer(row.data(), stride);
            std::memcpy(bitmap.scanLine(header.topDown ? r : height - 1 - r), row.data(), copy);
        }
        return bitmap;
    }

    Bitmap bitmap(width, height, pf24bit);
    const Channel red(header.masks[0]);
    const Channel green(header.masks[1]);
    const Channel blue(header.masks[2]);
    const Channel alphaChannel(header.masks[3]);
    const bool withAlpha = alpha != nullptr && header.masks[3] != 0;
    if (withAlpha)
        alpha->assign(std::size_t(width) * std::size_t(height), 0);
    for (int r = 0; r < height; ++r) {
        stream.readBuffer(row.data(), stride);
        const int y = header.topDown ? r : height - 1 - r;
        std::uint8_t* out = bitmap.scanLine(y);
        std::uint8_t* alphaRow = withAlpha ? alpha->data() + std::size_t(y) * std::size_t(width) : nullptr;
        const std::uint8_t* in = row.data();
        if (bits == 24) {
            std::memcpy(out, in, std::size_t(width) * 3);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = bits == 16 ? le16(in + 2 * x) : le32(in + 4 * x);
            out[3 * x] = blue(pixel);
            out[3 * x + 1] = green(pixel);
            out[3 * x + 2] = red(pixel);
            if (alphaRow)
                alphaRow[x] = alphaChannel(pixel);
        }
    }
    return bitmap;
}

Bitmap readBmp(Stream& stream)
{
    const std::int64_t base = stream.position();
    const std::int64_t total = stream.size() - base;
    if (total < std::int64_t(kFileHeaderSize + 4))
        fail("Bitmap file is truncated");

    // File header, then as much of the info header, masks and colour table as there can be.
    std::uint8_t fileHeader[kFileHeaderSize];
    stream.readBuffer(fileHeader, kFileHeaderSize);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        fail("Invalid bitmap header");
    const std::uint32_t offBits = le32(fileHeader + 10);

    const std::int64_t headBytes =
        std::min<std::int64_t>(total - std::int64_t(kFileHeaderSize),
                               std::int64_t(kLargestHeaderSize + 16 + kMaxColorTableEntries * 4));
    std::vector<std::uint8_t> head(std::size_t(std::max<std::int64_t>(headBytes, 0)));
    stream.readBuffer(head.data(), std::int64_t(head.size()));
    const std::uint32_t headerSize = le32(head.data());
    if (!knownHeaderSize(headerSize))
        fail("Invalid bitmap header");
    if (head.size() < headerSize)
        fail("Bitmap file is truncated");

    // The colour table may not pass the start of the pixel data.
    std::size_t tableLimit = std::numeric_limits<std::size_t>::max();
    if (offBits != 0) {
        if (offBits < kFileHeaderSize + headerSize || std::int64_t(offBits) > total)
            fail("Invalid bitmap data offset");
        tableLimit = offBits - kFileHeaderSize;
    }
    const DibHeader header = parseDibHeader(head.data(), head.size(), tableLimit);

    const std::int64_t pixelOffset = offBits != 0 ? std::int64_t(offBits) : std::int64_t(kFileHeaderSize + header.end);
    if (pixelOffset > total)
        fail("Bitmap file is truncated");
    stream.setPosition(base + pixelOffset);
    return decodeDibPixels(header, stream, total - pixelOffset);
}

void writeBmp(const Bitmap& bitmap, Stream& stream)
{
    if (bitmap.empty())
        return;
    const int width = bitmap.width();
    const int height = bitmap.height();
    const int bits = bitmap.bitsPerPixel();
    const std::uint32_t entries = bits <= 8 ? 1u << bits : 0;
    const std::uint32_t stride = std::uint32_t(dibStride(width, bits));
    const std::uint32_t imageSize = stride * std::uint32_t(height);
    const std::uint32_t offBits = std::uint32_t(kFileHeaderSize + kInfoHeaderSize + entries * 4);

    std::vector<std::uint8_t> head(offBits, 0);
    head[0] = 'B';
    head[1] = 'M';
    put32(&head[2], offBits + imageSize);
    put32(&head[10], offBits);
    std::uint8_t* info = &head[kFileHeaderSize];
    put32(info, kInfoHeaderSize);
    put32(info + 4, std::uint32_t(width));
    put32(info + 8, std::uint32_t(height));
    put16(info + 12, 1);
    put16(info + 14, std::uint32_t(bits));
    put32(info + 16, kBiRgb);
    put32(info + 20, imageSize);
    const Palette& palette = bitmap.palette();
    for (std::uint32_t e = 0; e < entries; ++e) {
        std::uint8_t* p = info + kInfoHeaderSize + 4 * e;
        if (int(e) < palette.count()) {
            p[0] = palette[int(e)].blue;
            p[1] = palette[int(e)].green;
            p[2] = palette[int(e)].red;
        }
    }
    stream.writeBuffer(head.data(), std::int64_t(head.size()));

    // Rows bottom-up; padding bytes and unused bits of the last byte are written as zero.
    const std::size_t used = (std::size_t(width) * std::size_t(bits) + 7) / 8;
    const int spareBits = int(used * 8 - std::size_t(width) * std::size_t(bits));
    std::vector<std::uint8_t> row(stride, 0);
    for (int y = height - 1; y >= 0; --y) {
        std::memcpy(row.data(), bitmap.scanLine(y), used);
        if (spareBits > 0)
            row[used - 1] &= std::uint8_t(0xFF << spareBits);
        stream.writeBuffer(row.data(), stride);
    }
}

void Bitmap::loadFromStream(Stream& stream)
{
    // Nothing left to read is an empty bitmap, as an empty bitmap saves as nothing.
    Bitmap loaded = stream.remaining() <= 0 ? Bitmap() : readBmp(stream);
    const bool keepTransparent = transparent();
    ProgressEvent progressHandler = onProgress;
    ChangeEvent changeHandler = onChange;
    *this = std::move(loaded);
    onProgress = std::move(progressHandler);
    onChange = std::move(changeHandler);
    transparent_ = keepTransparent;
    changed();
}

void Bitmap::saveToStream(Stream& stream) const { writeBmp(*this, stream); }
