#include "vistrel/platform/graphics/gif_lzw_decoder.hpp"

#include <algorithm>

namespace platform::graphics {

namespace {
constexpr unsigned kWidestCode = 12;
}  // namespace

// Inline, so that the loop over the codes keeps them in itself.
inline void GifLzwDecoder::startOver() {
    next_ = end_ + 1;
    bits_ = codeSize_ + 1;
    previous_ = kTableSize;
}

GifLzwDecoder::GifLzwDecoder(int codeSize, std::span<std::uint8_t> out) : out_(out) {
    if (codeSize < 0 || codeSize > 8) return;
    valid_ = true;
    codeSize_ = static_cast<unsigned>(codeSize);
    clear_ = 1u << codeSize_;
    end_ = clear_ + 1;
    for (unsigned index = 0; index < clear_; ++index)
        table_[index] = {0, 1, static_cast<std::uint8_t>(index), static_cast<std::uint8_t>(index)};
    startOver();
}

inline bool GifLzwDecoder::take(unsigned code) {
    if (code == clear_) {
        startOver();
        return true;
    }
    const bool afterAnother = previous_ != kTableSize;
    if (code < clear_ || (code > end_ && code < next_)) {
        write(code);
        if (afterAnother && next_ < kTableSize) add(previous_, table_[code].first);
    } else if (code == next_ && afterAnother && next_ < kTableSize) {
        // The string of the code before, and its first index again: the entry this very
        // code adds.
        add(previous_, table_[previous_].first);
        write(code);
    } else {
        return false;  // the end code before the last pixel, or a code not in the table
    }
    previous_ = code;
    // The code size grows when the next free entry no longer fits, up to 12 bits; a full
    // table stays as it is until a clear code.
    if (next_ >= (1u << bits_) && bits_ < kWidestCode) ++bits_;
    return true;
}

inline void GifLzwDecoder::add(unsigned prefix, std::uint8_t suffix) {
    const Entry& before = table_[prefix];
    table_[next_++] = {static_cast<std::uint16_t>(prefix), static_cast<std::uint16_t>(before.length + 1), suffix,
                       before.first};
}

// The code's string, back to front from its last index; only the part that still has
// pixels to go to.
inline void GifLzwDecoder::write(unsigned code) {
    const std::size_t length = table_[code].length;
    const std::size_t count = std::min(length, out_.size() - filled_);
    for (std::size_t skipped = count; skipped < length; ++skipped) code = table_[code].prefix;
    for (std::size_t at = filled_ + count; at-- > filled_;) {
        out_[at] = table_[code].suffix;
        code = table_[code].prefix;
    }
    filled_ += count;
}

bool GifLzwDecoder::decode(std::string_view block) {
    if (!valid_) return false;
    for (const char byte : block) {
        if (filled()) return true;
        pending_ |= std::uint32_t(static_cast<std::uint8_t>(byte)) << pendingBits_;
        pendingBits_ += 8;
        while (pendingBits_ >= bits_ && !filled()) {
            const unsigned code = pending_ & ((1u << bits_) - 1);
            pending_ >>= bits_;
            pendingBits_ -= bits_;
            if (!take(code)) return false;
        }
    }
    return true;
}

}  // namespace platform::graphics
