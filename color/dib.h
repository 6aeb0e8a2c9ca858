#pragma once
// Row access to bitmaps for the colour reduction and the GIF conversion.
//
// TDIBReader switches a bitmap to a pixel layout (converting its pixels in place) and hands out
// its rows, top row first. TDIBWriter builds a device-independent bitmap in memory — a 40-byte
// BITMAPINFOHEADER, for 8 bits a colour table of 256 entries (blue, green, red, 0), and the
// pixel rows bottom-up, each padded to 4 bytes — hands out its rows for writing, and loads the
// finished picture into its bitmap at the end.

#include "platform/bitmap.h"
#include "platform/palette.h"

#include <cstdint>
#include <optional>
#include <vector>

class TDIB {
public:
    TDIB(Bitmap& bitmap, PixelFormat layout) : bitmap_(bitmap), layout_(layout) {}
    virtual ~TDIB() = default;
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    // Address of the first byte of a row (row 0 is the top row).
    virtual std::uint8_t* RowPointer(int row) = 0;

    Bitmap& bitmap() const { return bitmap_; }
    PixelFormat layout() const { return layout_; }

protected:
    Bitmap& bitmap_;
    PixelFormat layout_;
};

class TDIBReader final : public TDIB {
public:
    // Switches the bitmap to the layout (pf1bit, pf4bit, pf8bit or pf24bit; anything else
    // raises "Unsupported PixelFormat").
    TDIBReader(Bitmap& bitmap, PixelFormat layout);

    // The bitmap's own row; ERangeError "Scan line index out of range" outside the bitmap.
    std::uint8_t* RowPointer(int row) override { return bitmap_.scanLine(row); }
};

class TDIBWriter final : public TDIB {
public:
    static constexpr int kInfoHeaderSize = 40;
    static constexpr int kColorTableSize = 256 * 4;
    static constexpr int kFileHeaderSize = 14;

    // Layout pf8bit or pf24bit ("Unsupported PixelFormat" otherwise); width and height of at
    // least 1 ("Invalid image dimensions" otherwise). The palette, when given, becomes the
    // colour table of an 8-bit picture. Nothing is allocated yet.
    TDIBWriter(Bitmap& bitmap, PixelFormat layout, int width, int height, const Palette* palette = nullptr);
    // Loads the picture into the bitmap when there is one that has not been handed over yet.
    // A failure there leaves the bitmap as it was (a destructor cannot report it); call
    // finish() where the failure matters.
    ~TDIBWriter() override;

    // Builds the blocks on first use. The row is stored bottom-up: the pointer is
    // pixel block + (height - 1 - row) x stride. ERangeError "Scan line index out of range"
    // outside 0..height-1; "Image has no DIB" after the picture was handed over.
    std::uint8_t* RowPointer(int row) override;

    // Loads the built picture into the bitmap (an 8- or 24-bit bitmap of the writer's size; for
    // 8 bits its palette is the full 256-entry colour table) and frees the blocks. Nothing
    // happens when no row was ever asked for or the picture was handed over already.
    void finish();

    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    // The header block: info header plus colour table (1064 bytes for 8 bits, 40 for 24).
    const std::vector<std::uint8_t>& headerBlock() const { return header_; }
    const std::vector<std::uint8_t>& pixelBlock() const { return pixels_; }
    int headerSize() const { return int(header_.size()); }
    std::int64_t pixelBlockSize() const { return std::int64_t(pixels_.size()); }
    // The picture as a BMP file in memory: the 14-byte file header ("BM", total size, two zero
    // words, offset of the pixels), the header block and the pixel block. Empty before the
    // blocks are built.
    std::vector<std::uint8_t> fileImage() const;

private:
    void buildBlocks();

    std::optional<Palette> palette_;
    std::vector<std::uint8_t> header_;
    std::vector<std::uint8_t> pixels_;
    int height_;
    int width_;
    int stride_ = 0;
    bool built_ = false;
};
