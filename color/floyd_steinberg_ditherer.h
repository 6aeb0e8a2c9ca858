#pragma once
// Floyd–Steinberg error diffusion: 7/16 to the next pixel of the row, 3/16, 5/16 and 1/16 to
// the pixels behind, below and ahead in the next row, mirrored on right-to-left rows.
//
// One buffer row per channel holds the error sums for the next row; entry x + 1 belongs to
// column x. The pixel's own share comes from the carry of the pixel before it plus its buffer
// entry; the entry behind the pixel is complete once the pixel is done (3 parts from this
// pixel, 5 from the one behind, 1 from the one two behind) and is overwritten then, since the
// current row has already read it.

#include "color/dither_engine.h"
#include "color/error_rows.h"

class TFloydSteinbergDitherer final : public TDitherEngine {
public:
    TFloydSteinbergDitherer(int width, TColorLookup& lookup);

    std::uint8_t DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                             std::uint8_t& outGreen, std::uint8_t& outBlue) override
    {
        return ditherWith(*lookup_, red, green, blue, outRed, outGreen, outBlue);
    }
    void StartNextRow() override;
    // Passes over the current pixel without taking part in the diffusion: the error waiting for
    // it is dropped and it spreads none (pixels that are not drawn, such as transparent ones).
    void SkipPixel()
    {
        if (unsigned(column_) >= unsigned(width_))
            throw ERangeError("Dither column out of range");
        buffer_.at(0, 0, column_)[-direction_] = belowBack_[0];
        buffer_.at(0, 1, column_)[-direction_] = belowBack_[1];
        buffer_.at(0, 2, column_)[-direction_] = belowBack_[2];
        for (int c = 0; c < 3; ++c) {
            belowBack_[c] = below_[c];
            below_[c] = 0;
            carry_[c] = 0;
        }
        column_ += direction_;
    }

    template <class Lookup>
    std::uint8_t ditherWith(Lookup& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
    {
        const int d = direction_;
        const int x = column_;
        return diffusePixel(
            lookup, 8, 16, red, green, blue, outRed, outGreen, outBlue,
            [&](int c) { return carry_[c] + *buffer_.at(0, c, x); },
            [&](int c, int e) {
                buffer_.at(0, c, x)[-d] = belowBack_[c] + 3 * e;
                belowBack_[c] = below_[c] + 5 * e;
                below_[c] = e;
                carry_[c] = 7 * e;
            });
    }

    // The error sum waiting in the buffer for column x (-1 and RowWidth are the margins).
    int bufferEntry(int channel, int x) { return *buffer_.at(0, channel, x); }

private:
    ErrorRows<1, 1> buffer_;
    int carry_[3] = {0, 0, 0};
    int below_[3] = {0, 0, 0};
    int belowBack_[3] = {0, 0, 0};
};
