#include "vistrel/platform/graphics/jpeg_scans.hpp"

#include <cstddef>
#include <cstdint>

namespace platform::graphics {

namespace {

unsigned byteAt(std::string_view bytes, std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); }

// Start-of-frame markers: C0 to CF but for DHT (C4), JPG (C8) and DAC (CC). C2, C6, CA
// and CE are progressive.
bool isStartOfFrame(unsigned marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}
bool isProgressive(unsigned marker) { return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE; }
// Markers without a length: the restarts, the start of the image and TEM.
bool standsAlone(unsigned marker) { return (marker >= 0xD0 && marker <= 0xD8) || marker == 0x01; }

}  // namespace

std::optional<bool> jpegScansWholePicture(std::string_view bytes) {
    if (bytes.size() < 2 || byteAt(bytes, 0) != 0xFF || byteAt(bytes, 1) != 0xD8) return std::nullopt;
    std::size_t at = 2;
    std::optional<unsigned> components;  // of the frame, once its marker is read
    bool progressive = false;
    for (;;) {
        // As the decoder does: bytes before a marker are skipped, and so are fill bytes.
        while (at < bytes.size() && byteAt(bytes, at) != 0xFF) ++at;
        while (at < bytes.size() && byteAt(bytes, at) == 0xFF) ++at;
        if (at >= bytes.size()) return std::nullopt;
        const unsigned marker = byteAt(bytes, at++);
        if (marker == 0x00 || standsAlone(marker)) continue;
        if (marker == 0xD9 || at + 2 > bytes.size()) return std::nullopt;  // the end before any scan
        const std::size_t length = byteAt(bytes, at) << 8 | byteAt(bytes, at + 1);
        if (length < 2 || at + length > bytes.size()) return std::nullopt;
        if (isStartOfFrame(marker) && !components) {
            if (length < 8) return std::nullopt;
            progressive = isProgressive(marker);
            components = byteAt(bytes, at + 7);
        } else if (marker == 0xDA) {
            if (!components || length < 3) return std::nullopt;
            return progressive || byteAt(bytes, at + 2) < *components;
        }
        at += length;
    }
}

}  // namespace platform::graphics
