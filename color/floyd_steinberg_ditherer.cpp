#include "color/floyd_steinberg_ditherer.h"

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TDitherEngine(width, lookup), buffer_(width)
{
}

void TFloydSteinbergDitherer::StartNextRow()
{
    // The column of the row's last pixel still waits for the share of the pixel behind it.
    const int last = column_ - direction_;
    if (last >= -1 && last <= width_)
        for (int c = 0; c < 3; ++c)
            *buffer_.at(0, c, last) = belowBack_[c];
    for (int c = 0; c < 3; ++c)
        carry_[c] = below_[c] = belowBack_[c] = 0;
    TDitherEngine::StartNextRow();
}
