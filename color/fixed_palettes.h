#pragma once
// Palettes fixed in advance, built by rule or taken from the platform's stock tables.
//
// Each builder returns a new palette value; entry order is pixel-value order.

#include "platform/palette.h"

// 216 entries: index 36r + 6g + b holds (51r, 51g, 51b) for r, g, b in 0..5, flags 0.
Palette MakeWebPalette();
// 256 greys: index i holds (i, i, i), flags 4.
Palette MakeGray256Palette();
// Black, grey (128), silver (192), white; flags 4.
Palette MakeGray4Palette();
// Black and white; flags 4.
Palette MakeBlackWhitePalette();
// The 256-entry halftone palette (platform/system_palettes.h: the 20 system colours at 0..9
// and 246..255, the 6x6x6 cube at 10..225, 20 greys at 226..245).
Palette MakeHalftonePalette();
// The 20 static colours of the system palette (platform/system_palettes.h), in stock order.
Palette MakeSystemPalette20();

// The flag that keeps an entry from being mapped onto a system colour.
constexpr std::uint8_t kPaletteNoCollapse = 4;
