#pragma once
// The base ditherer: nearest colour, no diffusion, serpentine walk.
//
// A ditherer starts at column 0 moving right. Every DitherPixel maps one colour through the
// lookup and moves CurrentColumn one step in ScanDirection; StartNextRow turns the direction
// around and puts CurrentColumn at the first pixel of the next row (column 0 on left-to-right
// rows, RowWidth - 1 on right-to-left rows). The error-diffusion ditherers derive from it.
//
// Every ditherer also offers a template ditherWith(lookup, ...) doing the same as DitherPixel
// with a lookup of a known type, so the reduction driver's inner loop has no virtual calls. It
// must be given the lookup the ditherer was built with.

#include "color/color_lookup.h"
#include "platform/exceptions.h"

#include <cstdint>

class TDitherEngine {
public:
    TDitherEngine(int width, TColorLookup& lookup) : lookup_(&lookup), width_(width) {}
    virtual ~TDitherEngine() = default;
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;

    int ScanDirection() const { return direction_; }
    int CurrentColumn() const { return column_; }
    int RowWidth() const { return width_; }
    TColorLookup& lookup() const { return *lookup_; }

    // Returns the palette index for the colour and writes the colour of that entry.
    virtual std::uint8_t DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                                     std::uint8_t& outGreen, std::uint8_t& outBlue)
    {
        return ditherWith(*lookup_, red, green, blue, outRed, outGreen, outBlue);
    }

    virtual void StartNextRow()
    {
        direction_ = -direction_;
        column_ = direction_ > 0 ? 0 : width_ - 1;
    }

    template <class Lookup>
    std::uint8_t ditherWith(Lookup& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
    {
        const std::uint8_t index = lookup.MapColor(red, green, blue, outRed, outGreen, outBlue);
        column_ += direction_;
        return index;
    }

protected:
    // One pixel of an error-diffusion ditherer: each channel is corrected by the error share
    // accumulated(channel) with the given rounding and divisor, the lookup chooses the entry
    // for the corrected colour, and spread(channel, error) passes on corrected - entry colour
    // (channels 0 red, 1 green, 2 blue) while CurrentColumn still names the pixel. A call
    // beyond the ends of the row is refused, since the error buffers are one row wide.
    template <class Lookup, class Accumulated, class Spread>
    std::uint8_t diffusePixel(Lookup& lookup, int rounding, int divisor, std::uint8_t red, std::uint8_t green,
                              std::uint8_t blue, std::uint8_t& outRed, std::uint8_t& outGreen,
                              std::uint8_t& outBlue, Accumulated accumulated, Spread spread)
    {
        if (unsigned(column_) >= unsigned(width_))
            throw ERangeError("Dither column out of range");
        const int r = corrected(red, accumulated(0), rounding, divisor);
        const int g = corrected(green, accumulated(1), rounding, divisor);
        const int b = corrected(blue, accumulated(2), rounding, divisor);
        const std::uint8_t index =
            lookup.MapColor(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), outRed, outGreen, outBlue);
        spread(0, r - outRed);
        spread(1, g - outGreen);
        spread(2, b - outBlue);
        column_ += direction_;
        return index;
    }

    // Corrected channel value: the input plus the rounded error share, clamped to 0..255.
    // Division truncates toward zero, so negative shares round toward zero as well.
    static int corrected(int value, int accumulated, int rounding, int divisor)
    {
        const int v = value + (accumulated + rounding) / divisor;
        return v < 0 ? 0 : (v > 255 ? 255 : v);
    }

    int direction_ = 1;
    int column_ = 0;
    TColorLookup* lookup_; // not owned
    int width_;
};
