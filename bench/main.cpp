// zoetra-bench: speed, size and quality of the GIF library, the colour reduction and the
// animation assembly beside giflib, libimagequant, ImageMagick and gifsicle, in one run.

#include "bench/bench_options.h"
#include "bench/benchmark_groups.h"
#include "bench/figure_table.h"
#include "bench/timing.h"

#include <QGuiApplication>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/utsname.h>
#include <thread>

namespace {

std::string firstLineWith(const char* path, const std::string& key)
{
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line))
        if (line.rfind(key, 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    return "?";
}

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

std::string machineDescription()
{
    std::ostringstream s;
    utsname u{};
    uname(&u);
    s << "CPU " << firstLineWith("/proc/cpuinfo", "model name") << ", " << std::thread::hardware_concurrency()
      << " cores; memory " << firstLineWith("/proc/meminfo", "MemTotal") << "; " << u.sysname << " " << u.release
      << " " << u.machine << "; compiler " << __VERSION__
#ifdef NDEBUG
      << ", optimized build";
#else
      << ", UNOPTIMIZED build (assertions on): figures are not representative";
#endif
    return s.str();
}

} // namespace

int main(int argc, char** argv)
{
    BenchOptions options;
    try {
        options = parseOptions(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "zoetra-bench: " << e.what() << "\n" << benchUsage;
        return 2;
    }
    if (options.help) {
        std::cout << benchUsage;
        return 0;
    }
    // QtGui reads the PNG photos; no window is shown.
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    setMinimumMeasuringTime(options.quick ? 0.05 : 0.5);

    const std::string loadBefore = loadAverage();
    FigureTable table;
    try {
        if (options.only.empty() || options.only == "gif")
            runGifBenchmarks(options, table);
        if (options.only.empty() || options.only == "reduction")
            runReductionBenchmarks(options, table);
        if (options.only.empty() || options.only == "assembly")
            runAssemblyBenchmarks(options, table);
    } catch (const std::exception& e) {
        std::cerr << "zoetra-bench: error: " << e.what() << "\n";
        return 1;
    }
    const std::string loadAfter = loadAverage();
    const std::string machine =
        machineDescription() + "; load average before " + loadBefore + ", after " + loadAfter;

    std::cout << "zoetra-bench" << (options.quick ? " --quick" : "") << "\n" << machine << "\n";
    std::cout << "Each figure is the median of several runs (scaling: of the fastest runs); ratio = ours / reference.\n";
    table.print(std::cout);
    if (!options.jsonPath.empty()) {
        try {
            table.writeJson(options.jsonPath, machine, options.quick);
        } catch (const std::exception& e) {
            std::cerr << "zoetra-bench: " << e.what() << "\n";
            return 1;
        }
    }
    return 0;
}
