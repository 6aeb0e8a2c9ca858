#include "color/fast_color_lookup.h"

#include <algorithm>
#include <cstdlib>

TFastColorLookup::TFastColorLookup(const Palette& palette) : TColorLookup(std::min(palette.count(), 256))
{
    for (int i = 0; i < colorCount_; ++i)
        entries_[std::size_t(i)] = palette[i];
    cache_.fill(-1);
    // When several entries share a key, the lowest index owns the cell.
    for (int i = 0; i < colorCount_; ++i) {
        const PaletteEntry& e = entries_[std::size_t(i)];
        std::int16_t& cell = cache_[std::size_t(keyOf(e.red, e.green, e.blue))];
        if (cell < 0)
            cell = std::int16_t(i);
    }
}

int TFastColorLookup::search(int key, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    ++searches_;
    int best = 0;
    int bestDistance = 0x30000;
    for (int i = 0; i < colorCount_; ++i) {
        const PaletteEntry& e = entries_[std::size_t(i)];
        const int d = std::abs(e.red - red) + std::abs(e.green - green) + std::abs(e.blue - blue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    cache_[std::size_t(key)] = std::int16_t(best);
    return best;
}
