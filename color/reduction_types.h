#pragma once
// The palette choices and dithering methods of the colour reduction, and the process-wide
// defaults that every new GIF image copies.

#include <cstdint>

// What palette a reduced bitmap gets, and which lookup maps colours into it.
enum TReductionMethod : std::uint8_t {
    rdNone = 0,            // no palette: the result is a 24-bit copy
    rdWindows20 = 1,       // the 20 static system colours
    rdWindows256 = 2,      // the 256-entry halftone palette
    rdWindowsGray = 3,     // black, grey, silver, white
    rdMonochrome = 4,      // black and white
    rdGrayScale = 5,       // 256 greys
    rdWebPalette = 6,      // the 216-colour web cube
    rdQuantize = 7,        // octree palette of 2^bits colours
    rdQuantizeWindows = 8, // octree palette of 236 colours between the system colours
    rdPalette = 9,         // the palette handed in by the caller
};

// Which ditherer walks the image.
enum TDitherMethod : std::uint8_t {
    dtNearest = 0,
    dtFloydSteinberg = 1,
    dtStucki = 2,
    dtSierra = 3,
    dtJaJuNi = 4,
    dtSteveArche = 5,
    dtBurkes = 6,
};

// Written by the colour reduction window, read when a GIF image is created. Plain variables of
// the user-interface thread; no locking.
extern TReductionMethod DefaultReductionMethod; // initially rdWebPalette
extern std::int32_t DefaultReductionBits;       // initially 8
extern TDitherMethod DefaultDitherMethod;       // initially dtNearest
