#pragma once
// Reducing one frame to at most 256 colours the way every frame of an animation is reduced: the
// bitmap becomes a single GIF frame under the process-wide reduction defaults and takes the
// frame's picture back.

#include "color/reduction_types.h"
#include "platform/bitmap.h"
#include "platform/graphic.h"

// Reduces bitmap in place with DefaultReductionMethod, DefaultReductionBits and
// DefaultDitherMethod. progress, when set, receives the GIF image's progress. The bitmap keeps
// its transparency flag. On an error the bitmap is left as it was.
void reduceFrameBitmap(Bitmap& bitmap, const Graphic::ProgressEvent& progress = {});

// Sets the process-wide defaults to these choices, then reduces as above.
void reduceFrameBitmap(Bitmap& bitmap, TReductionMethod method, int bits, TDitherMethod dither,
                       const Graphic::ProgressEvent& progress = {});
