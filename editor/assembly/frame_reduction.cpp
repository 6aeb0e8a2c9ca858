#include "editor/assembly/frame_reduction.h"

#include "editor/assembly/gif_operations.h"
#include "gif/gif_image.h"

void reduceFrameBitmap(Bitmap& bitmap, const Graphic::ProgressEvent& progress)
{
    TGIFImage gif; // takes the reduction defaults
    gif.onProgress = progress;
    gif.Add(bitmap);
    Bitmap reduced = imageBitmap(gif);
    reduced.setTransparent(bitmap.transparent());
    bitmap = std::move(reduced);
}

void reduceFrameBitmap(Bitmap& bitmap, TReductionMethod method, int bits, TDitherMethod dither,
                       const Graphic::ProgressEvent& progress)
{
    DefaultReductionMethod = method;
    DefaultReductionBits = bits;
    DefaultDitherMethod = dither;
    reduceFrameBitmap(bitmap, progress);
}
