#pragma once
// Animations the benchmark makes itself: a disc moving over a photo background, and noise.

#include "platform/bitmap.h"

#include <cstdint>
#include <vector>

// Frames as 24-bit bitmaps: background (any size, used as it is) with a multicoloured disc
// of a quarter of the frame height that moves along a closed path over count frames.
std::vector<Bitmap> movingDiscFrames(const Bitmap& background, int count);

// Full-size frames of palette indexes sharing one 256-colour global table.
struct IndexedAnimation {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> palette; // 256 x red, green, blue
    std::vector<std::vector<std::uint8_t>> frames; // width x height indexes each, top row first

    std::int64_t pixelBytes() const { return std::int64_t(width) * height * std::int64_t(frames.size()); }
};

// The moving disc as indexes: the background reduced once to an octree palette of 256 colours,
// the disc drawn in rings of palette colours.
IndexedAnimation indexedMovingDisc(const Bitmap& background, int count);

// count frames of uniformly random indexes under a random table (fixed seed).
IndexedAnimation noiseAnimation(int width, int height, int count);
