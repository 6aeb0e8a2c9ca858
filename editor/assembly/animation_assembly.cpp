#include "editor/assembly/animation_assembly.h"

#include "editor/assembly/gif_operations.h"
#include "gif/gif_application_extension.h"
#include "gif/gif_extension_list.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_image_list.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_types.h"
#include "platform/stream.h"

#include <memory>

void assembleAnimation(TGIFImage& gif, const std::vector<AssemblyFrame>& frames, const AssemblyOptions& options,
                       Bitmap& work)
{
    if (!options.reduce)
        throw GIFException("No colour reduction given for the animation");
    TReductionMethod method = DefaultReductionMethod;
    TDitherMethod dither = DefaultDitherMethod;
    for (const AssemblyFrame& frame : frames) {
        if (frame.bitmap == nullptr)
            continue;
        work = *frame.bitmap; // an exact copy, transparency marking included
        options.reduce(work);
        if (options.frameReduced)
            options.frameReduced(work);
        AddToAnimation(gif, work, frame.transparent, frame.delay, options.loopCount);
    }
    if (options.chosenPaletteMethod)
        method = options.chosenPaletteMethod();
    if (options.chosenDitherMethod)
        dither = options.chosenDitherMethod();
    if (gif.GetEmpty())
        return;
    // Merging makes repeated pixels transparent, which needs a free entry in the one table.
    mergeColorMaps(gif, options.merge);
    if (options.merge || options.crop)
        optimizeAnimation(gif, options.merge, options.crop, method, dither);
}

int AddToAnimation(TGIFImage& gif, const Bitmap& bitmap, bool transparent, int delay, int loopCount)
{
    const int k = gif.Add(bitmap);
    TGIFSubImage& frame = gif.Images().Items(k);
    if (k == 0) {
        auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
        loop->Loops = std::uint16_t(unsigned(loopCount) & 0xFFFFu);
        frame.Extensions().Add(std::move(loop));
    }
    auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
    control->SetDelay(std::uint16_t(unsigned(delay) & 0xFFFFu));
    if (transparent) {
        control->SetTransparent(true);
        control->SetTransparentColorIndex(BottomLeftIndex(frame));
    }
    frame.Extensions().Add(std::move(control));
    return k;
}

int BottomLeftIndex(TGIFSubImage& frame) { return frame.Pixels(0, frame.Height() - 1); }

std::int64_t gifStreamSize(const TGIFImage& gif)
{
    if (gif.GetEmpty())
        return 0;
    MemoryStream stream;
    gif.SaveToStream(stream);
    return stream.size();
}
