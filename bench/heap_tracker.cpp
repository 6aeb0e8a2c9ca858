#include "bench/heap_tracker.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::int64_t> live{0};
std::atomic<std::int64_t> peak{0};

void* track(void* p)
{
    if (p == nullptr)
        return nullptr;
    const auto n = std::int64_t(malloc_usable_size(p));
    const std::int64_t now = live.fetch_add(n, std::memory_order_relaxed) + n;
    std::int64_t seen = peak.load(std::memory_order_relaxed);
    while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
    return p;
}

void* allocate(std::size_t size)
{
    void* p = track(std::malloc(size == 0 ? 1 : size));
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    const std::size_t a = std::size_t(alignment) < sizeof(void*) ? sizeof(void*) : std::size_t(alignment);
    void* p = nullptr;
    if (posix_memalign(&p, a, size == 0 ? 1 : size) != 0)
        throw std::bad_alloc();
    return track(p);
}

void release(void* p) noexcept
{
    if (p == nullptr)
        return;
    live.fetch_sub(std::int64_t(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

} // namespace

namespace heap {
std::int64_t liveBytes() { return live.load(std::memory_order_relaxed); }
void resetPeak() { peak.store(live.load(std::memory_order_relaxed), std::memory_order_relaxed); }
std::int64_t peakBytes() { return peak.load(std::memory_order_relaxed); }
} // namespace heap

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return track(std::malloc(size == 0 ? 1 : size));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return track(std::malloc(size == 0 ? 1 : size));
}
void* operator new(std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
