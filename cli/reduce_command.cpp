// zoetra-cli reduce: colour reduction of one picture file to an 8-bit BMP.

#include "cli/command.h"
#include "cli/method_names.h"
#include "color/reduce_to_palette.h"
#include "color/reduction_types.h"
#include "platform/exceptions.h"
#include "platform/image_file.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

int runReduce(const std::vector<std::string>& args)
{
    TReductionMethod method = DefaultReductionMethod;
    TDitherMethod dither = DefaultDitherMethod;
    int bits = DefaultReductionBits;
    std::vector<std::string> files;

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        if (!optionsEnded && arg == "--") {
            optionsEnded = true; // the rest are file names, even when they begin with "--"
            continue;
        }
        if (!optionsEnded && arg.rfind("--", 0) == 0 && arg.size() > 2) {
            const std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasValue = true;
            }
            if (arg != "--palette" && arg != "--bits" && arg != "--dither")
                return cliUsageError("reduce: unknown option '" + arg + "'");
            if (!hasValue) {
                if (i + 1 >= args.size())
                    return cliUsageError("reduce: " + arg + " needs a value");
                value = args[++i];
            }
            if (arg == "--palette") {
                const auto m = reductionMethodByName(value);
                if (!m)
                    return cliUsageError("reduce: unknown palette method '" + value + "'");
                method = *m;
            } else if (arg == "--dither") {
                const auto d = ditherMethodByName(value);
                if (!d)
                    return cliUsageError("reduce: unknown dither method '" + value + "'");
                dither = *d;
            } else {
                const auto b = parseCliNumber(value, 8);
                if (!b || *b < 1 || *b > 8)
                    return cliUsageError("reduce: --bits takes a number from 1 to 8");
                bits = *b;
            }
            continue;
        }
        files.push_back(arg);
    }
    if (files.size() != 2)
        return cliUsageError("reduce: expected an input and an output file");

    Bitmap source = loadImageFile(files[0]);
    Bitmap result = ReduceToPalette(source, method, dither, bits, nullptr);
    if (result.empty()) {
        if (method == rdPalette)
            throw Exception("reduction abandoned: the 'palette' method reduces to a given palette, and none is given");
        throw Exception("reduction abandoned: no picture was produced");
    }
    result.saveToFile(files[1]);
    std::printf("%s: %d x %d, %d bits per pixel (palette %s, dither %s, bits %d)\n", files[1].c_str(),
                result.width(), result.height(), result.bitsPerPixel(),
                std::string(reductionMethodName(method)).c_str(), std::string(ditherMethodName(dither)).c_str(), bits);
    return 0;
}

const CommandRegistration registration(CliCommand{
    "reduce",
    "reduce [--palette METHOD] [--bits N] [--dither METHOD] IN OUT",
    "Reduces a BMP, JPEG or ICO picture to at most 256 colours and writes it as an 8-bit BMP\n"
    "with a 256-entry colour table (a 24-bit BMP for --palette none).\n"
    "--palette: none, windows20, windows256, windowsgray, monochrome, grayscale,\n"
    "  webpalette (default), quantize (2^N colours of the picture), quantizewindows\n"
    "  (236 colours of the picture between the 20 system colours), palette.\n"
    "--bits N: colours of quantize as 2^N, N from 1 to 8 (default 8).\n"
    "--dither: nearest (default), floydsteinberg, stucki, sierra, jajuni, stevearche, burkes.",
    runReduce,
});

} // namespace
