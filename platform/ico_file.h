#pragma once
// Icons: the picture of an .ico file and its transparency mask.
//
// Reading picks the largest image of the file (by width × height, then by bit depth) and
// decodes it: a BMP-style colour image of 1, 4, 8, 24 or 32 bits followed by its 1-bit AND
// mask, or a PNG image (as in icons with 256-pixel images). For 32-bit and PNG images with an
// alpha channel, alpha below 128 is transparent and the AND mask is not used; a 32-bit image
// whose alpha is zero everywhere uses its AND mask.
//
// Saving writes an .ico of one 24-bit image with its AND mask (nothing for an empty icon), so
// an icon survives a save and a reload with its colours and transparency.

#include "platform/bitmap.h"
#include "platform/color.h"
#include "platform/graphic.h"

#include <memory>

class Stream;

class Icon : public Graphic {
public:
    // Largest icon width or height read.
    static constexpr int kMaxDimension = 4096;

    Icon() = default;
    // An icon from a colour image (converted to 24 bits) and a mask of the same size whose
    // nonzero pixel indexes (or non-black pixels, for 24 bits) are transparent.
    Icon(const Bitmap& image, const Bitmap& mask);

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    // Draws the opaque pixels stretched into rect; transparent pixels leave the canvas as it was.
    void draw(Canvas& canvas, const Rect& rect) const override;
    // Reads an .ico file from the stream's position; on error the icon stays as it was.
    void loadFromStream(Stream& stream) override;
    void saveToStream(Stream& stream) const override;
    std::unique_ptr<Graphic> clone() const override { return std::make_unique<Icon>(*this); }

    // The colour pixels, 24 bits (transparent pixels hold whatever the file stored there).
    const Bitmap& image() const { return image_; }
    // The transparency mask: 1 bit per pixel, index 1 (white) transparent, index 0 (black) opaque.
    const Bitmap& mask() const { return mask_; }
    bool isTransparentAt(int x, int y) const { return mask_.pixelIndex(x, y) != 0; }
    // A colour that no opaque pixel has; toBitmap() gives it to the transparent pixels.
    TColor keyColor() const { return key_; }

    // The icon as a 24-bit bitmap whose transparent pixels have keyColor(). A bitmap's
    // transparent colour is that of its bottom-left pixel, so the bitmap is marked transparent
    // when the bottom-left pixel of the icon is transparent. When it is opaque, the colour key
    // cannot be expressed by the bitmap alone: it is then not marked transparent (its transparent
    // pixels still have keyColor()), and callers that need the exact shape use mask().
    Bitmap toBitmap() const;

private:
    void chooseKeyColor();

    Bitmap image_;
    Bitmap mask_{0, 0, pf1bit};
    TColor key_ = clFuchsia;
};

// Reads an .ico (or .cur) file from the stream's position. Throws EInvalidGraphic.
Icon readIcon(Stream& stream);
