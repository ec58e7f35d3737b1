#pragma once
// Downloading a picture into an image view through the shared URL session. Only http
// and https addresses are fetched (redirects too), the body is capped, and each load
// keeps the view's image token it started under: a load that ends after the view was
// given another image or address is dropped, so a reused row never shows the picture
// of the row it was before.
//
// A picture is decoded off the main thread at the size it is shown (a huge one is never
// held at full size; one over the limits fit for a row picture is refused), once per
// address and size however many views ask for it at the same time, and the result of a
// successful (2xx) answer, picture or none, kept in a cache bounded in bytes, so a list
// that appears again shows its pictures without downloading or decoding them again.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/geometry.hpp"
#include "vistrel/platform/ui/image_view.hpp"

namespace vistrel {

using RemoteImageCompletion = std::function<void()>;

// The most bytes a downloaded picture may have; a longer body is dropped as a failure.
inline constexpr std::size_t kMaxRemoteImageBytes = 32u * 1024 * 1024;
// The most bytes the decoded pictures kept for later loads may take together.
inline constexpr std::size_t kRemoteImageCacheBytes = 32u * 1024 * 1024;

// The size in pixels a picture is shown at: it is decoded to cover it, scaled down with
// its aspect kept (never up). A side of 0 asks nothing of that side.
struct RemoteImagePixelSize {
    int width = 0;
    int height = 0;
};
// A size in points at the screen's scale, rounded up.
RemoteImagePixelSize remoteImagePixelSize(platform::graphics::Size points);

// Both return at once. An address that is not http or https: nothing happens, and the
// completion is not called. A transport failure (a body over the cap included): one log
// line with the error, the completion on the session's callback queue, the image kept.
// Otherwise the body is decoded on the global queue at `showAt` (by default the view's
// bounds at the call times the screen's scale), then on the main queue the view's image
// is set to the result (none clears it: a body that is no picture, or a picture over
// the limits) and the completion called; unless the load was overtaken, in which case
// nothing more happens. A cached picture of the address and size also arrives through
// the main queue, never within the call. A GIF gives its first frame, as a still
// decoder does.
void imageFromServerURL(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString,
                        RemoteImageCompletion completion = {},
                        std::optional<RemoteImagePixelSize> showAt = std::nullopt);
// The same, decoded as GlintGif::gifWithData decodes (frames keep their own display
// times), each frame at the size shown.
void gifFromServerURL(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString,
                      RemoteImageCompletion completion = {}, std::optional<RemoteImagePixelSize> showAt = std::nullopt);

// What the cache holds now: bytes as counted against kRemoteImageCacheBytes, entries
// (an address that gave no picture is one too), and downloads or decodes under way.
struct RemoteImageCacheState {
    std::size_t bytes = 0;
    std::size_t entries = 0;
    std::size_t loading = 0;
};
RemoteImageCacheState remoteImageCacheState();
// Forgets every cached picture (for memory pressure); loads under way go on.
void clearRemoteImageCache();

}  // namespace vistrel
