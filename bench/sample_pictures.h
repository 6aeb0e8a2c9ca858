#pragma once
// Pictures the benchmark reads: sample files as bytes and true-colour photos as 24-bit bitmaps.

#include "platform/bitmap.h"

#include <cstdint>
#include <filesystem>
#include <vector>

// A photo file (PNG or anything QImage reads) as a 24-bit bitmap; scaled smoothly to width by
// height when both are positive. Throws std::runtime_error when the file cannot be read.
Bitmap loadPhoto(const std::filesystem::path& path, int width = 0, int height = 0);

// Red, green, blue bytes of every pixel, top row first, no padding (8-bit bitmaps through their
// palette, 24-bit ones as stored).
std::vector<std::uint8_t> rgbPixels(const Bitmap& bitmap);
