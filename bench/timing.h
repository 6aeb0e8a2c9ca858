#pragma once
// Timing: a monotonic stopwatch and the median of several repetitions.

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

// Runs once() repetitions times (at least once) and returns the median of the seconds each call
// reports; once() times only the part that is being measured, so its set-up stays outside.
double medianSeconds(int repetitions, const std::function<double()>& once);

// Median time of large() over the median time of small(), the two run alternately so that a
// change of the machine's load hits both alike.
double medianRatio(int repetitions, const std::function<double()>& small, const std::function<double()>& large);
