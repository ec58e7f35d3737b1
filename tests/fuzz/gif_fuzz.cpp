// Feeds arbitrary LZW data to the GIF decoder as one frame of a GIF of 256 colours, and
// compares what it shows with what giflib's own decoder reads from the same file: a frame
// the kit shows must be one giflib reads, pixel for pixel. (Data whose codes the table does
// not hold yet gives the kit no frame, where giflib makes up pixels.) The input: the code
// size (0 to 8), the frame's width and height (1 to 64), whether it is interlaced, then
// the data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gif_reference.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    if (size < 4) return 0;
    const std::string gif =
        imagetest::gifOfOneFrame(data[1] % 64 + 1, data[2] % 64 + 1, data[0] % 9, data[3] & 1,
                                 std::string_view(reinterpret_cast<const char*>(data) + 4, size - 4));
    const auto shown = platform::graphics::Image::decode(gif);
    if (!shown) return 0;
    const auto& bitmap = shown->bitmap();
    const std::vector<std::uint32_t> pixels(bitmap.data(),
                                            bitmap.data() + std::size_t(bitmap.width()) * std::size_t(bitmap.height()));
    require(imagetest::giflibPixels(gif) == pixels);
    return 0;
}
