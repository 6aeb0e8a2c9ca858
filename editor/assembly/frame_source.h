#pragma once
// Pictures that become frames: loading a picture file by its extension and fitting a picture
// into the animation's one frame size.

#include "platform/bitmap.h"
#include "platform/geometry.h"

#include <filesystem>
#include <optional>

// The part of rect a picture of w by h takes, chosen by the picture's orientation: a picture
// wider than tall fills the width, any other fills the height; the margin is split evenly and
// may be negative (the picture is then cut at those two edges).
Rect FitRect(const Rect& rect, int w, int h);

// Loads a picture for a new frame by its extension (any letter case): ".gif" its first image at
// the logical screen size, ".jpg"/".jpeg" through libjpeg, ".ico" the icon's largest image,
// ".bmp" the bitmap file. Other extensions give no picture. Errors of the file pass on.
std::optional<Bitmap> loadFrameImage(const std::filesystem::path& path);

// Fits picture into a frame of frameWidth by frameHeight: when its size differs, the picture is
// replaced by a white 24-bit bitmap of the frame size with the picture stretched into FitRect.
void fitToFrame(Bitmap& picture, int frameWidth, int frameHeight);
