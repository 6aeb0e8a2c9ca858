#pragma once
// Timing: a monotonic stopwatch, medians of several repetitions and ratios of two sizes.

#include <chrono>
#include <functional>

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

// Short figures repeat beyond the asked repetitions until their runs add up to this many
// seconds (at most 60 runs), so that a millisecond figure is a median of many.
void setMinimumMeasuringTime(double seconds);

// Runs once() repetitions times (at least once) and returns the median of the seconds each call
// reports; once() times only the part that is being measured, so its set-up stays outside.
double medianSeconds(int repetitions, const std::function<double()>& once);

// Median times of a() and b(), the two run alternately (for side-by-side figures), so that a
// change of the machine's load hits both alike.
void medianPair(int repetitions, const std::function<double()>& a, const std::function<double()>& b, double& medianA,
                double& medianB);

// Fastest time of large() over the fastest time of small(), run alternately. On a shared machine
// the longer run is more often interrupted, which would bias a ratio of medians upwards; the
// fastest runs are the uninterrupted ones.
double fastestRatio(int repetitions, const std::function<double()>& small, const std::function<double()>& large);
