#pragma once
// The allocator of pixel storage. Large rasters (a camera photo is 48 MB) are mapped
// straight from the kernel on huge-page boundaries and asked for huge pages, which
// cuts the cost of first touching them several times; such memory comes zeroed, so
// it is not written twice. Small ones come from the heap, zeroed. Meant for storage
// sized once: elements are only as zero as fresh memory, so a vector shrunk and grown
// again within its capacity keeps the old values.
#include <cstddef>
#include <new>

namespace platform::graphics {

namespace detail {
void* allocatePixels(std::size_t bytes);  // zeroed; throws std::bad_alloc
void freePixels(void* pointer, std::size_t bytes) noexcept;
}  // namespace detail

template <class T>
struct PixelAllocator {
    using value_type = T;

    PixelAllocator() = default;
    template <class U>
    PixelAllocator(const PixelAllocator<U>&) {}

    T* allocate(std::size_t count) {
        if (count > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(detail::allocatePixels(count * sizeof(T)));
    }
    void deallocate(T* pointer, std::size_t count) noexcept { detail::freePixels(pointer, count * sizeof(T)); }

    // The memory is zeroed already: value-initialising the elements writes nothing.
    template <class U>
    void construct(U* pointer) noexcept {
        ::new (static_cast<void*>(pointer)) U;
    }
    template <class U, class... Args>
    void construct(U* pointer, Args&&... args) {
        ::new (static_cast<void*>(pointer)) U(static_cast<Args&&>(args)...);
    }

    template <class U>
    friend bool operator==(const PixelAllocator&, const PixelAllocator<U>&) {
        return true;
    }
};

}  // namespace platform::graphics
