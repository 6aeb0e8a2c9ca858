#include "color/reduce_to_palette.h"

#include "color/burkes_ditherer.h"
#include "color/color_lookup.h"
#include "color/color_quantizer.h"
#include "color/dib.h"
#include "color/dither_engine.h"
#include "color/fast_color_lookup.h"
#include "color/fixed_palettes.h"
#include "color/five_by_three_ditherers.h"
#include "color/floyd_steinberg_ditherer.h"
#include "color/steve_arche_ditherer.h"

#include <memory>
#include <optional>

namespace {

struct Run {
    Bitmap& source;
    Bitmap& result;
    TDIBReader& reader;
    const Palette& palette;
};

// The serpentine walk with a ditherer and a lookup of known types, so the per-pixel calls
// are inlined.
template <class Ditherer, class Lookup>
void walk(Run& run, Ditherer& ditherer, Lookup& lookup)
{
    const int width = run.source.width();
    const int height = run.source.height();
    TDIBWriter writer(run.result, pf8bit, width, height, &run.palette);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = run.reader.RowPointer(y);
        std::uint8_t* dst = writer.RowPointer(y);
        int x = ditherer.CurrentColumn();
        while (x >= 0 && x < width) {
            const std::uint8_t* p = src + 3 * x;
            std::uint8_t r, g, b;
            dst[x] = ditherer.ditherWith(lookup, p[2], p[1], p[0], r, g, b);
            x = ditherer.CurrentColumn();
        }
        ditherer.StartNextRow();
    }
    writer.finish();
}

template <class Lookup>
void reduceWith(Run& run, Lookup& lookup, TDitherMethod dither)
{
    if (lookup.ColorCount() == 0)
        return; // abandoned
    const int width = run.source.width();
    switch (dither) {
    case dtNearest: {
        TDitherEngine d(width, lookup);
        walk(run, d, lookup);
        return;
    }
    case dtFloydSteinberg: {
        TFloydSteinbergDitherer d(width, lookup);
        walk(run, d, lookup);
        return;
    }
    case dtStucki: {
        TStuckiDitherer d(width, lookup);
        walk(run, d, lookup);
        return;
    }
    case dtSierra: {
        TSierraDitherer d(width, lookup);
        walk(run, d, lookup);
        return;
    }
    case dtJaJuNi: {
        TJaJuNiDitherer d(width, lookup);
        walk(run, d, lookup);
        return;
    }
    case dtSteveArche: {
        TSteveArcheDitherer d(width, lookup);
        walk(run, d, lookup);
        return;
    }
    case dtBurkes: {
        TBurkesDitherer d(width, lookup);
        walk(run, d, lookup);
        return;
    }
    }
    // Any other dither method abandons the run.
}

} // namespace

Bitmap ReduceToPalette(Bitmap& source, TReductionMethod method, TDitherMethod dither, int reductionBits,
                       const Palette* customPalette)
{
    Bitmap result;
    if (method == rdNone) {
        result = source;
        result.setPixelFormat(pf24bit);
        return result;
    }
    // Large pictures start out as 1-bit bitmaps, as large rendered frames do; the writer's
    // picture replaces that content.
    if (std::int64_t(source.width()) * source.height() > 500000)
        result.setPixelFormat(pf1bit);

    TDIBReader reader(source, pf24bit);
    std::optional<Palette> palette;
    switch (method) {
    case rdWindows20:
        palette = MakeSystemPalette20();
        break;
    case rdWindows256:
        palette = MakeHalftonePalette();
        break;
    case rdWindowsGray:
        palette = MakeGray4Palette();
        break;
    case rdMonochrome:
        palette = MakeBlackWhitePalette();
        break;
    case rdGrayScale:
        palette = MakeGray256Palette();
        break;
    case rdWebPalette:
        palette = MakeWebPalette();
        break;
    case rdQuantize:
        palette = MakeOptimizedPalette(reader, 1 << clampReductionBits(reductionBits), 8, false);
        break;
    case rdQuantizeWindows:
        palette = MakeOptimizedPaletteOfBitmap(source, 256, 8, true);
        break;
    case rdPalette:
        palette = customPalette ? *customPalette : Palette();
        break;
    default:
        return result; // abandoned
    }

    Run run{source, result, reader, *palette};
    switch (method) {
    case rdMonochrome: {
        TMonochromeLookup lookup(*palette);
        reduceWith(run, lookup, dither);
        break;
    }
    case rdGrayScale: {
        TGrayScaleLookup lookup(*palette);
        reduceWith(run, lookup, dither);
        break;
    }
    case rdWebPalette: {
        TNetscapeColorLookup lookup(*palette);
        reduceWith(run, lookup, dither);
        break;
    }
    default: {
        auto lookup = std::make_unique<TFastColorLookup>(*palette);
        reduceWith(run, *lookup, dither);
        break;
    }
    }
    return result;
}
