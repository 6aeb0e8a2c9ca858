// Colour reduction: throughput of every palette choice and ditherer, quality of the optimized
// palettes against libimagequant, and time for twice the pixels.

#include "bench/benchmark_groups.h"
#include "bench/image_quality.h"
#include "bench/imagequant_reference.h"
#include "bench/sample_pictures.h"
#include "bench/timing.h"

#include "color/reduce_to_palette.h"

#include <algorithm>
#include <iostream>
#include <string>

namespace {

const char* methodName(TReductionMethod m)
{
    switch (m) {
    case rdWindows20: return "rdWindows20";
    case rdWindows256: return "rdWindows256";
    case rdWindowsGray: return "rdWindowsGray";
    case rdMonochrome: return "rdMonochrome";
    case rdGrayScale: return "rdGrayScale";
    case rdWebPalette: return "rdWebPalette";
    case rdQuantize: return "rdQuantize 8 bits";
    case rdQuantizeWindows: return "rdQuantizeWindows";
    case rdPalette: return "rdPalette (256 entries)";
    default: return "?";
    }
}

const char* ditherName(TDitherMethod d)
{
    switch (d) {
    case dtNearest: return "dtNearest";
    case dtFloydSteinberg: return "dtFloydSteinberg";
    case dtStucki: return "dtStucki";
    case dtSierra: return "dtSierra";
    case dtJaJuNi: return "dtJaJuNi";
    case dtSteveArche: return "dtSteveArche";
    case dtBurkes: return "dtBurkes";
    }
    return "?";
}

double reduceSeconds(const Bitmap& photo, TReductionMethod method, TDitherMethod dither, const Palette* custom,
                     Bitmap* result = nullptr)
{
    Bitmap source(photo);
    const Stopwatch clock;
    Bitmap reduced = ReduceToPalette(source, method, dither, 8, custom);
    const double seconds = clock.seconds();
    if (reduced.width() != photo.width() || reduced.height() != photo.height())
        throw std::runtime_error("the reduction gave no picture");
    if (result != nullptr)
        *result = std::move(reduced);
    return seconds;
}

void measureThroughput(const BenchOptions& options, FigureTable& table, const Bitmap& photo, const Palette& custom)
{
    const double megapixels = double(photo.width()) * photo.height() / 1e6;
    const int reps = options.reps(5);
    struct Case {
        TReductionMethod method;
        TDitherMethod dither;
        double goal; // 0: none
    };
    std::vector<Case> cases;
    for (TReductionMethod m : {rdWindows20, rdWindows256, rdWindowsGray, rdMonochrome, rdGrayScale, rdWebPalette,
                               rdPalette})
        cases.push_back({m, dtNearest, 50});
    for (TReductionMethod m : {rdQuantize, rdQuantizeWindows}) {
        cases.push_back({m, dtNearest, 0});
        for (TDitherMethod d : {dtFloydSteinberg, dtStucki, dtSierra, dtJaJuNi, dtSteveArche, dtBurkes}) {
            if (options.quick && d != dtFloydSteinberg)
                continue;
            cases.push_back({m, d, d == dtFloydSteinberg ? 15.0 : 0.0});
        }
    }
    char size[64];
    std::snprintf(size, sizeof size, " (%dx%d)", photo.width(), photo.height());
    for (const Case& c : cases) {
        Figure f;
        f.section = "Colour reduction throughput (ReduceToPalette, one core)";
        f.name = std::string(methodName(c.method)) + " + " + ditherName(c.dither) + size;
        f.unit = "Mpx/s";
        if (c.goal > 0)
            f.goal = ">= " + formatNumber(c.goal);
        try {
            const double t = medianSeconds(reps, [&] { return reduceSeconds(photo, c.method, c.dither, &custom); });
            f.value = megapixels / t;
            if (c.goal > 0)
                f.goalMet = f.value >= c.goal;
        } catch (const std::exception& e) {
            f.note = e.what();
        }
        table.add(f);
    }
}

void measureQuality(const BenchOptions& options, FigureTable& table, const Bitmap& photo, const std::string& photoName)
{
    const std::vector<std::uint8_t> original = rgbPixels(photo);
    const double megapixels = double(photo.width()) * photo.height() / 1e6;
    std::vector<std::uint8_t> liqPlain, liqDither;
    double liqPlainSeconds = NAN, liqDitherSeconds = NAN;
    std::string liqError;
    try {
        liqPlainSeconds = medianSeconds(options.reps(3), [&] {
            double s = 0;
            liqPlain = quantizeWithImagequant(original, photo.width(), photo.height(), false, s);
            return s;
        });
        liqDitherSeconds = medianSeconds(options.reps(3), [&] {
            double s = 0;
            liqDither = quantizeWithImagequant(original, photo.width(), photo.height(), true, s);
            return s;
        });
    } catch (const std::exception& e) {
        liqError = e.what();
    }
    for (TReductionMethod m : {rdQuantize, rdQuantizeWindows}) {
        for (TDitherMethod d : {dtNearest, dtFloydSteinberg}) {
            const bool dithered = d == dtFloydSteinberg;
            const std::vector<std::uint8_t>& ref = dithered ? liqDither : liqPlain;
            const std::string refName = dithered ? "libimagequant dithered" : "libimagequant";
            const std::string name = std::string(methodName(m)) + " + " + ditherName(d);
            Figure p, e, speed;
            p.section = "Colour reduction quality at 256 colours, " + photoName + " (vs libimagequant, default speed)";
            p.name = "PSNR " + name;
            p.unit = "dB";
            p.reference = refName;
            e = p;
            e.name = "mean dE76 " + name;
            e.unit = "dE";
            e.higherIsBetter = false;
            speed = p;
            speed.name = "speed " + name;
            speed.unit = "Mpx/s";
            try {
                Bitmap reduced;
                const double t = medianSeconds(options.reps(3), [&] { return reduceSeconds(photo, m, d, nullptr, &reduced); });
                const std::vector<std::uint8_t> rgb = rgbPixels(reduced);
                p.value = psnr(original, rgb);
                e.value = meanDeltaE76(original, rgb);
                speed.value = megapixels / t;
            } catch (const std::exception& ex) {
                p.note = e.note = speed.note = ex.what();
            }
            if (liqError.empty()) {
                p.referenceValue = psnr(original, ref);
                e.referenceValue = meanDeltaE76(original, ref);
                speed.referenceValue = megapixels / (dithered ? liqDitherSeconds : liqPlainSeconds);
            } else {
                p.note = e.note = speed.note = liqError;
            }
            table.add(p);
            table.add(e);
            table.add(speed);
        }
    }
}

void measureScaling(const BenchOptions& options, FigureTable& table, const std::filesystem::path& photoPath)
{
    const int w = options.quick ? 400 : 1000;
    const int h = options.quick ? 300 : 750;
    const Bitmap small = loadPhoto(photoPath, w, h);
    const Bitmap large = loadPhoto(photoPath, w, 2 * h);
    const int reps = std::max(5, options.reps(7));
    for (auto [m, d] : {std::pair{rdQuantize, dtFloydSteinberg}, std::pair{rdWebPalette, dtNearest}}) {
        Figure f;
        f.section = "Scaling (fastest time for twice the work / for the work)";
        f.name = std::string("reduce ") + methodName(m) + " + " + ditherName(d) + ", " + std::to_string(w) + "x" +
                 std::to_string(h) + " -> " + std::to_string(w) + "x" + std::to_string(2 * h);
        f.unit = "x";
        f.higherIsBetter = false;
        f.goal = "<= 2 (+10%)";
        try {
            f.value = fastestRatio(reps, [&] { return reduceSeconds(small, m, d, nullptr); },
                                  [&] { return reduceSeconds(large, m, d, nullptr); });
            f.goalMet = f.value <= linearScalingLimit;
        } catch (const std::exception& e) {
            f.note = e.what();
        }
        table.add(f);
    }
}

} // namespace

void runReductionBenchmarks(const BenchOptions& options, FigureTable& table)
{
    const std::filesystem::path photoPath = options.dataDir / "harvesters.png";
    Bitmap photo;
    try {
        photo = options.quick ? loadPhoto(photoPath, 583, 430) : loadPhoto(photoPath);
    } catch (const std::exception& e) {
        std::cerr << "zoetra-bench: no colour reduction figures: " << e.what() << "\n";
        return;
    }
    // rdPalette gets the photo's own optimized palette as the caller's palette.
    Palette custom;
    {
        Bitmap source(photo);
        custom = ReduceToPalette(source, rdQuantize, dtNearest, 8).palette();
    }
    std::cerr << "zoetra-bench: colour reduction throughput\n";
    measureThroughput(options, table, photo, custom);
    std::cerr << "zoetra-bench: colour reduction quality\n";
    measureQuality(options, table, photo, options.quick ? "harvesters.png at half size" : "harvesters.png");
    std::cerr << "zoetra-bench: colour reduction scaling\n";
    measureScaling(options, table, photoPath);
}
