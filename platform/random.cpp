#include "platform/random.h"

#include <atomic>

namespace {
std::atomic<std::uint32_t> seed{0};

std::uint32_t nextSeed()
{
    std::uint32_t current = seed.load(std::memory_order_relaxed);
    std::uint32_t next;
    do {
        next = current * 0x08088405u + 1u;
    } while (!seed.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return next;
}
} // namespace

int random(int n)
{
    const std::uint32_t s = nextSeed();
    if (n <= 0)
        return 0;
    return int((std::uint64_t(s) * std::uint64_t(std::uint32_t(n))) >> 32);
}

double randomReal()
{
    return double(nextSeed()) / 4294967296.0;
}

std::uint32_t randomSeed() { return seed.load(); }
void setRandomSeed(std::uint32_t s) { seed.store(s); }
