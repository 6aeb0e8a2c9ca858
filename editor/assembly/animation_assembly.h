#pragma once
// Assembling frames into one animated GIF: each frame is copied, reduced to at most 256
// colours and added with its delay and transparency; the first frame carries the looping
// extension; the colour tables are merged and, when asked, repeated pixels between frames are
// optimized away.

#include "color/reduction_types.h"
#include "platform/bitmap.h"

#include <cstdint>
#include <functional>
#include <vector>

class TGIFImage;
class TGIFSubImage;

struct AssemblyFrame {
    const Bitmap* bitmap = nullptr;
    bool transparent = false;
    int delay = 10; // hundredths of a second; stored in 16 bits
};

struct AssemblyOptions {
    int loopCount = 0; // 0: forever; the low 16 bits are written
    bool merge = false;
    bool crop = false;
    // Reduces the work copy of a frame in place (the colour reduction window's ReduceFrame or
    // the command line's choice). Required.
    std::function<void(Bitmap& work)> reduce;
    // The palette and dither method reduce last applied, for the optimizer.
    std::function<TReductionMethod()> chosenPaletteMethod;
    std::function<TDitherMethod()> chosenDitherMethod;
    // Called with each reduced frame before it is added (the editor shows it).
    std::function<void(const Bitmap& reduced)> frameReduced;
};

// Builds the animation into gif (which should be empty). work is the one scratch bitmap that
// holds each frame's copy in turn; it ends holding the last frame as reduced. Errors pass on and
// leave in gif what was built so far.
void assembleAnimation(TGIFImage& gif, const std::vector<AssemblyFrame>& frames, const AssemblyOptions& options,
                       Bitmap& work);

// Adds bitmap as a new frame with a graphic control extension (delay; transparency through the
// frame's bottom-left pixel); the first frame also gets the looping extension. Returns its index.
int AddToAnimation(TGIFImage& gif, const Bitmap& bitmap, bool transparent, int delay, int loopCount);

// Colour index of the pixel at column 0 of the frame's last row.
int BottomLeftIndex(TGIFSubImage& frame);

// Byte size of the image written as a GIF stream (0 for an image without frames).
std::int64_t gifStreamSize(const TGIFImage& gif);
