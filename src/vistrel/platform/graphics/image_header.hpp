#pragma once
// What a picture's header says of it, read without decoding any pixels: the format and
// the size it shows at. Lets a caller refuse or plan a picture before it allocates.
#include <optional>
#include <string_view>

namespace platform::graphics {

enum class ImageFormat { png, jpeg, gif };

struct ImageHeader {
    ImageFormat format = ImageFormat::png;
    // Pixels as shown: a JPEG's stored size turned by its Exif orientation; a GIF's
    // logical screen.
    int width = 0;
    int height = 0;
    // Stored in passes over the whole picture: an interlaced PNG, a progressive JPEG or
    // one whose colour components come in scans of their own (or whose scans could not
    // be told). Such a picture is read whole before any of its rows is final.
    bool storedInPasses = false;
    // What the decoder of a JPEG holds while it reads one stored in passes: the bytes of
    // its coefficients. 0 for other pictures, which are held as their pixels.
    long long coefficientBytes = 0;
};

// The most bytes of coefficients the decoder of a JPEG of `pixels` pixels holds while it
// reads one stored in passes: two for every sample of four components sampled in full (a
// CMYK picture; the decoder takes no JPEG of more components), so eight a pixel, blocks
// rounded up to whole ones aside. A picture that must come whole is allowed this much.
constexpr long long maxJpegCoefficientBytes(long long pixels) { return pixels * 8; }

// The format the bytes' signature names; none for anything but PNG, JPEG and GIF.
std::optional<ImageFormat> imageFormatOf(std::string_view bytes);

// None for bytes that are no PNG, JPEG or GIF, or whose header is cut short or damaged.
// A size of zero is given as it stands.
std::optional<ImageHeader> readImageHeader(std::string_view bytes);

}  // namespace platform::graphics
