#include "vistrel/platform/graphics/grey_plane.hpp"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace platform::graphics {

namespace {

// Premultiplied components are the colour already drawn over black. The weights are
// 16-bit fixed point and add up to 65536, so white stays 255.
void convert(const std::uint32_t* __restrict in, std::uint8_t* __restrict out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = in[i];
        std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        out[i] = static_cast<std::uint8_t>((r * 19595 + g * 38470 + b * 7471 + 32768) >> 16);
    }
}

// A camera photo is converted in a few bands side by side: the search for codes waits
// for these values, so they are on the path of every scan.
constexpr std::size_t kPixelsPerBand = std::size_t(2) << 20;

void convertInBands(const std::uint32_t* in, std::uint8_t* out, std::size_t count) {
    const std::size_t bands = std::min<std::size_t>({4, std::max(1u, std::thread::hardware_concurrency()),
                                                     (count + kPixelsPerBand - 1) / kPixelsPerBand});
    const std::size_t band = (count + bands - 1) / bands;
    std::vector<std::thread> helpers;
    std::size_t done = band;  // the calling thread takes the first band itself
    try {
        for (; done < count; done += band) {
            const std::size_t start = done, length = std::min(band, count - start);
            helpers.emplace_back([=] { convert(in + start, out + start, length); });
        }
    } catch (const std::system_error&) {
        convert(in + done, out + done, count - done);  // no thread to be had: the rest here
    }
    convert(in, out, std::min(band, count));
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace

std::shared_ptr<const Image::GreyValues> greyPlane(const Bitmap& bitmap) {
    const std::size_t count = std::size_t(bitmap.width()) * std::size_t(bitmap.height());
    std::shared_ptr<Image::GreyValues> grey;
    try {
        grey = std::make_shared<Image::GreyValues>(count);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    convertInBands(bitmap.data(), grey->data(), count);
    return grey;
}

std::optional<Image> greyImage(const Image& image) {
    if (image.isGrey() && image.scale() == 1 && !image.isAnimated()) return image;
    auto grey = image.greyValues();
    if (!grey) return std::nullopt;
    return Image::makeGrey(grey->data(), image.pixelWidth(), image.pixelHeight());
}

}  // namespace platform::graphics
