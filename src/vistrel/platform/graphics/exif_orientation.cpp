#include "vistrel/platform/graphics/exif_orientation.hpp"

#include <cstdint>
#include <utility>

namespace platform::graphics {

namespace {

// Reads the numbers of a TIFF structure in its own byte order, with every offset checked.
class TiffReader {
public:
    TiffReader(std::string_view bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

    std::optional<std::uint32_t> u16(std::size_t at) const { return number(at, 2); }
    std::optional<std::uint32_t> u32(std::size_t at) const { return number(at, 4); }

private:
    std::optional<std::uint32_t> number(std::size_t at, std::size_t size) const {
        if (at > bytes_.size() || bytes_.size() - at < size) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            std::uint32_t byte = static_cast<unsigned char>(bytes_[at + (bigEndian_ ? i : size - 1 - i)]);
            value = (value << 8) | byte;
        }
        return value;
    }

    std::string_view bytes_;
    bool bigEndian_;
};

int orientationInTiff(std::string_view tiff) {
    if (tiff.size() < 8) return 1;
    bool bigEndian;
    if (tiff.substr(0, 4) == std::string_view("MM\0*", 4)) bigEndian = true;
    else if (tiff.substr(0, 4) == std::string_view("II*\0", 4)) bigEndian = false;
    else return 1;
    TiffReader reader(tiff, bigEndian);
    auto ifd = reader.u32(4);
    if (!ifd) return 1;
    auto count = reader.u16(*ifd);
    if (!count) return 1;
    for (std::uint32_t i = 0; i < *count; ++i) {
        std::size_t entry = std::size_t(*ifd) + 2 + std::size_t(i) * 12;
        auto tag = reader.u16(entry);
        auto type = reader.u16(entry + 2);
        if (!tag || !type) return 1;
        if (*tag != 0x0112) continue;
        auto value = reader.u16(entry + 8);  // a SHORT sits at the start of the value field
        if (*type != 3 || !value || *value < 1 || *value > 8) return 1;
        return static_cast<int>(*value);
    }
    return 1;
}

}  // namespace

std::optional<int> exifSegmentOrientation(std::string_view segment) {
    if (segment.substr(0, 6) != std::string_view("Exif\0\0", 6)) return std::nullopt;
    return orientationInTiff(segment.substr(6));
}

std::optional<Bitmap> orientedBitmap(Bitmap stored, int orientation) {
    if (orientation < 2 || orientation > 8) return stored;
    const int w = stored.width(), h = stored.height();
    const bool swaps = orientation >= 5;
    auto out = swaps ? Bitmap::make(h, w) : Bitmap::make(w, h);
    if (!out) return std::nullopt;
    const std::uint32_t* in = stored.data();
    std::uint32_t* dst = out->data();
    const int outW = out->width(), outH = out->height();
    // For each output pixel, the stored pixel it shows: the start of each output row and
    // the step from one output column to the next, in stored positions.
    for (int y = 0; y < outH; ++y) {
        long sx0 = 0, sy0 = 0, dx = 0, dy = 0;
        switch (orientation) {
            case 2: sx0 = w - 1; sy0 = y; dx = -1; break;
            case 3: sx0 = w - 1; sy0 = h - 1 - y; dx = -1; break;
            case 4: sx0 = 0; sy0 = h - 1 - y; dx = 1; break;
            case 5: sx0 = y; sy0 = 0; dy = 1; break;
            case 6: sx0 = y; sy0 = h - 1; dy = -1; break;
            case 7: sx0 = w - 1 - y; sy0 = h - 1; dy = -1; break;
            default: sx0 = w - 1 - y; sy0 = 0; dy = 1; break;  // 8
        }
        long source = sy0 * w + sx0;
        const long step = dy * w + dx;
        std::uint32_t* row = dst + std::size_t(y) * outW;
        for (int x = 0; x < outW; ++x, source += step) row[x] = in[source];
    }
    return out;
}

}  // namespace platform::graphics
