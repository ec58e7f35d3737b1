#pragma once
// The LZW codes of a GIF frame's data turned into its colour indices (internal to
// platform/graphics). giflib parses the records and hands over the data's blocks; the
// codes are decoded here so that a clear code costs what any other code costs: only the
// next free entry and the code size start over, and an entry past the next free one is
// never read before a code writes it. (giflib writes all 4,096 entries of its table at
// every clear code, and a frame may hold one for every two of its pixels, as encoders
// that do not compress write them for small palettes.)
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace platform::graphics {

class GifLzwDecoder {
public:
    // The indices of `out.size()` pixels, in the order of the data, from codes of
    // `codeSize` + 1 bits at first (a code size of 0 to 8, as giflib takes them).
    GifLzwDecoder(int codeSize, std::span<std::uint8_t> out);

    // Decodes the codes of the next data block. False when the codes are damaged (a code
    // the table does not hold yet, or a code size out of range) or end (the end code)
    // before every pixel has its index; once every pixel has one, the rest is passed over.
    bool decode(std::string_view block);
    bool filled() const { return filled_ == out_.size(); }

private:
    // Written when a code adds it (the single indices when the decoder is made), and read
    // only after.
    struct Entry {
        std::uint16_t prefix;  // the code of the string this one extends
        std::uint16_t length;  // in indices
        std::uint8_t suffix;   // its last index
        std::uint8_t first;    // its first index
    };
    static constexpr unsigned kTableSize = 4096;  // codes of 12 bits at most

    void startOver();
    bool take(unsigned code);
    void add(unsigned prefix, std::uint8_t suffix);
    void write(unsigned code);

    std::span<std::uint8_t> out_;
    std::size_t filled_ = 0;
    bool valid_ = false;
    unsigned codeSize_ = 0, clear_ = 0, end_ = 0;
    unsigned next_ = 0;          // the next free entry
    unsigned bits_ = 0;          // of the next code
    unsigned previous_ = 0;      // the last code since the table started over; none: kTableSize
    std::uint32_t pending_ = 0;  // bits read and not yet taken, the first in the lowest bit
    unsigned pendingBits_ = 0;
    std::array<Entry, kTableSize> table_;
};

}  // namespace platform::graphics
