#include "color/five_by_three_ditherers.h"

T5by3Ditherer::T5by3Ditherer(int width, TColorLookup& lookup, int divisor)
    : TDitherEngine(width, lookup), rows_(width), divisor_(divisor < 1 ? 1 : divisor)
{
}

std::uint8_t T5by3Ditherer::DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                        std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
{
    const int x = column_;
    return diffusePixel(
        *lookup_, divisor_ / 2, divisor_, red, green, blue, outRed, outGreen, outBlue,
        [&](int c) { return *rows_.at(0, c, x); },
        [&](int c, int e) { SpreadError(rows_.at(0, c, x), rows_.at(1, c, x), rows_.at(2, c, x), e); });
}

void T5by3Ditherer::StartNextRow()
{
    rows_.advance();
    TDitherEngine::StartNextRow();
    twiceDirection_ = 2 * direction_;
}
