#include "vistrel/platform/graphics/image_scaling.hpp"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "vistrel/platform/graphics/block_averaging.hpp"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>
#pragma GCC diagnostic pop

namespace platform::graphics {

namespace {

bool goodSize(int width, int height) {
    return width >= 1 && height >= 1 && width <= Bitmap::maxDimension && height <= Bitmap::maxDimension;
}

// Filters in the stored values, without a colour-space round trip: premultiplied
// pixels scale correctly that way, and it is several times faster.
bool resizePlane(const std::uint8_t* in, int inWidth, int inHeight, int inStride, std::uint8_t* out, int width,
                 int height, int stride, int channels) {
    // A large reduction starts with block averages, so that the filter below works on a
    // picture at most twice the size it makes.
    const int factor = std::min(inWidth / width, inHeight / height);
    if (factor >= 2) {
        Reduced reduced;
        try {
            reduced = channels == 1 ? boxReduced<1>(in, inWidth, inHeight, inStride, factor)
                                    : boxReduced<4>(in, inWidth, inHeight, inStride, factor);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return resizePlane(reduced.bytes.data(), reduced.width, reduced.height, reduced.width * channels, out, width,
                           height, stride, channels);
    }
    return stbir_resize_uint8_generic(in, inWidth, inHeight, inStride, out, width, height, stride, channels,
                                      STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_DEFAULT,
                                      STBIR_COLORSPACE_LINEAR, nullptr) != 0;
}

std::optional<Image> scaledGreyPlane(const Image::GreyValues& grey, int inWidth, int inHeight, int width,
                                     int height) {
    std::vector<std::uint8_t> out;
    try {
        out.resize(std::size_t(width) * std::size_t(height));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!resizePlane(grey.data(), inWidth, inHeight, inWidth, out.data(), width, height, width, 1))
        return std::nullopt;
    return Image::makeGrey(out.data(), width, height);
}

}  // namespace

std::optional<Bitmap> scaledBitmap(const Bitmap& in, int width, int height) {
    if (!goodSize(width, height) || in.isEmpty()) return std::nullopt;
    auto out = Bitmap::make(width, height);
    if (!out) return std::nullopt;
    if (!resizePlane(reinterpret_cast<const std::uint8_t*>(in.data()), in.width(), in.height(), in.stride(),
                     reinterpret_cast<std::uint8_t*>(out->data()), width, height, out->stride(), 4))
        return std::nullopt;
    return out;
}

std::optional<Image> scaledImage(const Image& image, int width, int height) {
    if (!goodSize(width, height)) return std::nullopt;
    if (image.isGrey()) return scaledGreyImage(image, width, height);
    auto out = scaledBitmap(image.bitmap(), width, height);
    if (!out) return std::nullopt;
    return Image::make(std::move(*out));
}

std::optional<Image> scaledGreyImage(const Image& image, int width, int height) {
    if (!goodSize(width, height)) return std::nullopt;
    auto grey = image.greyValues();
    if (!grey) return std::nullopt;
    return scaledGreyPlane(*grey, image.pixelWidth(), image.pixelHeight(), width, height);
}

}  // namespace platform::graphics
