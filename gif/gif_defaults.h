#pragma once
// Library-wide defaults: process-wide values copied into every new TGIFImage by its
// constructor. Other code may change them at run time (for example to add poDirect). The
// reduction defaults (DefaultReductionMethod, DefaultReductionBits, DefaultDitherMethod) are
// the colour reduction's, in color/reduction_types.h.

#include "gif/gif_types.h"
#include "platform/color.h"

struct TGIFDefaults {
    // poThreaded, poTransparent, poAnimate, poLoop, poDither, poAutoDither
    TGIFPaintOptions PaintOptions = 0x060F;
    TGIFEncoding Encoding = enLZW;
    TThreadPriority ThreadPriority = tpNormal;
    int AnimationSpeed = 100;
    TColor BackgroundPaintColor = clNone;
    // Frames are rendered to bitmaps while a file is read.
    bool RenderOnLoad = false;
    // Storing the image as form data first runs Optimize with all steps.
    bool OptimizeOnStore = false;
};

TGIFDefaults& GIFDefaults();

// True when the screen shows 8 bits per pixel or fewer; set once when the library starts.
// Without a display (the command-line tool, the tests) it stays false.
extern bool LowColorDisplay;
