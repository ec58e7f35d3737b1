#include "vistrel/platform/graphics/pixel_allocator.hpp"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace platform::graphics::detail {

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Below this the heap serves better (and the memory may be reused without a fault).
constexpr std::size_t kMappedFrom = std::size_t(4) << 20;

std::size_t mappedLength(std::size_t bytes) { return (bytes + 2 * kHugePage - 1) / kHugePage * kHugePage; }
}  // namespace

void* allocatePixels(std::size_t bytes) {
    if (bytes < kMappedFrom) {
        void* pointer = std::calloc(bytes ? bytes : 1, 1);
        if (!pointer) throw std::bad_alloc();
        return pointer;
    }
    // One huge page more than needed, so an aligned start can be picked; the slack at
    // both ends is given back at once.
    const std::size_t length = mappedLength(bytes);
    void* mapped = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    auto start = reinterpret_cast<std::uintptr_t>(mapped);
    auto aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::size_t used = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) munmap(mapped, aligned - start);
    if (start + length > aligned + used) munmap(reinterpret_cast<void*>(aligned + used), start + length - aligned - used);
    madvise(reinterpret_cast<void*>(aligned), used, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void freePixels(void* pointer, std::size_t bytes) noexcept {
    if (!pointer) return;
    if (bytes < kMappedFrom) {
        std::free(pointer);
        return;
    }
    munmap(pointer, (bytes + kHugePage - 1) / kHugePage * kHugePage);
}

}  // namespace platform::graphics::detail
