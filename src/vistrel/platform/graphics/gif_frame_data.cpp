#include "vistrel/platform/graphics/gif_frame_data.hpp"

#include <algorithm>
#include <cstdint>

namespace platform::graphics {

namespace {
constexpr int kWidestCode = 12;
constexpr unsigned kTableSize = 1u << kWidestCode;
}  // namespace

long long maxGifClearCodes(long long pixels) { return std::max(0LL, pixels) / 2 + 256; }

long long maxGifFrameDataBytes(long long pixels) {
    const long long codes = std::max(0LL, pixels) + maxGifClearCodes(pixels) + 1;  // and the end code
    const long long data = (codes * kWidestCode + 7) / 8;
    return data + data / 255 + 1 + 1024;
}

bool gifFrameDataWithinBounds(std::string_view bytes, std::size_t at, int codeSize, long long pixels) {
    // The decoder refuses such a code size itself.
    if (codeSize < 0 || codeSize >= kWidestCode) return true;
    const long long maxClears = maxGifClearCodes(pixels), maxBytes = maxGifFrameDataBytes(pixels);
    const unsigned clear = 1u << codeSize, end = clear + 1;
    // As the decoder counts: the code size grows when the next free entry passes the
    // largest code of the size, up to the widest; a clear code starts over.
    unsigned next = end + 1, bits = unsigned(codeSize) + 1, largest = 1u << bits;
    std::uint32_t pending = 0;
    unsigned pendingBits = 0;
    long long clears = 0, total = 0;
    bool ended = false;
    while (at < bytes.size()) {
        const std::size_t length = static_cast<std::uint8_t>(bytes[at++]);
        if (length == 0) return true;
        if ((total += static_cast<long long>(length)) > maxBytes) return false;
        const std::size_t blockEnd = std::min(bytes.size(), at + length);
        for (; at < blockEnd && !ended; ++at) {
            pending |= std::uint32_t(static_cast<std::uint8_t>(bytes[at])) << pendingBits;
            pendingBits += 8;
            while (pendingBits >= bits) {
                const unsigned code = pending & ((1u << bits) - 1);
                pending >>= bits;
                pendingBits -= bits;
                if (next < kTableSize + 1 && ++next > largest && bits < unsigned(kWidestCode)) {
                    largest <<= 1;
                    ++bits;
                }
                if (code == clear) {
                    if (++clears > maxClears) return false;
                    next = end + 1;
                    bits = unsigned(codeSize) + 1;
                    largest = 1u << bits;
                } else if (code == end) {
                    ended = true;  // what follows the end code is passed over unread
                    break;
                }
            }
        }
        at = blockEnd;
    }
    return true;
}

}  // namespace platform::graphics
