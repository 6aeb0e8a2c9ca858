#pragma once
// Decoding of JPEG files through libjpeg.
//
// Baseline and progressive files with one (grey), three (YCbCr or RGB) or four (CMYK or YCCK)
// components decode to 24-bit bitmaps. Four-component files carrying an Adobe marker hold
// inverted CMYK, as Photoshop writes them; others hold plain CMYK. Damaged data that libjpeg can
// step over only produces warnings and decodes; a file that ends early, a file that is not JPEG,
// or dimensions beyond the bitmap limits raise EInvalidGraphic.

#include "platform/bitmap.h"
#include "platform/graphic.h"

#include <cstdint>
#include <memory>
#include <vector>

class Stream;

// Decodes the JPEG file that fills the rest of the stream.
Bitmap readJpeg(Stream& stream);
// Decodes a JPEG file held in memory.
Bitmap decodeJpeg(const std::uint8_t* data, std::size_t size);

// A JPEG picture: the compressed file and its decoded pixels. Saving writes the compressed file
// back unchanged (nothing for an empty image).
class JpegImage : public Graphic {
public:
    JpegImage() = default;

    int width() const override { return bitmap_.width(); }
    int height() const override { return bitmap_.height(); }
    void draw(Canvas& canvas, const Rect& rect) const override;
    // Reads the rest of the stream as a JPEG file; on error the image stays as it was.
    void loadFromStream(Stream& stream) override;
    void saveToStream(Stream& stream) const override;
    std::unique_ptr<Graphic> clone() const override { return std::make_unique<JpegImage>(*this); }

    const Bitmap& bitmap() const { return bitmap_; }
    const std::vector<std::uint8_t>& data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
    Bitmap bitmap_;
};
