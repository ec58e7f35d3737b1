#pragma once
// GlintGif: turns GIF bytes into one animated image whose frames keep their own display
// times. Frames are decoded up front; a frame shown for several multiples of the common
// divisor of the delays is kept once with its repeat count. Every failure is one log
// line beginning with "GlintGif: " and an empty result. No state is kept between calls;
// everything may run on any thread.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/foundation/bundle.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_source.hpp"

namespace vistrel {

struct GifLimits {
    platform::graphics::ImageSourceLimits source;
    // Entries of the frame list (the total duration over the common divisor).
    std::uint64_t maxFrameListEntries = 100000;
    // Bytes read from a file or an address.
    std::size_t maxFileBytes = 64u * 1024 * 1024;
};

// The frame list by count: frame i shows `repeats[i]` times for `unit` milliseconds.
struct GifFrameList {
    std::int64_t unit = 1;
    std::vector<std::int64_t> repeats;
    std::int64_t duration = 0;  // milliseconds
    std::uint64_t entries = 0;  // the sum of the repeats
};

class GlintGif {
public:
    using Image = platform::graphics::Image;
    using ImageSource = platform::graphics::ImageSource;

    // Decodes GIF bytes (or a PNG or JPEG as one frame).
    static std::optional<Image> gifWithData(std::string_view data, const GifLimits& limits = {});
    // The same for bytes already read into a source (by readImageSource or a reader
    // under other limits): its failure logged as gifWithData logs it.
    static std::optional<Image> gifWithReadSource(platform::graphics::ImageSourceResult read,
                                                  const GifLimits& limits = {});
    // Reads an http, https or file address whole, then decodes it. It blocks this thread
    // until the download ends, so it must not run on the shared URL session's callback
    // queue. A body over maxFileBytes counts as unreadable.
    static std::optional<Image> gifWithURL(std::string_view url, const GifLimits& limits = {});
    // The resource "<name>.gif" of the host program's bundle (the folder of its executable).
    static std::optional<Image> gifNamed(std::string_view name, const GifLimits& limits = {});
    // The resource "<name>.gif" of the given bundle; none without a bundle.
    static std::optional<Image> gifNamed(std::string_view name, const platform::Bundle* bundle,
                                         const GifLimits& limits = {});

    // The animation of every frame of the source that decoded; a frame that did not
    // decode is left out together with its delay.
    static std::optional<Image> animatedImageWithSource(ImageSource source, const GifLimits& limits = {});
    // Seconds frame `index` shows: its stored delay (the viewer's delay when the stored
    // one is 0), at least 0.1; 0.1 without properties, and for a delay that is not a number.
    static double delayForImageAtIndex(std::size_t index, const ImageSource& source);
    // Whole milliseconds, rounded to the nearest.
    static std::int64_t milliseconds(double seconds);

    // Greatest common divisors of magnitudes: an absent or zero operand gives the other
    // (0 when both are); an empty list gives 1.
    static std::int64_t gcdForPair(std::optional<std::int64_t> a, std::optional<std::int64_t> b);
    static std::int64_t gcdForArray(const std::vector<std::int64_t>& values);

    // Each delay as a repeat count of their common divisor (1 ms when that is 0).
    static GifFrameList frameList(const std::vector<std::int64_t>& delays);
};

}  // namespace vistrel
