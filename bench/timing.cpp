#include "bench/timing.h"

#include <algorithm>
#include <vector>

namespace {

double minimumTotal = 0;
constexpr int maximumRepetitions = 60;

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t mid = times.size() / 2;
    return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
}

// Repetitions run so far are enough when there are at least the asked number and they took the
// minimum total time (or the cap is reached).
bool enough(int done, int asked, double total)
{
    return done >= std::max(1, asked) && (total >= minimumTotal || done >= maximumRepetitions);
}

} // namespace

void setMinimumMeasuringTime(double seconds) { minimumTotal = seconds; }

double medianSeconds(int repetitions, const std::function<double()>& once)
{
    std::vector<double> times;
    double total = 0;
    while (!enough(int(times.size()), repetitions, total)) {
        times.push_back(once());
        total += times.back();
    }
    return median(std::move(times));
}

void medianPair(int repetitions, const std::function<double()>& a, const std::function<double()>& b, double& medianA,
                double& medianB)
{
    std::vector<double> ta, tb;
    double total = 0;
    while (!enough(int(ta.size()), repetitions, total)) {
        ta.push_back(a());
        tb.push_back(b());
        total += std::min(ta.back(), tb.back());
    }
    medianA = median(std::move(ta));
    medianB = median(std::move(tb));
}

double fastestRatio(int repetitions, const std::function<double()>& small, const std::function<double()>& large)
{
    std::vector<double> ta, tb;
    double total = 0;
    while (!enough(int(ta.size()), repetitions, total)) {
        ta.push_back(small());
        tb.push_back(large());
        total += ta.back();
    }
    return *std::min_element(tb.begin(), tb.end()) / *std::min_element(ta.begin(), ta.end());
}
