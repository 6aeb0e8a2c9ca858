#include "bench/timing.h"

#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t mid = times.size() / 2;
    return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
}

} // namespace

double medianSeconds(int repetitions, const std::function<double()>& once)
{
    std::vector<double> times;
    for (int i = 0; i < std::max(1, repetitions); ++i)
        times.push_back(once());
    return median(std::move(times));
}

double medianRatio(int repetitions, const std::function<double()>& small, const std::function<double()>& large)
{
    std::vector<double> a, b;
    for (int i = 0; i < std::max(1, repetitions); ++i) {
        a.push_back(small());
        b.push_back(large());
    }
    return median(std::move(b)) / median(std::move(a));
}
