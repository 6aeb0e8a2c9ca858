#include "editor/assembly/gif_operations.h"

#include "gif/gif_image.h"
#include "gif/gif_image_list.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_types.h"

namespace {

// A copy of a rendered picture, as a plain bitmap (no transparency marking).
Bitmap copyOf(const Bitmap* picture)
{
    if (picture == nullptr)
        throw GIFException("Image is empty");
    Bitmap copy = *picture;
    copy.setTransparent(false);
    return copy;
}

} // namespace

Bitmap firstImageAtScreenSize(TGIFImage& gif) { return copyOf(gif.GetBitmap()); }

Bitmap frameBitmap(TGIFImage& gif, int index) { return copyOf(gif.Images().Items(index).GetBitmap()); }

Bitmap imageBitmap(TGIFImage& gif)
{
    Bitmap picture;
    gif.AssignTo(picture);
    return picture;
}

void mergeColorMaps(TGIFImage& gif, bool keepFreeEntry) { gif.MergeColorMaps(keepFreeEntry); }

void optimizeAnimation(TGIFImage& gif, bool merge, bool crop, TReductionMethod method, TDitherMethod dither)
{
    TGIFOptimizeSteps steps = 0;
    if (merge)
        steps |= TGIFOptimizeSteps(1u << osMerge);
    if (crop)
        steps |= TGIFOptimizeSteps(1u << osCrop);
    if (steps != 0)
        gif.Optimize(steps, method, dither, 0);
}
