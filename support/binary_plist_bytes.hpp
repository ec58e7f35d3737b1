#pragma once
// Binary property-list files built byte by byte, for tests and benchmarks that need a file
// of a given shape (shared objects, wide references, damaged tables) no writer makes.
#include <cstdint>
#include <string>
#include <vector>

namespace plisttest {

inline void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A binary property list of the objects (each its marker and contents, references
// `refWidth` bytes wide), the first at the top; offsets 4 bytes wide.
inline std::string binaryPlist(const std::vector<std::string>& objects, int refWidth = 2) {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const std::string& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    const std::uint64_t table = out.size();
    for (std::uint64_t offset : offsets) appendBigEndian(out, offset, 4);
    out.append(6, '\0');
    out.push_back(4);  // offset width
    out.push_back(static_cast<char>(refWidth));
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

}  // namespace plisttest
