#pragma once
// What a JPEG's markers say of its frame and scans, followed as its decoder follows them,
// without decoding (internal to platform/graphics).
//
// A JPEG whose first scan holds every colour component of a sequential frame is decoded
// a band of rows at a time, at any scale; any other (a progressive file, or one whose
// components come in scans of their own) makes the decoder keep the coefficients of the
// whole picture until its last scan, however small it decodes: two bytes for every
// sample of every component, blocks rounded up to whole units of its sampling. Every
// scan costs the decoder a pass over the blocks of its components, however few bytes it
// takes.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace platform::graphics {

// The most scans a JPEG may have. A progressive file of three components has about ten
// with the usual script, and a few dozen when an encoder tunes the script to the
// picture; the usual script gives the most components a decoder takes (ten) sixty.
inline constexpr int maxJpegScans = 100;

struct JpegComponent {
    int horizontal = 1, vertical = 1;  // sampling factors, 1 to 4
};

struct JpegFrame {
    int width = 0, height = 0;  // as stored, before any Exif turn
    bool progressive = false;
    std::vector<JpegComponent> components;

    // The bytes of the coefficients of every component, as the decoder keeps them.
    long long coefficientBytes() const;
    // Whether the decoder holds the whole picture's coefficients until the last scan, when
    // the first scan holds this many of the components: a progressive frame, or one whose
    // components come in scans of their own.
    bool heldWhole(std::size_t firstScanComponents) const;
};

// The markers of a JPEG, followed from the start of the image as the bytes come: each
// call goes on from where the last one stopped, over the same bytes and perhaps more.
class JpegMarkerWalk {
public:
    enum class Until { firstScan, end };
    JpegMarkerWalk() = default;
    // A walk that goes on from inside the data of the first scan of `frame`, from offset
    // 0 of the bytes it is given: where a decoder that has read the header stands.
    static JpegMarkerWalk inFirstScan(JpegFrame frame);

    // Follows the markers until `until` or the end of the bytes: those of the file from
    // offset `from` on, which is at most position() (all of them by default).
    void walk(std::string_view bytes, Until until = Until::end, std::size_t from = 0);

    // The end-of-image marker was met: `position()` is just past it.
    bool ended() const { return ended_; }
    // Bytes that no decoder reads on from: no start of image, a length that cannot be, a
    // frame that cannot be.
    bool damaged() const { return damaged_; }
    // How far the bytes were followed; when damaged, the start of the broken marker, so
    // that what comes before it (the data of a scan, say) is all there, however the
    // bytes arrived.
    std::size_t position() const { return at_; }
    const std::optional<JpegFrame>& frame() const { return frame_; }
    int scans() const { return scans_; }
    // Whether the first scan leaves the decoder holding the whole picture (none before it).
    std::optional<bool> firstScanWholePicture() const { return firstScanWholePicture_; }

private:
    bool segment(unsigned marker, std::string_view body);

    std::size_t at_ = 0;
    // Where the run of fill bytes that at_ stands at the last of began: a broken marker
    // after it is told from there, as it is when the whole run arrives at once.
    std::optional<std::size_t> fillFrom_;
    bool started_ = false, ended_ = false, damaged_ = false;
    std::optional<JpegFrame> frame_;
    int scans_ = 0;
    std::optional<bool> firstScanWholePicture_;
};

}  // namespace platform::graphics
