#pragma once
// Burkes error diffusion, divisor 32: current row +1: 8, +2: 4; next row -2..+2: 2, 4, 8, 4, 2
// (offsets in columns, +1 = next in scan direction, mirrored on right-to-left rows).

#include "color/dither_engine.h"
#include "color/error_rows.h"

class TBurkesDitherer final : public TDitherEngine {
public:
    TBurkesDitherer(int width, TColorLookup& lookup);

    std::uint8_t DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                             std::uint8_t& outGreen, std::uint8_t& outBlue) override
    {
        return ditherWith(*lookup_, red, green, blue, outRed, outGreen, outBlue);
    }
    void StartNextRow() override;

    template <class Lookup>
    std::uint8_t ditherWith(Lookup& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
    {
        const int x = column_;
        const int d = direction_;
        const int d2 = twiceDirection_;
        return diffusePixel(
            lookup, 16, 32, red, green, blue, outRed, outGreen, outBlue,
            [&](int c) { return *rows_.at(0, c, x); },
            [&](int c, int e) {
                if (e == 0)
                    return;
                std::int32_t* cur = rows_.at(0, c, x);
                std::int32_t* next = rows_.at(1, c, x);
                cur[d] += 8 * e;
                cur[d2] += 4 * e;
                next[-d2] += 2 * e;
                next[-d] += 4 * e;
                next[0] += 8 * e;
                next[d] += 4 * e;
                next[d2] += 2 * e;
            });
    }

    int bufferEntry(int r, int channel, int x) { return *rows_.at(r, channel, x); }

private:
    ErrorRows<2, 2> rows_;
    int twiceDirection_ = 2;
};
