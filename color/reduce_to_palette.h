#pragma once
// ReduceToPalette: the one entry that turns a 24-bit image into an 8-bit image of palette
// indexes.
//
// The method chooses the palette and the lookup (reduction_types.h):
//   rdWindows20        the 20 system colours             TFastColorLookup
//   rdWindows256       the halftone palette              TFastColorLookup
//   rdWindowsGray      black, grey, silver, white        TFastColorLookup
//   rdMonochrome       black and white                   TMonochromeLookup
//   rdGrayScale        256 greys                         TGrayScaleLookup
//   rdWebPalette       the 216-colour web palette        TNetscapeColorLookup
//   rdQuantize         octree palette of 2^bits colours  TFastColorLookup
//   rdQuantizeWindows  octree palette with system colours TFastColorLookup
//   rdPalette          a copy of the caller's palette    TFastColorLookup
// The dither method chooses the ditherer. Rows are walked in serpentine order (row 0 left to
// right, row 1 right to left, ...) for every dither method, and each pixel's index is written
// into an 8-bit DIB whose colour table is the palette padded with zeros to 256 entries and
// whose colours-important field is the palette's own count.
//
// Result: an 8-bit bitmap with the 256-entry colour table, a 24-bit copy for rdNone, or an
// empty bitmap (zero width and height, no exception) when the run is abandoned: a method above
// rdPalette, a palette without entries (rdPalette without a palette), a dither method above
// dtBurkes. For every method but rdNone the source is switched to 24 bits per pixel.
//
// Reduction bits are used by rdQuantize only and are kept within 1..8 (2 to 256 colours):
// values below 1 count as 1, values above 8 as 8.
//
// Errors: "Invalid image dimensions" for a source of zero width or height (any method but
// rdNone, unless the run is abandoned first); out-of-memory errors pass on.

#include "color/reduction_types.h"
#include "platform/bitmap.h"
#include "platform/palette.h"

Bitmap ReduceToPalette(Bitmap& source, TReductionMethod method, TDitherMethod dither, int reductionBits,
                       const Palette* customPalette = nullptr);

// The reduction bits ReduceToPalette uses for a requested value.
constexpr int clampReductionBits(int bits)
{
    return bits < 1 ? 1 : (bits > 8 ? 8 : bits);
}
