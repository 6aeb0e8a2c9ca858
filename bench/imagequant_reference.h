#pragma once
// libimagequant, the reference for the quality of an optimized 256-colour palette.

#include <cstdint>
#include <string>
#include <vector>

// True when the program was built with libimagequant.
bool imagequantAvailable();

// Quantizes red, green, blue pixels to 256 colours at libimagequant's default speed and remaps
// them, with its dithering (level 1.0) or without (0). Returns the remapped pixels as red, green,
// blue; seconds receives the time of quantizing and remapping. Throws std::runtime_error on an
// error or when the library is not there.
std::vector<std::uint8_t> quantizeWithImagequant(const std::vector<std::uint8_t>& rgb, int width, int height,
                                                 bool dither, double& seconds);
