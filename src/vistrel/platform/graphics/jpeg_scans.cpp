#include "vistrel/platform/graphics/jpeg_scans.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "vistrel/platform/graphics/byte_window.hpp"
#include "vistrel/platform/graphics/picture_ends.hpp"

namespace platform::graphics {

namespace {

unsigned byteAt(std::string_view bytes, std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); }

// Start-of-frame markers: C0 to CF but for DHT (C4), JPG (C8) and DAC (CC). C2, C6, CA
// and CE are progressive.
bool isStartOfFrame(unsigned marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}
bool isProgressive(unsigned marker) { return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE; }
bool isRestart(unsigned marker) { return marker >= 0xD0 && marker <= 0xD7; }
// Markers without a length: the restarts, the start of the image and TEM.
bool standsAlone(unsigned marker) { return isRestart(marker) || marker == 0xD8 || marker == 0x01; }

std::optional<JpegFrame> frameOf(unsigned marker, std::string_view body) {
    if (body.size() < 6) return std::nullopt;
    JpegFrame frame;
    frame.progressive = isProgressive(marker);
    frame.height = static_cast<int>(byteAt(body, 1) << 8 | byteAt(body, 2));
    frame.width = static_cast<int>(byteAt(body, 3) << 8 | byteAt(body, 4));
    const std::size_t count = byteAt(body, 5);
    if (count == 0 || body.size() < 6 + 3 * count) return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned sampling = byteAt(body, 6 + 3 * i + 1);
        const JpegComponent component{static_cast<int>(sampling >> 4), static_cast<int>(sampling & 15)};
        if (component.horizontal < 1 || component.horizontal > 4 || component.vertical < 1 || component.vertical > 4)
            return std::nullopt;
        frame.components.push_back(component);
    }
    return frame;
}

}  // namespace

bool JpegFrame::heldWhole(std::size_t firstScanComponents) const {
    return progressive || firstScanComponents < components.size();
}

long long JpegFrame::coefficientBytes() const {
    int maxHorizontal = 1, maxVertical = 1;
    for (const JpegComponent& c : components) {
        maxHorizontal = std::max(maxHorizontal, c.horizontal);
        maxVertical = std::max(maxVertical, c.vertical);
    }
    // Blocks of 8 x 8 samples across and down each component, rounded up to whole units of
    // its sampling; 64 coefficients of two bytes each.
    auto blocks = [](long long side, int sampling, int maxSampling) {
        const long long samples = (side * sampling + maxSampling - 1) / maxSampling;
        const long long count = (samples + 7) / 8;
        return (count + sampling - 1) / sampling * sampling;
    };
    long long total = 0;
    for (const JpegComponent& c : components)
        total += blocks(width, c.horizontal, maxHorizontal) * blocks(height, c.vertical, maxVertical) * 128;
    return total;
}

bool JpegMarkerWalk::segment(unsigned marker, std::string_view body) {
    if (isStartOfFrame(marker) && !frame_) {
        frame_ = frameOf(marker, body);
        return frame_.has_value();
    }
    if (marker != 0xDA) return true;
    // A scan: its count of components, then its data up to the next marker.
    if (!frame_ || body.empty()) return false;
    if (++scans_ == 1) firstScanWholePicture_ = frame_->heldWhole(byteAt(body, 0));
    return true;
}

void JpegMarkerWalk::walk(std::string_view bytes, Until until, std::size_t from) {
    const ByteWindow window{bytes, from};
    if (!started_) {
        if (window.end() < 2) return;
        if (window.at(0) != 0xFF || window.at(1) != 0xD8) {
            damaged_ = true;
            return;
        }
        started_ = true;
        at_ = 2;
    }
    while (!ended_ && !damaged_ && !(until == Until::firstScan && scans_ > 0)) {
        // As the decoder does: bytes before a marker are skipped (a scan's data among them,
        // where a 0xFF followed by a zero is a data byte and restart markers belong to the
        // scan), and so are fill bytes.
        const std::size_t start = window.nextFF(std::max(at_, from));
        // A marker broken after fill bytes breaks the picture where they began.
        const std::size_t broken = fillFrom_ && start == at_ ? *fillFrom_ : start;
        fillFrom_.reset();
        std::size_t at = start;
        while (at < window.end() && window.at(at) == 0xFF) ++at;
        if (at >= window.end()) {
            // The marker, if it is one, is not all there yet: it goes on from its last
            // 0xFF, so that a run of fill bytes is never held.
            at_ = at > start ? at - 1 : start;
            fillFrom_ = broken;
            return;
        }
        const unsigned marker = window.at(at++);
        if (marker == 0x00 || standsAlone(marker)) {
            at_ = at;
            continue;
        }
        if (marker == jpegEndMarker) {
            ended_ = true;
            at_ = at;
            return;
        }
        if (at + 2 > window.end()) {
            at_ = start;
            fillFrom_ = broken;
            return;
        }
        const std::size_t length = window.at(at) << 8 | window.at(at + 1);
        if (length < 2) {
            damaged_ = true;
            at_ = broken;  // all before the broken marker (a scan's data among it) is read
            return;
        }
        if (at + length > window.end()) {
            at_ = start;
            fillFrom_ = broken;
            return;
        }
        if (!segment(marker, window.part(at + 2, length - 2))) {
            damaged_ = true;
            at_ = broken;
            return;
        }
        at_ = at + length;
    }
}

JpegMarkerWalk JpegMarkerWalk::inFirstScan(JpegFrame frame) {
    JpegMarkerWalk walk;
    walk.started_ = true;
    walk.frame_ = std::move(frame);
    walk.scans_ = 1;
    return walk;
}

}  // namespace platform::graphics
