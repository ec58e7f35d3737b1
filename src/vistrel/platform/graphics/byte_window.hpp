#pragma once
// Some of a file's bytes, those from an offset on, read by their offsets in the file
// (internal to platform/graphics): what a reader that goes through a file in pieces still
// holds of it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace platform::graphics {

struct ByteWindow {
    std::string_view bytes;
    std::size_t from = 0;  // the offset of the first of them

    // The offset just past the last byte held.
    std::size_t end() const { return from + bytes.size(); }
    // The byte at an offset from `from` up to end() (excluded).
    unsigned at(std::size_t offset) const { return static_cast<std::uint8_t>(bytes[offset - from]); }
    std::uint32_t bigEndian32(std::size_t offset) const {
        return at(offset) << 24 | at(offset + 1) << 16 | at(offset + 2) << 8 | at(offset + 3);
    }
    std::string_view part(std::size_t offset, std::size_t count) const { return bytes.substr(offset - from, count); }
    // The offset of the first 0xFF at or after `offset`, or end().
    std::size_t nextFF(std::size_t offset) const {
        if (offset >= end()) return end();
        const char* start = bytes.data() + (offset - from);
        const void* found = std::memchr(start, 0xFF, end() - offset);
        return found ? offset + static_cast<std::size_t>(static_cast<const char*>(found) - start) : end();
    }
};

}  // namespace platform::graphics
