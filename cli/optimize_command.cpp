// zoetra-cli optimize [--merge] [--crop] [--cleanup] [--sort] FILE OUT: one merged colour
// table and the chosen optimizer steps.

#include "cli/command.h"
#include "gif/gif_image.h"
#include "platform/stream.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int runOptimize(const std::vector<std::string>& args)
{
    TGIFOptimizeSteps steps = 0;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& a : args) {
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && a == "--merge") {
            steps |= TGIFOptimizeSteps(1u << osMerge);
        } else if (!optionsEnded && a == "--crop") {
            steps |= TGIFOptimizeSteps(1u << osCrop);
        } else if (!optionsEnded && a == "--cleanup") {
            steps |= TGIFOptimizeSteps(1u << osCleanup);
        } else if (!optionsEnded && a == "--sort") {
            steps |= TGIFOptimizeSteps(1u << osSortColorMaps);
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            return cliUsageError("optimize: unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        return cliUsageError("optimize: expected FILE and OUT");
    const std::vector<std::uint8_t> bytes = readFileBytes(files[0]);
    TGIFImage image;
    MemoryStream in(bytes);
    image.LoadFromStream(in);
    image.MergeColorMaps();
    image.Optimize(steps, rdNone, dtNearest, 8);
    MemoryStream out;
    image.SaveToStream(out);
    writeFileAtomically(files[1], out.memory(), std::size_t(out.size()));
    std::printf("before: %zu bytes\nafter: %lld bytes\n", bytes.size(), static_cast<long long>(out.size()));
    return 0;
}

const CommandRegistration registration{CliCommand{
    "optimize",
    "optimize [--merge] [--crop] [--cleanup] [--sort] FILE OUT",
    "Reads the GIF file FILE, merges all colour tables into one global table ordered by use,\n"
    "then runs the chosen optimizer steps (--merge: pixels that repeat the frame below become\n"
    "transparent; --crop: transparent borders are cut off, frames with nothing left are removed;\n"
    "--cleanup: useless transparency, disposal and extensions removed; --sort: colour tables\n"
    "sorted by use), writes OUT and prints the sizes before and after in bytes.",
    runOptimize,
}};

} // namespace
