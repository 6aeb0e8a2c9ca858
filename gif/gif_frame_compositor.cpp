#include "gif/gif_frame_compositor.h"

#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "platform/canvas.h"

namespace {

bool has(TGIFPaintOptions options, TGIFPaintOption o) { return (options & paintOption(o)) != 0; }

std::unique_ptr<Bitmap> copyOf(Canvas& canvas, const Rect& rect)
{
    auto b = std::make_unique<Bitmap>(rect.right - rect.left, rect.bottom - rect.top, pf24bit);
    b->canvas().copyRect(Rect{0, 0, b->width(), b->height()}, canvas.target(), rect);
    return b;
}

} // namespace

TColor TGIFFrameCompositor::ChooseBackground(TGIFImage& image)
{
    if (image.BackgroundPaintColor != clNone)
        return image.BackgroundPaintColor;
    if (image.GlobalColorMap().Count() == 0)
        return clWhite;
    return image.BackgroundColor();
}

TGIFFrameCompositor::TGIFFrameCompositor(TGIFImage& image, Canvas& canvas, const Rect& rect, TGIFPaintOptions options)
    : image_(&image), canvas_(&canvas), rect_(rect), options_(options)
{
    bool used[8] = {};
    for (int i = 0; i < image.Images().Count(); ++i)
        if (const TGIFGraphicControlExtension* gce = image.Images().Items(i).GraphicControl)
            used[gce->Disposal()] = true;
    if (has(options, poClearOnLoop))
        used[2] = true;
    background_ = ChooseBackground(image);
    if (used[2] && has(options, poTransparent))
        backgroundCopy_ = copyOf(canvas, rect);
    if (used[2] || used[3]) {
        backup_ = copyOf(canvas, rect);
        frameBuffer_ = std::make_unique<Bitmap>(backup_->width(), backup_->height(), pf24bit);
        frameBuffer_->fill(background_);
    }
}

void TGIFFrameCompositor::drawFrame(TGIFSubImage& frame, Canvas& target, const Rect& r)
{
    frame.Draw(target, r, has(options_, poTile), has(options_, poTransparent));
}

void TGIFFrameCompositor::clearFrameArea(TGIFSubImage& frame)
{
    const Rect whole{0, 0, backup_->width(), backup_->height()};
    const int screenWidth = image_->GetWidth();
    const int screenHeight = image_->GetHeight();
    Canvas& canvas = backup_->canvas();
    auto restore = [&](const Rect& r) {
        if (backgroundCopy_) {
            canvas.copyRect(r, *backgroundCopy_, r);
        } else {
            canvas.brush.color = background_;
            canvas.brush.style = BrushStyle::Solid;
            canvas.fillRect(r);
        }
    };
    const bool tiled = has(options_, poTile) &&
                       (backgroundCopy_ || (frame.Width() != screenWidth && frame.Height() != screenHeight));
    if (tiled && screenWidth > 0 && screenHeight > 0) {
        for (int y = whole.top + frame.Top(); y < whole.bottom; y += screenHeight)
            for (int x = whole.left + frame.Left(); x < whole.right; x += screenWidth)
                restore(Rect{x, y, x + frame.Width(), y + frame.Height()});
    } else {
        restore(frame.ScaleRect(whole));
    }
}

void TGIFFrameCompositor::PaintFrame(int index, int disposal, int previousDisposal)
{
    TGIFSubImage& frame = image_->Images().Items(index);
    if (!backup_) {
        drawFrame(frame, *canvas_, rect_);
        return;
    }
    const Rect whole{0, 0, backup_->width(), backup_->height()};
    if (has(options_, poClearOnLoop) && index == 0)
        clearFrameArea(frame);
    switch (disposal) {
    case 0:
    case 1:
    case 2:
        drawFrame(frame, backup_->canvas(), whole);
        canvas_->copyRect(rect_, *backup_, whole);
        if (disposal == 2)
            clearFrameArea(frame);
        break;
    case 3:
        if (previousDisposal == 0 || previousDisposal == 1) {
            drawFrame(frame, *canvas_, rect_);
        } else {
            frameBuffer_->canvas().copyRect(whole, *backup_, whole);
            drawFrame(frame, frameBuffer_->canvas(), whole);
            canvas_->copyRect(rect_, *frameBuffer_, whole);
        }
        break;
    default:
        break; // undefined disposals draw nothing
    }
}
