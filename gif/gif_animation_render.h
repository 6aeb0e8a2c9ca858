#pragma once
// The frames of an animation as the preview's painter shows them, rendered at once without
// waiting: the logical screen after each frame shown, with the wait that follows it.

#include "platform/bitmap.h"
#include "platform/color.h"

#include <vector>

class TGIFImage;

struct TGIFRenderedFrame {
    int index = 0;      // frame number in the image
    int delayUnits = 0; // hundredths of a second the painter waits after it (speed 100)
    int delayMilliseconds = 0;
    Bitmap screen;      // the logical screen, 24 bits
};

struct TGIFAnimationRender {
    std::vector<TGIFRenderedFrame> frames;
    // The loop extension: -1 without one; its Loops otherwise (0 = without end).
    int loops = -1;
    // The frame carrying the loop extension, where every repeat starts.
    int loopStart = 0;
};

// One pass over the frames as a threaded painter with poTransparent plays it onto a canvas of
// the logical screen's size filled with background (clNone: the colour the painter chooses).
// The pass ends at the first frame without pixels.
TGIFAnimationRender RenderAnimation(TGIFImage& image, TColor background = clNone);
