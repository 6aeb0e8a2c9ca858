#include "gif/gif_animation_render.h"

#include "gif/gif_application_extension.h"
#include "gif/gif_frame_compositor.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_painter.h"
#include "gif/gif_sub_image.h"

TGIFAnimationRender RenderAnimation(TGIFImage& image, TColor background)
{
    TGIFAnimationRender result;
    if (image.GetEmpty() || image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return result;
    const TColor fill = background == clNone ? TGIFFrameCompositor::ChooseBackground(image) : background;
    Bitmap screen(image.GetWidth(), image.GetHeight(), pf24bit);
    screen.fill(fill);
    const Rect rect{0, 0, screen.width(), screen.height()};
    const TGIFPaintOptions options =
        paintOption(poThreaded) | paintOption(poTransparent) | paintOption(poAnimate) | paintOption(poLoop);
    TGIFFrameCompositor compositor(image, screen.canvas(), rect, options);
    int previousDisposal = 1;
    for (int i = 0; i < image.Images().Count(); ++i) {
        TGIFSubImage& frame = image.Images().Items(i);
        if (frame.Empty())
            break;
        int disposal = 1;
        int delay = -1;
        for (int k = 0; k < frame.Extensions().Count(); ++k) {
            TGIFExtension& e = frame.Extensions().Items(k);
            if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(&e); loop && result.loops < 0) {
                result.loops = loop->Loops;
                result.loopStart = i;
            } else if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(&e)) {
                disposal = gce->Disposal();
                delay = gce->Delay();
            }
        }
        compositor.PaintFrame(i, disposal, previousDisposal);
        previousDisposal = disposal;
        TGIFRenderedFrame shown;
        shown.index = i;
        shown.delayUnits = TGIFPainter::DelayUnits(delay, true);
        shown.delayMilliseconds = shown.delayUnits * TGIFPainter::kUnitMilliseconds;
        shown.screen = screen;
        result.frames.push_back(std::move(shown));
    }
    return result;
}
