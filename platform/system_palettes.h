#pragma once
// Stock palettes this platform has no screen driver for, kept as fixed tables.
//
// systemPalette20: the 20 static colours of the classic 20-colour system palette in their
//   usual order: 10 "low" colours (black, the eight dark colours, money green, sky blue)
//   followed by 10 "high" colours (cream, medium grey, dark grey, the pure colours, white).
// halftonePalette256: entries 0..9 and 246..255 are the system colours; 10..225 hold the
//   6x6x6 colour cube with levels 0, 51, 102, 153, 204, 255 (red slowest, blue fastest);
//   226..245 hold 20 greys evenly spaced strictly between black and white.
// vgaPalette16: the 16 colours of the VGA palette, used for 4-bit bitmaps without a palette.

#include "platform/palette.h"

const Palette& systemPalette20();
const Palette& halftonePalette256();
const Palette& vgaPalette16();
const Palette& blackWhitePalette();
