#pragma once
// The GIF library operations the editor's road from frames to file uses, in one place: frames
// rendered to bitmaps, the merging of colour tables and the size optimization.

#include "color/reduction_types.h"
#include "platform/bitmap.h"

class TGIFImage;

// The image's first frame drawn at the logical screen size.
Bitmap firstImageAtScreenSize(TGIFImage& gif);
// Frame index of gif converted to a bitmap on its own (not composed over earlier frames).
Bitmap frameBitmap(TGIFImage& gif, int index);
// The picture of an image (the reduced picture of a bitmap assigned to it).
Bitmap imageBitmap(TGIFImage& gif);
// One global colour table for all frames; with keepFreeEntry at most 255 colours.
void mergeColorMaps(TGIFImage& gif, bool keepFreeEntry = false);
// Removes what repeats between frames (merge) and the unchanged borders (crop).
void optimizeAnimation(TGIFImage& gif, bool merge, bool crop, TReductionMethod method, TDitherMethod dither);
