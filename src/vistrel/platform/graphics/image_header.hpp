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
    bool interlaced = false;  // PNG only: rows stored in passes
};

// The format the bytes' signature names; none for anything but PNG, JPEG and GIF.
std::optional<ImageFormat> imageFormatOf(std::string_view bytes);

// None for bytes that are no PNG, JPEG or GIF, or whose header is cut short or damaged.
// A size of zero is given as it stands.
std::optional<ImageHeader> readImageHeader(std::string_view bytes);

}  // namespace platform::graphics
