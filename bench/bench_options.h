#pragma once
// Command line of zoetra-bench and the settings every benchmark group reads.

#include <filesystem>
#include <string>

struct BenchOptions {
    bool quick = false;          // --quick: a reduced set in well under a minute
    std::string jsonPath;        // --json FILE
    std::filesystem::path dataDir = ZOETRA_SAMPLE_DIR; // --data DIR
    int repetitions = 0;         // --repetitions N; 0: the group's default
    std::string only;            // --only gif|reduction|assembly: one group
    bool help = false;

    // Repetitions of a figure whose full-run default is fullDefault (the quick run uses 3 at most).
    int reps(int fullDefault) const;
};

// Throws std::invalid_argument with a message for wrong usage.
BenchOptions parseOptions(int argc, char** argv);

extern const char* const benchUsage;
