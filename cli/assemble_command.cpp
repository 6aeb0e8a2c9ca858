// zoetra-cli assemble: picture files as the frames of one animated GIF, assembled the way the
// editor assembles its frames.

#include "cli/command.h"
#include "cli/method_names.h"
#include "color/reduction_types.h"
#include "editor/assembly/animation_assembly.h"
#include "editor/assembly/frame_reduction.h"
#include "editor/assembly/frame_source.h"
#include "gif/gif_image.h"
#include "platform/exceptions.h"
#include "platform/stream.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

int runAssemble(const std::vector<std::string>& args)
{
    std::string output;
    int delay = 10;
    int loop = 0;
    bool transparent = false;
    bool merge = false;
    bool crop = false;
    TReductionMethod method = rdQuantizeWindows;
    int bits = 8;
    TDitherMethod dither = dtFloydSteinberg;
    std::vector<std::string> files;

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true; // the rest are file names
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        if (arg == "--transparent" || arg == "--merge" || arg == "--crop") {
            if (hasValue)
                return cliUsageError("assemble: " + arg + " takes no value");
            (arg == "--transparent" ? transparent : arg == "--merge" ? merge : crop) = true;
            continue;
        }
        if (arg != "-o" && arg != "--delay" && arg != "--loop" && arg != "--palette" && arg != "--bits" &&
            arg != "--dither")
            return cliUsageError("assemble: unknown option '" + arg + "'");
        if (!hasValue) {
            if (i + 1 >= args.size())
                return cliUsageError("assemble: " + arg + " needs a value");
            value = args[++i];
        }
        if (arg == "-o") {
            output = value;
        } else if (arg == "--delay") {
            const auto n = parseCliNumber(value, 65535);
            if (!n)
                return cliUsageError("assemble: --delay takes hundredths of a second from 0 to 65535");
            delay = *n;
        } else if (arg == "--loop") {
            const auto n = parseCliNumber(value, 65535);
            if (!n)
                return cliUsageError("assemble: --loop takes a count from 0 (forever) to 65535");
            loop = *n;
        } else if (arg == "--palette") {
            // rdPalette needs a palette of the caller's and is not offered.
            const auto m = reductionMethodByName(value);
            if (!m || *m == rdPalette)
                return cliUsageError("assemble: unknown palette method '" + value + "'");
            method = *m;
        } else if (arg == "--dither") {
            const auto d = ditherMethodByName(value);
            if (!d)
                return cliUsageError("assemble: unknown dither method '" + value + "'");
            dither = *d;
        } else {
            const auto b = parseCliNumber(value, 8);
            if (!b || *b < 1)
                return cliUsageError("assemble: --bits takes a number from 1 to 8");
            bits = *b;
        }
    }
    if (output.empty())
        return cliUsageError("assemble: -o OUT is required");
    if (files.empty())
        return cliUsageError("assemble: expected at least one picture file");

    // The frames: the first picture fixes the frame size; the others are fitted into it.
    std::vector<Bitmap> pictures;
    pictures.reserve(files.size());
    for (const std::string& file : files) {
        std::optional<Bitmap> picture = loadFrameImage(file);
        if (!picture)
            throw Exception("cannot read " + file + ": pictures are .bmp, .gif, .jpg, .jpeg or .ico files");
        if (!pictures.empty())
            fitToFrame(*picture, pictures.front().width(), pictures.front().height());
        pictures.push_back(std::move(*picture));
    }
    std::vector<AssemblyFrame> frames;
    for (const Bitmap& picture : pictures)
        frames.push_back(AssemblyFrame{&picture, transparent, delay});

    AssemblyOptions options;
    options.loopCount = loop;
    options.merge = merge;
    options.crop = crop;
    options.reduce = [&](Bitmap& work) { reduceFrameBitmap(work, method, bits, dither); };
    options.chosenPaletteMethod = [&] { return method; };
    options.chosenDitherMethod = [&] { return dither; };

    TGIFImage gif;
    Bitmap work;
    assembleAnimation(gif, frames, options, work);
    MemoryStream data;
    gif.SaveToStream(data);
    writeFileAtomically(output, data.memory(), std::size_t(data.size()));
    std::printf("%s: %lld bytes, %zu frames\n", output.c_str(), static_cast<long long>(data.size()), frames.size());
    return 0;
}

const CommandRegistration registration(CliCommand{
    "assemble",
    "assemble -o OUT [--delay N] [--loop N] [--transparent] [--palette METHOD] [--bits N]\n"
    "         [--dither METHOD] [--merge] [--crop] IMAGE...",
    "Assembles BMP, GIF (first image), JPEG and ICO pictures into one animated GIF, as the\n"
    "editor does: the first picture fixes the frame size and the others are stretched into it\n"
    "keeping their proportions; every frame is reduced to at most 256 colours; the colour\n"
    "tables are merged. Prints the size of OUT in bytes.\n"
    "--delay N: delay of every frame in hundredths of a second (default 10).\n"
    "--loop N: loop count, 0 = forever (default 0).\n"
    "--transparent: the colour of each frame's bottom-left pixel is transparent.\n"
    "--palette: none, windows20, windows256, windowsgray, monochrome, grayscale, webpalette,\n"
    "  quantize, quantizewindows (default).\n"
    "--bits N: colours of quantize as 2^N, N from 1 to 8 (default 8).\n"
    "--dither: nearest, floydsteinberg (default), stucki, sierra, jajuni, stevearche, burkes.\n"
    "--merge, --crop: leave out what repeats between frames.",
    runAssemble,
});

} // namespace
