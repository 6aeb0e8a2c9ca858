#pragma once
// Limits that keep hostile or corrupt files from exhausting memory.
//
// A GIF frame may declare up to 65535 x 65535 pixels (4 GiB of indexes) in ten bytes, and LZW
// data can expand a few bytes into millions of pixels, so the size of the input says nothing
// about the memory a frame needs. Pixel buffers beyond these limits are refused with a
// GIFException before anything is allocated.

#include <cstdint>

struct TGIFLimits {
    // Largest pixel count of one frame: 64 Mi pixels (for example 8192 x 8192).
    std::int64_t MaxFramePixels = std::int64_t(1) << 26;
    // Largest pixel count of all frames of one image read from a stream: 256 Mi pixels.
    std::int64_t MaxImagePixels = std::int64_t(1) << 28;
};

// Process-wide; a program may lower the limits (the fuzz target does, to stay fast).
TGIFLimits& GIFLimits();

namespace giflimits {

// Largest LZW minimum code size: the decoder's tables hold 4096 codes, and a minimum code
// size of 12 would leave no room for the clear and end codes.
inline constexpr int MaxMinimumCodeSize = 11;

} // namespace giflimits
