// The whole road from frames to an animated GIF (octree palette per frame, Floyd-Steinberg,
// merged colour tables, repeated pixels and unchanged borders optimized away), ours against
// ImageMagick, and gifsicle -O3 run on our file.

#include "bench/benchmark_groups.h"
#include "bench/external_tools.h"
#include "bench/heap_tracker.h"
#include "bench/sample_pictures.h"
#include "bench/synthetic_animations.h"
#include "bench/timing.h"

#include "editor/assembly/animation_assembly.h"
#include "editor/assembly/frame_reduction.h"
#include "gif/gif_image.h"
#include "platform/stream.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

struct AssemblyRun {
    double seconds = NAN;
    std::vector<std::uint8_t> file;
    std::int64_t peakHeap = 0;
};

// One assembly of frames into a GIF file in memory, timed from the first reduction to the
// written file.
AssemblyRun assembleOnce(const std::vector<Bitmap>& frames, TDitherMethod dither = dtFloydSteinberg, int bits = 8)
{
    std::vector<AssemblyFrame> list;
    list.reserve(frames.size());
    for (const Bitmap& b : frames)
        list.push_back({&b, false, 10});
    AssemblyOptions options;
    options.loopCount = 0;
    options.merge = true;
    options.crop = true;
    options.reduce = [dither, bits](Bitmap& work) { reduceFrameBitmap(work, rdQuantize, bits, dither); };
    options.chosenPaletteMethod = [] { return rdQuantize; };
    options.chosenDitherMethod = [dither] { return dither; };

    AssemblyRun run;
    const HeapProbe probe;
    const Stopwatch clock;
    {
        TGIFImage gif;
        Bitmap work;
        assembleAnimation(gif, list, options, work);
        MemoryStream stream;
        gif.SaveToStream(stream);
        run.file = stream.takeData();
    }
    run.seconds = clock.seconds();
    run.peakHeap = probe.peakAbove();
    return run;
}

AssemblyRun assembleMedian(const std::vector<Bitmap>& frames, int reps, TDitherMethod dither = dtFloydSteinberg,
                           int bits = 8)
{
    AssemblyRun last;
    const double t = medianSeconds(reps, [&] {
        last = assembleOnce(frames, dither, bits);
        return last.seconds;
    });
    last.seconds = t;
    return last;
}

std::string sizeText(int count, int w, int h)
{
    return std::to_string(count) + " x " + std::to_string(w) + "x" + std::to_string(h);
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    writeFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace

void runAssemblyBenchmarks(const BenchOptions& options, FigureTable& table)
{
    const int count = options.quick ? 20 : 100;
    const int w = options.quick ? 320 : 640;
    const int h = options.quick ? 240 : 480;
    const int reps = options.reps(3);
    const std::string section = "Whole assembly (frames -> animated GIF: octree palette, Floyd-Steinberg, merge, crop)";
    std::vector<Bitmap> frames;
    try {
        frames = movingDiscFrames(loadPhoto(options.dataDir / "harvesters.png", w, h), count);
    } catch (const std::exception& e) {
        std::cerr << "zoetra-bench: no assembly figures: " << e.what() << "\n";
        return;
    }
    const std::string label = "moving disc over photo, " + sizeText(count, w, h);

    std::cerr << "zoetra-bench: assembly, ours\n";
    AssemblyRun ours;
    std::string oursError;
    try {
        ours = assembleMedian(frames, reps);
    } catch (const std::exception& e) {
        oursError = e.what();
    }

    ScratchFolder scratch;
    Figure time, imSize, gsSize, memory;
    time.section = imSize.section = gsSize.section = section;
    time.name = "time, " + label;
    time.unit = "s";
    time.higherIsBetter = false;
    time.reference = "ImageMagick convert";
    time.goal = "ratio <= 0.5";
    imSize.name = "bytes, " + label;
    imSize.unit = "bytes";
    imSize.higherIsBetter = false;
    imSize.reference = "ImageMagick convert";
    gsSize = imSize;
    gsSize.name = "bytes vs gifsicle -O3 of our file";
    gsSize.reference = "gifsicle -O3";
    gsSize.goal = "ratio <= 1.10";
    if (oursError.empty()) {
        time.value = ours.seconds;
        imSize.value = gsSize.value = double(ours.file.size());
    } else {
        time.note = imSize.note = gsSize.note = "ours: " + oursError;
    }

    if (toolAvailable("convert")) {
        std::cerr << "zoetra-bench: assembly, ImageMagick\n";
        std::vector<std::string> command = {"convert", "-delay", "10", "-loop", "0"};
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "frame%04d.ppm", i);
            writePpm(scratch.path() / name, frames[std::size_t(i)]);
            command.push_back((scratch.path() / name).string());
        }
        const std::filesystem::path out = scratch.path() / "imagemagick.gif";
        for (const char* a : {"-dither", "FloydSteinberg", "+remap", "-layers", "optimize"})
            command.push_back(a);
        command.push_back(out.string());
        int status = 0;
        const double t = medianSeconds(reps, [&] {
            const Stopwatch clock;
            status = runTool(command);
            return clock.seconds();
        });
        if (status == 0) {
            time.referenceValue = t;
            imSize.referenceValue = double(std::filesystem::file_size(out));
        } else {
            time.note = "convert failed with status " + std::to_string(status);
        }
    } else {
        time.note = imSize.note = "ImageMagick (convert) not installed";
    }
    if (!time.goal.empty() && !std::isnan(time.ratio()))
        time.goalMet = time.ratio() <= 0.5;

    if (oursError.empty()) {
        if (toolAvailable("gifsicle")) {
            std::cerr << "zoetra-bench: gifsicle -O3 on our file\n";
            const std::filesystem::path in = scratch.path() / "ours.gif";
            const std::filesystem::path out = scratch.path() / "gifsicle.gif";
            writeFile(in, ours.file);
            const int status = runTool({"gifsicle", "-O3", in.string(), "-o", out.string()});
            if (status == 0)
                gsSize.referenceValue = double(std::filesystem::file_size(out));
            else
                gsSize.note = "gifsicle failed with status " + std::to_string(status);
        } else {
            gsSize.note = "gifsicle not installed";
        }
        if (!std::isnan(gsSize.ratio()))
            gsSize.goalMet = gsSize.ratio() <= 1.10;
    }
    table.add(time);
    table.add(imSize);
    table.add(gsSize);

    // The same frames under other reductions: to 128 colours, and without dithering.
    const auto addVariant = [&](const std::string& what, TDitherMethod dither, int bits) {
        Figure variantTime, variantSize;
        variantTime.section = variantSize.section = section;
        variantTime.name = "time, " + what;
        variantTime.unit = std::string("s"); // (not = "s": GCC 12 warns falsely of overlapping copies)
        variantTime.higherIsBetter = variantSize.higherIsBetter = false;
        variantSize.name = "bytes, " + what;
        variantSize.unit = "bytes";
        variantSize.reference = "ImageMagick convert";
        variantSize.referenceValue = imSize.referenceValue;
        try {
            const AssemblyRun run = assembleMedian(frames, reps, dither, bits);
            variantTime.value = run.seconds;
            variantSize.value = double(run.file.size());
        } catch (const std::exception& e) {
            variantTime.note = variantSize.note = e.what();
        }
        table.add(variantTime);
        table.add(variantSize);
    };
    if (oursError.empty()) {
        addVariant("octree palette of 7 bits (128 colours)", dtFloydSteinberg, 7);
        addVariant("nearest colour instead of Floyd-Steinberg", dtNearest, 8);
    }

    memory.section = "Peak memory";
    memory.name = "assembly " + label;
    memory.unit = "MB heap";
    memory.higherIsBetter = false;
    if (oursError.empty()) {
        memory.value = double(ours.peakHeap) / 1e6;
        char note[96];
        std::snprintf(note, sizeof note, "input frames (%.1f MB) not counted",
                      double(frames.size()) * double(frames[0].width()) * frames[0].height() * 3 / 1e6);
        memory.note = note;
    } else {
        memory.note = "ours: " + oursError;
    }
    table.add(memory);

    // Twice the frames, and twice the pixels per frame.
    std::cerr << "zoetra-bench: assembly scaling\n";
    const int half = count / 2;
    Figure framesScaling, pixelScaling;
    framesScaling.section = pixelScaling.section = "Scaling (fastest time for twice the work / for the work)";
    framesScaling.name = "assembly, frames " + std::to_string(half) + " -> " + std::to_string(count) + " (" +
                         std::to_string(w) + "x" + std::to_string(h) + ")";
    pixelScaling.name = "assembly, " + sizeText(half, w, h) + " -> " + sizeText(half, w, 2 * h);
    framesScaling.unit = pixelScaling.unit = "x";
    framesScaling.higherIsBetter = pixelScaling.higherIsBetter = false;
    framesScaling.goal = pixelScaling.goal = "<= 2 (+10%)";
    if (oursError.empty()) {
        try {
            const std::vector<Bitmap> halfFrames(frames.begin(), frames.begin() + half);
            framesScaling.value = fastestRatio(reps, [&] { return assembleOnce(halfFrames).seconds; },
                                              [&] { return assembleOnce(frames).seconds; });
            framesScaling.goalMet = framesScaling.value <= linearScalingLimit;
            const std::vector<Bitmap> tall =
                movingDiscFrames(loadPhoto(options.dataDir / "harvesters.png", w, 2 * h), half);
            pixelScaling.value = fastestRatio(reps, [&] { return assembleOnce(halfFrames).seconds; },
                                             [&] { return assembleOnce(tall).seconds; });
            pixelScaling.goalMet = pixelScaling.value <= linearScalingLimit;
        } catch (const std::exception& e) {
            framesScaling.note = pixelScaling.note = e.what();
        }
    } else {
        framesScaling.note = pixelScaling.note = "ours: " + oursError;
    }
    table.add(framesScaling);
    table.add(pixelScaling);
}
