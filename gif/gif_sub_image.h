#pragma once
// TGIFSubImage: one frame of a GIF file (image descriptor, local colour table, pixel indexes
// and the extensions in front of it).

#include "gif/gif_color_map.h"
#include "gif/gif_extension_list.h"
#include "gif/gif_item.h"
#include "platform/geometry.h"

#include <cstdint>
#include <memory>
#include <vector>

class Bitmap;
class Canvas;
class Graphic;
class Palette;
class TGIFGraphicControlExtension;

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    // Copies another frame: descriptor, Transparent, pixels, local table and extensions.
    void Assign(const TGIFSubImage& source);

    // fv89a with a sorted local table, else the highest version of the extensions.
    TGIFFormatVersion RequiredVersion() const override;
    void SaveToStream(Stream& stream) const override;
    void LoadFromStream(Stream& stream) override;

    void Clear();
    // No pixels, or a zero width, height or pixel count.
    bool Empty() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    // Stores the four values (each 0..65535); a new size reallocates the pixels (all 0). A frame
    // that reaches beyond the logical screen enlarges it, with warnings.
    void SetBounds(int left, int top, int width, int height);
    Rect BoundsRect() const { return boundsRect(left_, top_, width_, height_); }

    bool Interlaced() const { return (packedFields_ & 0x40) != 0; }
    void SetInterlaced(bool value);
    std::uint8_t Separator() const { return separator_; }
    std::uint8_t PackedFields() const { return packedFields_; }
    // Recomputes the packed byte from the local table (done before every write).
    void UpdatePackedFields() const;

    // Width x Height bytes filled with 0. Throws GIFException beyond the frame size limit.
    void AllocateData();
    void FreeData();
    // Allocates when needed; throws "Image is empty" for a frame without pixels.
    void EnsureData();
    // Pixel indexes, Width x Height bytes, top row first, no padding. Whoever replaces the
    // buffer keeps that size; writing a frame whose buffer has another size fails.
    std::vector<std::uint8_t>& Data() { return data_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    std::int64_t DataSize() const { return std::int64_t(data_.size()); }
    // Row y / pixel (x, y); "Invalid pixel coordinates" outside the frame.
    std::uint8_t* Scanline(int y);
    std::uint8_t& Pixels(int x, int y);

    // The global table when the local one is empty and the global one is not, else the local.
    TGIFColorMap& ActiveColorMap();
    TGIFLocalColorMap& ColorMap() { return colorMap_; }
    const TGIFLocalColorMap& ColorMap() const { return colorMap_; }
    int BitsPerPixel() const { return colorMap_.BitsPerPixel(); }
    int ColorResolution() const { return colorMap_.BitsPerPixel() - 1; }

    TGIFExtensionList& Extensions() { return extensions_; }
    const TGIFExtensionList& Extensions() const { return extensions_; }

    // True exactly when the frame's graphic control extension has its transparency flag set.
    bool Transparent = false;
    // The first graphic control extension created or read for this frame (owned by Extensions).
    TGIFGraphicControlExtension* GraphicControl = nullptr;

    // The rendered picture, transparency mask and palette of the frame are cached here once
    // frames are rendered to bitmaps; this library does not render yet, so they stay empty and
    // dropping them is all FreeBitmap, FreeMask and ResetPalette do for now.
    bool MaskNeeded = true;
    void FreeBitmap();
    void FreeMask();
    // Drops the cached palette (the local table changed).
    void ResetPalette();
    bool HasBitmap() const { return bitmap_ != nullptr; }

    // Conversion from and to bitmaps (gif_bitmap_conversion.cpp) -------------------------------
    // A 1-, 4- or 8-bit bitmap becomes a frame with exactly its colours; any other format goes
    // through ReduceToPalette with the image's settings first. A bitmap marked transparent gets
    // its bottom-left colour as the frame's transparent colour (when the table has room).
    void Assign(const ::Bitmap& source);
    // Bitmaps, icons (their mask becomes transparency), GIF images (their first frame) and any
    // other graphic drawn into a 24-bit bitmap.
    void AssignGraphic(const Graphic& source);
    // The rendered frame; renders when needed; null for an Empty frame or an aborted render.
    ::Bitmap* GetBitmap();
    // FreeBitmap, then Assign from the bitmap unless it is null.
    void SetBitmap(const ::Bitmap* source);
    void AssignTo(::Bitmap& destination);
    // Monochrome mask of the frame (index 1 = transparent); null when no pixel is transparent.
    const ::Bitmap* Mask() const { return mask_.get(); }
    // Renders again when the mask is still to be made; true when a mask exists.
    bool HasMask();
    // The bitmap's palette, the cached one, the web palette while dithering, the image's palette
    // for a frame without a local table, or the local table's.
    const ::Palette* GetPalette();
    void SetPalette(std::unique_ptr<::Palette> palette);
    // Sorts the table by use, adds black and makes every pixel whose mask pixel is not 0
    // transparent (mask of the frame's size, any format).
    void ApplyMask(const ::Bitmap& mask);
    // Where the frame lands when the logical screen is drawn into rect.
    Rect ScaleRect(const Rect& rect) const;
    // Draws the frame into rect (placed by ScaleRect unless tiled); with transparent, the
    // masked pixels keep the destination.
    void Draw(Canvas& canvas, const Rect& rect, bool tile, bool transparent);

    // Optimizer (gif_optimizer.cpp) ------------------------------------------------------------
    // Makes pixels that repeat the frame below transparent.
    void MergeWith(TGIFSubImage* below);
    // Cuts transparent borders off a transparent frame (clears a frame with nothing visible).
    void Crop();
    // before: this frame's pixels in beforeBounds, before MergeWith and Crop. Takes them back
    // (inside the present rectangle, which lies within beforeBounds) when they code shorter
    // than the merged pixels.
    void keepShorterCoding(const std::vector<std::uint8_t>& before, const Rect& beforeBounds);

private:
    friend class TGIFImage;
    void readPixels(Stream& stream);
    void render();
    void renderPlain(const ::Palette& palette);
    void renderDithered(const ::Palette& palette);
    void importBitmap(const ::Bitmap& source);

    TGIFLocalColorMap colorMap_;
    std::vector<std::uint8_t> data_;
    std::uint8_t separator_ = 0x2C;
    std::uint16_t left_ = 0;
    std::uint16_t top_ = 0;
    std::uint16_t width_ = 0;
    std::uint16_t height_ = 0;
    mutable std::uint8_t packedFields_ = 0;
    TGIFExtensionList extensions_;
    std::unique_ptr<::Bitmap> bitmap_;
    std::unique_ptr<::Bitmap> mask_;
    std::unique_ptr<::Palette> palette_;
};
