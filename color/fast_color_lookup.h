#pragma once
// Nearest-colour lookup over any palette, cached per 15-bit colour.
//
// The cache has one cell per key (blue shr 3) shl 10 or (green shr 3) shl 5 or (red shr 3).
// Construction seeds the cell of every palette entry's own colour with the lowest index that
// has it. A colour whose cell is still empty is searched for among all entries by city-block
// distance |dr| + |dg| + |db|, the lowest index winning ties, and the winner is stored in the
// cell; every later colour of the same 8x8x8 cell gets that index without a search, even where
// another entry would be nearer. So at most 32768 searches happen in the lookup's lifetime.

#include "color/color_lookup.h"

#include <array>
#include <cstdint>

class TFastColorLookup final : public TColorLookup {
public:
    // Takes up to the first 256 entries of the palette; ColorCount is the number taken.
    explicit TFastColorLookup(const Palette& palette);

    static constexpr int keyOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        return ((blue & 0xF8) << 7) | ((green & 0xF8) << 2) | (red >> 3);
    }

    std::uint8_t MapColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                          std::uint8_t& outGreen, std::uint8_t& outBlue) override
    {
        const int key = keyOf(red, green, blue);
        int index = cache_[std::size_t(key)];
        if (index < 0)
            index = search(key, red, green, blue);
        const PaletteEntry& e = entries_[std::size_t(index)];
        outRed = e.red;
        outGreen = e.green;
        outBlue = e.blue;
        return std::uint8_t(index);
    }

    // The cached index of a key, or -1 while the cell is empty.
    int cachedIndex(int key) const { return cache_[std::size_t(key & 0x7FFF)]; }
    // Number of full searches made so far.
    int searchCount() const { return searches_; }

private:
    int search(int key, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    std::array<PaletteEntry, 256> entries_{};
    std::array<std::int16_t, 32768> cache_;
    int searches_ = 0;
};
