// Decoding and encoding: TGIFImage against giflib on the sample files and synthetic animations.

#include "bench/benchmark_groups.h"
#include "bench/giflib_reference.h"
#include "bench/heap_tracker.h"
#include "bench/sample_pictures.h"
#include "bench/synthetic_animations.h"
#include "bench/timing.h"

#include "gif/gif_image.h"
#include "gif/gif_image_list.h"
#include "gif/gif_sub_image.h"
#include "platform/stream.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct GifInput {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

std::int64_t framePixels(const TGIFImage& gif)
{
    std::int64_t n = 0;
    for (int i = 0; i < gif.Images().Count(); ++i)
        n += std::int64_t(gif.Images().Items(i).Width()) * gif.Images().Items(i).Height();
    return n;
}

double oursDecodeSeconds(const std::vector<std::uint8_t>& bytes, std::int64_t& pixelBytes)
{
    MemoryStream stream(bytes);
    const Stopwatch clock;
    std::int64_t n = 0;
    {
        TGIFImage gif;
        gif.LoadFromStream(stream);
        n = framePixels(gif);
    }
    const double seconds = clock.seconds();
    pixelBytes = n;
    return seconds;
}

double oursEncodeSeconds(const TGIFImage& gif, std::vector<std::uint8_t>& output)
{
    MemoryStream stream;
    const Stopwatch clock;
    gif.SaveToStream(stream);
    const double seconds = clock.seconds();
    output = stream.takeData();
    return seconds;
}

std::string describe(const std::string& name, std::int64_t pixels, int frames)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s (%d fr, %.2f Mpx)", name.c_str(), frames, double(pixels) / 1e6);
    return text;
}

void measureFile(const BenchOptions& options, FigureTable& table, const GifInput& input)
{
    const int reps = options.reps(7);
    std::int64_t ourPixels = 0, theirPixels = 0;
    double ours = NAN, theirs = NAN;
    std::string oursError, theirsError;
    int frames = 0;
    const std::function<double()> oursOnce = [&] { return oursDecodeSeconds(input.bytes, ourPixels); };
    const std::function<double()> theirsOnce = [&] { return giflibDecodeSeconds(input.bytes, theirPixels); };
    // A first run of each warms the caches and finds out whether the file decodes at all.
    try {
        oursOnce();
    } catch (const std::exception& e) {
        oursError = e.what();
    }
    try {
        theirsOnce();
        frames = GiflibImage(input.bytes).frameCount();
    } catch (const std::exception& e) {
        theirsError = e.what();
    }
    if (oursError.empty() && theirsError.empty())
        medianPair(reps, oursOnce, theirsOnce, ours, theirs);
    else if (oursError.empty())
        ours = medianSeconds(reps, oursOnce);
    else if (theirsError.empty())
        theirs = medianSeconds(reps, theirsOnce);
    const std::string label = describe(input.name, theirPixels ? theirPixels : ourPixels, frames);

    Figure decode;
    decode.section = "GIF decode (LoadFromStream vs DGifSlurp, from memory)";
    decode.name = label;
    decode.unit = "MB/s";
    decode.reference = "giflib DGifSlurp";
    decode.goal = "ratio >= 1.5";
    if (oursError.empty())
        decode.value = double(ourPixels) / ours / 1e6;
    if (theirsError.empty())
        decode.referenceValue = double(theirPixels) / theirs / 1e6;
    if (!std::isnan(decode.ratio()))
        decode.goalMet = decode.ratio() >= 1.5;
    decode.note = oursError.empty() ? theirsError : "ours: " + oursError;
    if (oursError.empty() && theirsError.empty() && ourPixels != theirPixels)
        decode.note = "pixel counts differ: " + std::to_string(ourPixels) + " vs " + std::to_string(theirPixels);
    table.add(decode);

    // Peak heap of one decode (the file bytes themselves not counted).
    if (oursError.empty()) {
        MemoryStream stream(input.bytes);
        HeapProbe probe;
        {
            TGIFImage gif;
            gif.LoadFromStream(stream);
        }
        Figure memory;
        memory.section = "Peak memory";
        memory.name = "decode " + label;
        memory.value = double(probe.peakAbove()) / 1e6;
        memory.unit = "MB heap";
        char note[80];
        std::snprintf(note, sizeof note, "%.2f bytes per decoded pixel", double(probe.peakAbove()) / double(ourPixels));
        memory.note = note;
        memory.higherIsBetter = false;
        table.add(memory);
    }

    if (!oursError.empty() || !theirsError.empty())
        return;

    // Encoding the same frames, tables and extensions.
    TGIFImage gif;
    {
        MemoryStream stream(input.bytes);
        gif.LoadFromStream(stream);
    }
    gif.Encoding = enLZW;
    GiflibImage reference(input.bytes);
    std::vector<std::uint8_t> ourFile, theirFile;
    Figure speed, size;
    speed.section = "GIF encode (SaveToStream vs EGifSpew, LZW, to memory)";
    speed.name = label;
    speed.unit = "MB/s";
    speed.reference = "giflib EGifSpew";
    speed.goal = "ratio >= 1.5";
    size.section = "GIF encode size";
    size.name = label;
    size.unit = "bytes";
    size.reference = "giflib EGifSpew";
    size.higherIsBetter = false;
    size.goal = "ratio <= 1.01";
    try {
        double t = 0, tRef = 0;
        medianPair(reps, [&] { return oursEncodeSeconds(gif, ourFile); },
                   [&] { return giflibEncodeSeconds(reference, theirFile); }, t, tRef);
        speed.value = double(ourPixels) / t / 1e6;
        size.value = double(ourFile.size());
        speed.referenceValue = double(theirPixels) / tRef / 1e6;
        size.referenceValue = double(theirFile.size());
        // The written file must decode to the same pixels.
        GiflibImage check(ourFile);
        if (check.pixelBytes() != ourPixels)
            speed.note = "our file decodes to other frame sizes";
    } catch (const std::exception& e) {
        speed.note = size.note = e.what();
    }
    if (!std::isnan(speed.ratio()))
        speed.goalMet = speed.ratio() >= 1.5;
    if (!std::isnan(size.ratio()))
        size.goalMet = size.ratio() <= 1.01;
    table.add(speed);
    table.add(size);
}

// Time ratio of decoding and encoding twice the frames and twice the pixels per frame.
void measureScaling(const BenchOptions& options, FigureTable& table)
{
    const int frames = options.quick ? 10 : 25;
    const int w = options.quick ? 320 : 640;
    const int h = options.quick ? 240 : 480;
    const int reps = std::max(5, options.reps(7));
    struct Case {
        std::string name;
        IndexedAnimation small, large;
    };
    std::vector<Case> cases;
    cases.push_back({"noise, frames " + std::to_string(frames) + " -> " + std::to_string(2 * frames),
                     noiseAnimation(w, h, frames), noiseAnimation(w, h, 2 * frames)});
    cases.push_back({"noise, " + std::to_string(w) + "x" + std::to_string(h) + " -> " + std::to_string(w) + "x" +
                         std::to_string(2 * h),
                     noiseAnimation(w, h, frames), noiseAnimation(w, 2 * h, frames)});
    for (const Case& c : cases) {
        const auto smallBytes = writeWithGiflib(c.small);
        const auto largeBytes = writeWithGiflib(c.large);
        std::int64_t n = 0;
        Figure decode;
        decode.section = "Scaling (fastest time for twice the work / for the work)";
        decode.name = "decode " + c.name;
        decode.unit = "x";
        decode.higherIsBetter = false;
        decode.goal = "<= 2 (+10%)";
        Figure encode = decode;
        encode.name = "encode " + c.name;
        try {
            decode.value = fastestRatio(reps, [&] { return oursDecodeSeconds(smallBytes, n); },
                                       [&] { return oursDecodeSeconds(largeBytes, n); });
            decode.goalMet = decode.value <= linearScalingLimit;
            TGIFImage a, b;
            MemoryStream sa(smallBytes), sb(largeBytes);
            a.LoadFromStream(sa);
            b.LoadFromStream(sb);
            std::vector<std::uint8_t> out;
            encode.value = fastestRatio(reps, [&] { return oursEncodeSeconds(a, out); },
                                       [&] { return oursEncodeSeconds(b, out); });
            encode.goalMet = encode.value <= linearScalingLimit;
        } catch (const std::exception& e) {
            decode.note = encode.note = e.what();
        }
        table.add(decode);
        table.add(encode);
    }
}

} // namespace

void runGifBenchmarks(const BenchOptions& options, FigureTable& table)
{
    std::vector<GifInput> inputs;
    const std::vector<std::string> files =
        options.quick ? std::vector<std::string>{"harvesters.gif", "bricks-dither.gif"}
                      : std::vector<std::string>{"harvesters.gif", "gifplayer-muybridge.gif", "hibiscus.regular.gif",
                                                 "bricks-dither.gif"};
    for (const std::string& f : files) {
        try {
            inputs.push_back({f, readFileBytes(options.dataDir / f)});
        } catch (const std::exception& e) {
            std::cerr << "zoetra-bench: skipping " << f << ": " << e.what() << "\n";
        }
    }
    const int w = options.quick ? 320 : 640;
    const int h = options.quick ? 240 : 480;
    const int discFrames = options.quick ? 20 : 100;
    const int noiseFrames = options.quick ? 10 : 50;
    try {
        const Bitmap background = loadPhoto(options.dataDir / "harvesters.png", w, h);
        inputs.push_back({"moving disc " + std::to_string(w) + "x" + std::to_string(h),
                          writeWithGiflib(indexedMovingDisc(background, discFrames))});
    } catch (const std::exception& e) {
        std::cerr << "zoetra-bench: no moving-disc animation: " << e.what() << "\n";
    }
    inputs.push_back({"noise " + std::to_string(w) + "x" + std::to_string(h),
                      writeWithGiflib(noiseAnimation(w, h, noiseFrames))});

    for (const GifInput& input : inputs) {
        std::cerr << "zoetra-bench: GIF " << input.name << "\n";
        measureFile(options, table, input);
    }
    measureScaling(options, table);
}
