#include "bench/bench_options.h"

#include <algorithm>
#include <stdexcept>

const char* const benchUsage =
    "usage: zoetra-bench [--quick] [--json FILE] [--data DIR] [--repetitions N] [--only GROUP]\n"
    "  --quick          a reduced set of figures (well under a minute)\n"
    "  --json FILE      also write every figure with its unit, reference and ratio as JSON\n"
    "  --data DIR       folder of the sample pictures (default: the shared bench-data folder)\n"
    "  --repetitions N  repetitions per figure (the median is reported; default 3 to 7)\n"
    "  --only GROUP     only one group of figures: gif, reduction or assembly\n";

int BenchOptions::reps(int fullDefault) const
{
    if (repetitions > 0)
        return repetitions;
    return quick ? std::min(3, fullDefault) : fullDefault;
}

BenchOptions parseOptions(int argc, char** argv)
{
    BenchOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::invalid_argument(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--quick")
            options.quick = true;
        else if (arg == "--json")
            options.jsonPath = value();
        else if (arg == "--data")
            options.dataDir = value();
        else if (arg == "--repetitions") {
            const std::string v = value();
            std::size_t used = 0;
            int n = 0;
            try {
                n = std::stoi(v, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != v.size() || n < 1 || n > 1000)
                throw std::invalid_argument("--repetitions needs a number from 1 to 1000");
            options.repetitions = n;
        } else if (arg == "--only") {
            options.only = value();
            if (options.only != "gif" && options.only != "reduction" && options.only != "assembly")
                throw std::invalid_argument("--only needs gif, reduction or assembly");
        } else if (arg == "--help" || arg == "-h")
            options.help = true;
        else
            throw std::invalid_argument("unknown option " + arg);
    }
    return options;
}
