#pragma once
// How close a reduced picture stays to its original: PSNR over the red, green and blue samples,
// and the mean CIE76 colour difference (Euclidean distance in CIELAB, sRGB with D65 white).

#include <cstdint>
#include <vector>

// Both arguments are red, green, blue bytes of the same pixels. Infinite for equal pictures.
double psnr(const std::vector<std::uint8_t>& original, const std::vector<std::uint8_t>& reduced);
double meanDeltaE76(const std::vector<std::uint8_t>& original, const std::vector<std::uint8_t>& reduced);
