#pragma once
// An immutable picture: a bitmap at a scale (pixels per point), or the frames of an
// animation with their total duration. Copies share the pixels.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/geometry.hpp"

namespace platform::graphics {

enum class RenderingMode {
    automatic,       // as drawn, unless the place that shows it says otherwise
    alwaysOriginal,  // always its own colours
    alwaysTemplate,  // only its alpha counts; drawn in the tint colour
};

class Image {
public:
    // The largest width or height in pixels a decoded image may have, and the most
    // pixels all frames of one decoded image may hold together.
    static constexpr int maxDecodedDimension = 16384;
    static constexpr long long maxDecodedPixels = 64LL * 1024 * 1024;

    // A still image; none for an empty bitmap or a scale that is not a finite number above zero.
    static std::optional<Image> make(Bitmap bitmap, double scale = 1);
    // An opaque grey still image from one 8-bit value per pixel (rows of `width` bytes,
    // no padding); none for an empty size or when the memory cannot be had. Encoders
    // write such a picture with one channel.
    static std::optional<Image> makeGrey(const std::uint8_t* grey, int width, int height);
    // An animation; none without frames, with frames of different sizes, a bad scale,
    // or a duration that is not a finite number >= 0.
    static std::optional<Image> animated(std::vector<Bitmap> frames, double duration, double scale = 1);
    // An animation whose frames each show for their own time (one finite number of
    // seconds above zero per frame); the duration is their sum. None as above, or when
    // the times do not match the frames.
    static std::optional<Image> animated(std::vector<Bitmap> frames, std::vector<double> frameDurations,
                                         double scale = 1);

    // PNG, JPEG or GIF bytes (a GIF of several frames gives an animation). None for
    // anything else, for damaged data, or for pictures over the limits above.
    static std::optional<Image> decode(std::string_view bytes, double scale = 1);
    static std::optional<Image> fromFile(const std::filesystem::path& path, double scale = 1);

    // Size in points: pixels divided by the scale.
    Size size() const;
    double scale() const { return scale_; }
    int pixelWidth() const { return bitmap().width(); }
    int pixelHeight() const { return bitmap().height(); }

    // The still picture, or the first frame of an animation.
    const Bitmap& bitmap() const { return frames_->front(); }
    // One element for a still image.
    const std::vector<Bitmap>& frames() const { return *frames_; }
    bool isAnimated() const { return frames_->size() > 1; }
    // Seconds one pass of the animation takes; 0 for a still image.
    double duration() const { return duration_; }
    // Seconds frame `index` shows: its own time, or the duration spread evenly.
    double frameDuration(std::size_t index) const;
    // The frame shown `seconds` into the animation, which repeats; 0 for a still image.
    std::size_t frameIndexAt(double seconds) const;

    // True for a picture made by makeGrey: every pixel opaque, red = green = blue.
    bool isGrey() const { return grey_; }

    // One 8-bit grey value per pixel of the still (or first frame), rows without
    // padding: the colour drawn over black, weighted as video luma (0.299 red, 0.587
    // green, 0.114 blue). Made on first use from any thread and shared by every copy of
    // the picture; null when the memory cannot be had.
    using GreyValues = std::vector<std::uint8_t, PixelAllocator<std::uint8_t>>;
    std::shared_ptr<const GreyValues> greyValues() const;

    RenderingMode renderingMode() const { return renderingMode_; }
    Image withRenderingMode(RenderingMode mode) const;

private:
    struct GreyCache;
    Image(std::shared_ptr<const std::vector<Bitmap>> frames, double duration, double scale);

    std::shared_ptr<const std::vector<Bitmap>> frames_;
    double duration_ = 0;
    std::shared_ptr<const std::vector<double>> frameDurations_;  // null: spread evenly
    double scale_ = 1;
    RenderingMode renderingMode_ = RenderingMode::automatic;
    bool grey_ = false;
    std::shared_ptr<GreyCache> greyCache_;
};

}  // namespace platform::graphics
