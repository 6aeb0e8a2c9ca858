#pragma once
// The groups of figures zoetra-bench measures; each adds its figures to the table and reports a
// figure it cannot measure with a note instead of stopping the run.

#include "bench/bench_options.h"
#include "bench/figure_table.h"

void runGifBenchmarks(const BenchOptions& options, FigureTable& table);
void runReductionBenchmarks(const BenchOptions& options, FigureTable& table);
void runAssemblyBenchmarks(const BenchOptions& options, FigureTable& table);

// The goal for the time ratio of twice the work: at most double, with a tenth for timing noise.
constexpr double linearScalingLimit = 2.2;
