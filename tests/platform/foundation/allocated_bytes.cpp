#include "allocated_bytes.hpp"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* held(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block) throw std::bad_alloc();
    const std::size_t live = gLive.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) + malloc_usable_size(block);
    for (std::size_t peak = gPeak.load(std::memory_order_relaxed);
         live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed);) {
    }
    return block;
}

void released(void* block) noexcept {
    if (!block) return;
    gLive.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

// Every form but the aligned ones, which keep the library's own pair.
void* operator new(std::size_t size) { return held(size); }
void* operator new[](std::size_t size) { return held(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return held(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
void operator delete(void* block) noexcept { released(block); }
void operator delete[](void* block) noexcept { released(block); }
void operator delete(void* block, std::size_t) noexcept { released(block); }
void operator delete[](void* block, std::size_t) noexcept { released(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { released(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { released(block); }

namespace testsupport {

void restartPeakAllocatedBytes() { gPeak.store(gLive.load(std::memory_order_relaxed), std::memory_order_relaxed); }

std::size_t peakAllocatedBytes() { return gPeak.load(std::memory_order_relaxed); }

}  // namespace testsupport
