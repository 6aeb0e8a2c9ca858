#pragma once
// Live and peak heap bytes of everything allocated through operator new (all of our C++ code and
// Qt; not malloc calls of C libraries). heap_tracker.cpp replaces the global operators.

#include <cstdint>

namespace heap {
std::int64_t liveBytes();
// Starts a new peak at the current live bytes.
void resetPeak();
std::int64_t peakBytes();
} // namespace heap

// Peak bytes above those live when the probe was made.
class HeapProbe {
public:
    HeapProbe() : base_(heap::liveBytes()) { heap::resetPeak(); }
    std::int64_t peakAbove() const { return heap::peakBytes() - base_; }

private:
    std::int64_t base_;
};
