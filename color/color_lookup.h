#pragma once
// Colour lookups: which palette index stands for a colour, and what colour that index is.
//
// A lookup is built over the palette of one reduction run. MapColor returns the index and
// writes the colour of that entry into the three outputs; the ditherers diffuse the difference.
// The three arithmetic lookups below serve their fixed palettes (fixed_palettes.h) without any
// search and ignore the palette they are given; TFastColorLookup (fast_color_lookup.h) serves
// any other palette.
//
// The concrete lookups are final and define MapColor inline, so code that holds the concrete
// type (the reduction driver) gets the mapping inlined; code that holds a TColorLookup gets the
// virtual call.

#include "platform/palette.h"

#include <cstdint>

class TColorLookup {
public:
    explicit TColorLookup(int colorCount = 0) : colorCount_(colorCount) {}
    virtual ~TColorLookup() = default;
    TColorLookup(const TColorLookup&) = delete;
    TColorLookup& operator=(const TColorLookup&) = delete;

    // Number of entries the lookup can return; 0 makes the lookup unusable.
    int ColorCount() const { return colorCount_; }

    virtual std::uint8_t MapColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                                  std::uint8_t& outGreen, std::uint8_t& outBlue) = 0;

protected:
    int colorCount_;
};

// The 216-colour web palette: each component to the nearest of 0, 51, ..., 255.
class TNetscapeColorLookup final : public TColorLookup {
public:
    explicit TNetscapeColorLookup(const Palette& = {}) : TColorLookup(216) {}

    // Level of one component: (c + 3) div 51, so 0..47 -> 0, 48..98 -> 1, ..., 252..255 -> 5.
    static constexpr int level(std::uint8_t c) { return (c + 3) / 51; }

    std::uint8_t MapColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                          std::uint8_t& outGreen, std::uint8_t& outBlue) override
    {
        const int r = level(red), g = level(green), b = level(blue);
        outRed = std::uint8_t(r * 51);
        outGreen = std::uint8_t(g * 51);
        outBlue = std::uint8_t(b * 51);
        return std::uint8_t(36 * r + 6 * g + b);
    }
};

// 256 greys: the index is the luminance (77 red + 150 green + 29 blue) shr 8.
class TGrayScaleLookup final : public TColorLookup {
public:
    explicit TGrayScaleLookup(const Palette& = {}) : TColorLookup(256) {}

    std::uint8_t MapColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                          std::uint8_t& outGreen, std::uint8_t& outBlue) override
    {
        const auto y = std::uint8_t((77 * red + 150 * green + 29 * blue) >> 8);
        outRed = outGreen = outBlue = y;
        return y;
    }
};

// Black and white: white when 77 red + 150 green + 29 blue exceeds 0x7F00.
class TMonochromeLookup final : public TColorLookup {
public:
    explicit TMonochromeLookup(const Palette& = {}) : TColorLookup(2) {}

    std::uint8_t MapColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                          std::uint8_t& outGreen, std::uint8_t& outBlue) override
    {
        const int s = 77 * red + 150 * green + 29 * blue;
        const bool white = s > 0x7F00;
        outRed = outGreen = outBlue = white ? 255 : 0;
        return white ? 1 : 0;
    }
};
