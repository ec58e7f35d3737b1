// PNG decoding with libpng's simplified reader (palettes, grey, 16-bit and gamma are
// converted to 8-bit sRGB by the library). The reader takes the picture's bytes as it asks
// for them, from a stream of the C library over its input (it reads from memory or from
// such a stream only), so that a file read for it is held a piece at a time, not whole,
// however many chunks cut its pixels' data. Bytes in memory reach it the same way, so that
// it reads the same bytes in the same order from both, and a file shows what its bytes
// show from memory. They reach it as they are: how far it reads past the data of its last
// row (a piece more, then that chunk's checksum) depends on where the chunks cut that data,
// so the same data cut otherwise (chunks joined, say) would be judged otherwise when the
// file is cut short or damaged there.
#include <png.h>
#include <stdio.h>  // fopencookie

#include <bit>
#include <cstring>
#include <memory>

#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/picture_input.hpp"

namespace platform::graphics {

namespace {

ssize_t readStream(void* reader, char* out, std::size_t count) {
    const auto n = static_cast<PictureInputReader*>(reader)->read(out, count);
    return n ? static_cast<ssize_t>(*n) : -1;
}

struct CloseStream {
    void operator()(FILE* stream) const { fclose(stream); }
};

// The reader's bytes as a read-only stream; none when it cannot be made.
std::unique_ptr<FILE, CloseStream> streamOf(PictureInputReader& reader) {
    cookie_io_functions_t functions{};
    functions.read = readStream;
    return std::unique_ptr<FILE, CloseStream>(fopencookie(&reader, "rb", functions));
}

struct ReadImage {
    png_image image;
    ReadImage() {
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
    }
    ~ReadImage() { png_image_free(&image); }
};

}  // namespace

std::optional<DecodedFrames> decodePng(PictureInput& input) {
    PictureInputReader reader(input);
    const auto stream = streamOf(reader);
    if (!stream) return std::nullopt;
    ReadImage read;
    png_image& image = read.image;
    if (!png_image_begin_read_from_stdio(&image, stream.get())) return std::nullopt;
    if (!withinDecodingLimits(image.width, image.height)) return std::nullopt;
    auto bitmap = Bitmap::make(static_cast<int>(image.width), static_cast<int>(image.height));
    if (!bitmap) return std::nullopt;
    // Byte order that puts alpha in the top byte of a native 32-bit word.
    image.format = std::endian::native == std::endian::little ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    if (!png_image_finish_read(&image, nullptr, bitmap->data(), bitmap->stride(), nullptr)) return std::nullopt;
    std::uint32_t* pixel = bitmap->data();
    std::uint32_t* end = pixel + std::size_t(bitmap->width()) * std::size_t(bitmap->height());
    for (; pixel != end; ++pixel) {
        std::uint32_t p = *pixel;
        auto a = static_cast<std::uint8_t>(p >> 24);
        if (a != 255)
            *pixel = premultipliedPixel(static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                        static_cast<std::uint8_t>(p), a);
    }
    DecodedFrames result;
    result.frames.push_back(std::move(*bitmap));
    return result;
}

std::optional<DecodedFrames> decodePng(std::string_view bytes) {
    PictureBytesInput input(bytes);
    return decodePng(input);
}

}  // namespace platform::graphics
