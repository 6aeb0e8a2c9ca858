#pragma once
// TGIFFrameCompositor: puts one frame of an animation onto a canvas rectangle the way the
// animation painter does — disposal of the frame before, transparency, placement and tiling —
// keeping the buffers that restoring to the background or to the previous state needs.

#include "gif/gif_types.h"
#include "platform/bitmap.h"
#include "platform/color.h"
#include "platform/geometry.h"

#include <memory>

class Canvas;
class TGIFImage;
class TGIFSubImage;

class TGIFFrameCompositor {
public:
    // Looks at the disposals the frames use and, when needed, takes the buffers' first content
    // from the canvas (the canvas must stay the same for the compositor's life).
    TGIFFrameCompositor(TGIFImage& image, Canvas& canvas, const Rect& rect, TGIFPaintOptions options);

    // Paints frame number index with its disposal, after a frame of previousDisposal. Returns
    // false when the canvas no longer answers (nothing painted).
    void PaintFrame(int index, int disposal, int previousDisposal);

    // The colour restored areas get without poTransparent.
    TColor BackgroundColor() const { return background_; }
    bool UsesBuffers() const { return backup_ != nullptr; }

    // The colour the painter chooses for an image: BackgroundPaintColor unless none, white
    // (the window colour) without a global table, else the GIF background colour.
    static TColor ChooseBackground(TGIFImage& image);

private:
    void clearFrameArea(TGIFSubImage& frame);
    void drawFrame(TGIFSubImage& frame, Canvas& target, const Rect& r);

    TGIFImage* image_;
    Canvas* canvas_;
    Rect rect_;
    TGIFPaintOptions options_;
    TColor background_ = clWhite;
    std::unique_ptr<Bitmap> backup_;
    std::unique_ptr<Bitmap> frameBuffer_;
    std::unique_ptr<Bitmap> backgroundCopy_;
};
