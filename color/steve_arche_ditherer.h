#pragma once
// Stevenson–Arce error diffusion, divisor 200, reaching three rows down and three columns to
// each side (offsets in columns, +1 = next in scan direction, mirrored on right-to-left rows):
//   current row      +2: 32
//   next row         -3: 12, -1: 26, +1: 30, +3: 16
//   second row below -2: 12,  0: 26, +2: 12
//   third row below  -3: 5,  -1: 12, +1: 12, +3: 5

#include "color/dither_engine.h"
#include "color/error_rows.h"

class TSteveArcheDitherer final : public TDitherEngine {
public:
    TSteveArcheDitherer(int width, TColorLookup& lookup);

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
        const int d3 = thriceDirection_;
        return diffusePixel(
            lookup, 100, 200, red, green, blue, outRed, outGreen, outBlue,
            [&](int c) { return *rows_.at(0, c, x); },
            [&](int c, int e) {
                if (e == 0)
                    return;
                std::int32_t* r0 = rows_.at(0, c, x);
                std::int32_t* r1 = rows_.at(1, c, x);
                std::int32_t* r2 = rows_.at(2, c, x);
                std::int32_t* r3 = rows_.at(3, c, x);
                r0[d2] += 32 * e;
                r1[-d3] += 12 * e;
                r1[-d] += 26 * e;
                r1[d] += 30 * e;
                r1[d3] += 16 * e;
                r2[-d2] += 12 * e;
                r2[0] += 26 * e;
                r2[d2] += 12 * e;
                r3[-d3] += 5 * e;
                r3[-d] += 12 * e;
                r3[d] += 12 * e;
                r3[d3] += 5 * e;
            });
    }

    int bufferEntry(int r, int channel, int x) { return *rows_.at(r, channel, x); }

private:
    ErrorRows<4, 3> rows_;
    int twiceDirection_ = 2;
    int thriceDirection_ = 3;
};
