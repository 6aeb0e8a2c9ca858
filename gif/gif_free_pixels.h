#pragma once
// Free pixels: where the screen already shows a known colour, a pixel of a transparent frame
// looks the same whether it holds the transparent index or the index of that colour.
// PackFreePixels gives every frame, among several such equivalent choices, the one that codes
// into the fewest bytes. What any frame shows never changes.

#include "platform/geometry.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class TGIFImage;
class TGIFSubImage;

// A frame's place and pixels as they were before an optimizing step changed them.
struct TFrameSnapshot {
    Rect bounds;
    std::vector<std::uint8_t> data;
};
using TFrameSnapshots = std::unordered_map<const TGIFSubImage*, TFrameSnapshot>;

// Plays the frames on a screen of colour indexes (disposal included) and, for each transparent
// frame drawn with the global table, keeps the smallest-coding of: its pixels as they are, its
// pixels in earlier (the snapshot, inside its present rectangle, when that shows the same), and
// each of these with its free pixels chosen to extend the encoder's strings. Returns the number
// of frames changed.
int PackFreePixels(TGIFImage& image, const TFrameSnapshots& earlier);
