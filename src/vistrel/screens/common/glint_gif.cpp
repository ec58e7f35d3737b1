#include "vistrel/screens/common/glint_gif.hpp"

#include <cmath>
#include <filesystem>
#include <future>
#include <numeric>
#include <system_error>

#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/net/url_session.hpp"

namespace vistrel {

namespace {

using platform::graphics::Bitmap;

constexpr double kMinimumDelay = 0.1;

void say(std::string_view text) {
    std::string line = "GlintGif: ";
    line += text;
    platform::log(line);
}

// `before` "<quoted>" `after`, the quoted text with control characters escaped.
void sayQuoted(std::string_view before, std::string_view quoted, std::string_view after) {
    std::string text(before);
    text += '"';
    text += platform::escapeControlCharacters(quoted);
    text += '"';
    text += after;
    say(text);
}

void sayNotFound(std::string_view name) { sayQuoted("This image named ", name, " does not exist"); }
void sayUnreadable(std::string_view name) { sayQuoted("Cannot turn image named ", name, " into NSData"); }

// The whole body of an http or https address, waited for on this thread.
std::optional<std::string> download(const std::string& url, std::size_t cap) {
    platform::net::URLRequest request(url);
    request.maxResponseBytes = cap;
    auto done = std::make_shared<std::promise<std::optional<std::string>>>();
    auto body = done->get_future();
    platform::net::URLSession::shared()
        .dataTask(std::move(request),
                  [done](std::optional<std::string> data, std::optional<platform::net::HTTPURLResponse>,
                         std::optional<platform::Error> error) {
                      done->set_value(error ? std::nullopt : std::move(data));
                  })
        ->resume();
    return body.get();
}

std::optional<GlintGif::Image> readAndDecode(std::string_view name, const std::filesystem::path& path,
                                             const GifLimits& limits) {
    auto bytes = platform::readFile(path, limits.maxFileBytes);
    if (!bytes) {
        sayUnreadable(name);
        return std::nullopt;
    }
    return GlintGif::gifWithData(*bytes, limits);
}

}  // namespace

std::optional<GlintGif::Image> GlintGif::gifWithData(std::string_view data, const GifLimits& limits) {
    return gifWithReadSource(platform::graphics::readImageSource(data, limits.source), limits);
}

std::optional<GlintGif::Image> GlintGif::gifWithReadSource(platform::graphics::ImageSourceResult read,
                                                           const GifLimits& limits) {
    if (!read.source) {
        if (read.failure.empty()) {
            say("Source for the image does not exist");
        } else {
            std::string text = "Source for the image is over a limit: ";
            text += read.failure;
            say(text);
        }
        return std::nullopt;
    }
    return animatedImageWithSource(std::move(*read.source), limits);
}

std::optional<GlintGif::Image> GlintGif::gifWithURL(std::string_view url, const GifLimits& limits) {
    static constexpr std::string_view kFileScheme = "file://";
    if (url.starts_with(kFileScheme)) {
        const std::filesystem::path path(url.substr(kFileScheme.size()));
        if (!path.is_absolute() || !std::filesystem::is_regular_file(path)) {
            sayNotFound(url);
            return std::nullopt;
        }
        return readAndDecode(url, path, limits);
    }
    auto address = platform::net::validatedHTTPURL(url);
    if (!address) {
        sayNotFound(url);
        return std::nullopt;
    }
    auto bytes = download(*address, limits.maxFileBytes);
    if (!bytes) {
        sayUnreadable(url);
        return std::nullopt;
    }
    return gifWithData(*bytes, limits);
}

std::optional<GlintGif::Image> GlintGif::gifNamed(std::string_view name, const GifLimits& limits) {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    auto bundle = error ? nullptr : platform::Bundle::atPath(executable.parent_path());
    return gifNamed(name, bundle.get(), limits);
}

std::optional<GlintGif::Image> GlintGif::gifNamed(std::string_view name, const platform::Bundle* bundle,
                                                  const GifLimits& limits) {
    std::string file(name);
    file += ".gif";
    auto path = bundle ? bundle->pathForResource(file) : std::nullopt;
    if (!path) {
        sayNotFound(name);
        return std::nullopt;
    }
    return readAndDecode(name, *path, limits);
}

std::optional<GlintGif::Image> GlintGif::animatedImageWithSource(ImageSource source, const GifLimits& limits) {
    std::vector<Bitmap> frames;
    std::vector<std::int64_t> delays;
    frames.reserve(source.frames.size());
    delays.reserve(source.frames.size());
    for (std::size_t i = 0; i < source.frames.size(); ++i) {
        // A frame that did not decode takes its delay with it, so the two lists stay in step.
        if (!source.frames[i].image) continue;
        delays.push_back(milliseconds(delayForImageAtIndex(i, source)));
        frames.push_back(std::move(*source.frames[i].image));
    }
    if (frames.empty()) {
        say("The image has no frames");
        return std::nullopt;
    }
    GifFrameList list = frameList(delays);
    if (list.entries > limits.maxFrameListEntries) {
        std::string text = "The frame list of ";
        text += std::to_string(list.entries);
        text += " entries is over the limit of ";
        text += std::to_string(limits.maxFrameListEntries);
        say(text);
        return std::nullopt;
    }
    std::vector<double> seconds;
    seconds.reserve(frames.size());
    for (std::int64_t repeats : list.repeats) seconds.push_back(static_cast<double>(repeats * list.unit) / 1000.0);
    auto image = Image::animated(std::move(frames), std::move(seconds));
    if (!image) say("The frames do not form an animation");
    return image;
}

double GlintGif::delayForImageAtIndex(std::size_t index, const ImageSource& source) {
    if (index >= source.frames.size() || !source.frames[index].gif) return kMinimumDelay;
    const platform::graphics::GifFrameProperties& gif = *source.frames[index].gif;
    double delay = gif.unclampedDelayTime == 0 ? gif.delayTime : gif.unclampedDelayTime;
    // Written so that a delay that is not a number also becomes the minimum.
    if (!(delay >= kMinimumDelay)) delay = kMinimumDelay;
    return delay;
}

std::int64_t GlintGif::milliseconds(double seconds) {
    const double ms = std::round(seconds * 1000.0);
    if (!(ms > 0)) return 0;
    if (ms >= 9.0e18) return INT64_MAX;
    return static_cast<std::int64_t>(ms);
}

std::int64_t GlintGif::gcdForPair(std::optional<std::int64_t> a, std::optional<std::int64_t> b) {
    if (!a || !b) return b ? *b : a ? *a : 0;
    // std::gcd takes magnitudes and gives the other operand for a zero one, so nothing
    // here divides by zero.
    return std::gcd(*a, *b);
}

std::int64_t GlintGif::gcdForArray(const std::vector<std::int64_t>& values) {
    if (values.empty()) return 1;
    std::int64_t g = values.front();
    for (std::int64_t value : values) g = gcdForPair(value, g);
    return g;
}

GifFrameList GlintGif::frameList(const std::vector<std::int64_t>& delays) {
    GifFrameList list;
    const std::int64_t g = gcdForArray(delays);
    list.unit = g > 0 ? g : 1;
    list.repeats.reserve(delays.size());
    for (std::int64_t delay : delays) {
        const std::int64_t repeats = delay > 0 ? delay / list.unit : 0;
        list.repeats.push_back(repeats);
        list.duration += repeats * list.unit;
        list.entries += static_cast<std::uint64_t>(repeats);
    }
    return list;
}

}  // namespace vistrel
