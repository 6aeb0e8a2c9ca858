#include "color/dib.h"

#include "color/reduction_error.h"
#include "platform/exceptions.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

void putWord(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void putDWord(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

} // namespace

TDIBReader::TDIBReader(Bitmap& bitmap, PixelFormat layout) : TDIB(bitmap, layout)
{
    if (layout != pf1bit && layout != pf4bit && layout != pf8bit && layout != pf24bit)
        throw EColorReductionError("Unsupported PixelFormat");
    if (bitmap.pixelFormat() != layout)
        bitmap.setPixelFormat(layout);
}

TDIBWriter::TDIBWriter(Bitmap& bitmap, PixelFormat layout, int width, int height, const Palette* palette)
    : TDIB(bitmap, layout), height_(height), width_(width)
{
    if (layout != pf8bit && layout != pf24bit)
        throw EColorReductionError("Unsupported PixelFormat");
    if (width <= 0 || height <= 0)
        throw EColorReductionError("Invalid image dimensions");
    if (palette)
        palette_ = *palette;
}

TDIBWriter::~TDIBWriter()
{
    try {
        finish();
    } catch (...) {
        // Nothing can be reported from here; the bitmap keeps its previous picture.
    }
}

void TDIBWriter::buildBlocks()
{
    header_.clear();
    pixels_.clear();
    built_ = false;
    const int bits = layout_ == pf8bit ? 8 : 24;
    // Pictures the bitmap could not hold are refused before anything is allocated.
    if (width_ > Bitmap::kMaxDimension || height_ > Bitmap::kMaxDimension ||
        std::int64_t(width_) * height_ > Bitmap::kMaxPixels)
        throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    stride_ = dibStride(width_, bits);
    try {
        header_.assign(std::size_t(kInfoHeaderSize + (bits == 8 ? kColorTableSize : 0)), 0);
        std::uint8_t* h = header_.data();
        putDWord(h + 0, kInfoHeaderSize);
        putDWord(h + 4, std::uint32_t(width_));
        putDWord(h + 8, std::uint32_t(height_)); // positive: bottom-up rows
        putWord(h + 12, 1);
        putWord(h + 14, std::uint16_t(bits));
        // Compression, image size and both resolutions stay 0.
        if (bits == 8) {
            int count = 0;
            if (palette_ && !palette_->empty()) {
                count = std::min(palette_->count(), 256);
                std::uint8_t* table = h + kInfoHeaderSize;
                for (int i = 0; i < count; ++i) {
                    const PaletteEntry& e = (*palette_)[i];
                    table[4 * i + 0] = e.blue;
                    table[4 * i + 1] = e.green;
                    table[4 * i + 2] = e.red;
                    table[4 * i + 3] = 0;
                }
            }
            putDWord(h + 32, 256);
            putDWord(h + 36, std::uint32_t(count));
        }
        pixels_.resize(std::size_t(stride_) * std::size_t(height_));
    } catch (const std::bad_alloc&) {
        header_.clear();
        pixels_.clear();
        throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    }
    built_ = true;
}

std::uint8_t* TDIBWriter::RowPointer(int row)
{
    if (header_.empty())
        buildBlocks();
    if (!built_ || pixels_.empty())
        throw EColorReductionError("Image has no DIB");
    if (row < 0 || row >= height_)
        throw ERangeError("Scan line index out of range");
    return pixels_.data() + std::size_t(height_ - 1 - row) * std::size_t(stride_);
}

void TDIBWriter::finish()
{
    if (!built_)
        return;
    // The bitmap object is kept (its transparency and events stay); only its picture changes.
    bitmap_.setSize(0, 0);
    bitmap_.setPixelFormat(layout_);
    bitmap_.setSize(width_, height_);
    if (layout_ == pf8bit) {
        Palette table;
        table.resize(256);
        const std::uint8_t* t = header_.data() + kInfoHeaderSize;
        for (int i = 0; i < 256; ++i)
            table[i] = PaletteEntry{t[4 * i + 2], t[4 * i + 1], t[4 * i + 0], 0};
        bitmap_.setPalette(table);
    }
    const std::size_t rowBytes = std::size_t(std::min(stride_, bitmap_.bytesPerLine()));
    for (int y = 0; y < height_; ++y)
        std::memcpy(bitmap_.scanLine(y), pixels_.data() + std::size_t(height_ - 1 - y) * std::size_t(stride_),
                    rowBytes);
    std::vector<std::uint8_t>().swap(pixels_);
    built_ = false;
    // The header stays: it marks the blocks as built once, so RowPointer reports "Image has no
    // DIB" instead of starting a new picture.
}

std::vector<std::uint8_t> TDIBWriter::fileImage() const
{
    if (!built_)
        return {};
    const std::size_t total = kFileHeaderSize + header_.size() + pixels_.size();
    std::vector<std::uint8_t> file(total);
    putWord(file.data(), 0x4D42);
    putDWord(file.data() + 2, std::uint32_t(total));
    putDWord(file.data() + 10, std::uint32_t(kFileHeaderSize + header_.size()));
    std::memcpy(file.data() + kFileHeaderSize, header_.data(), header_.size());
    std::memcpy(file.data() + kFileHeaderSize + header_.size(), pixels_.data(), pixels_.size());
    return file;
}
