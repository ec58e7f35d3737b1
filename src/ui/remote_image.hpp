#pragma once
// Downloading a picture into an image view through the shared URL session. Only http
// and https addresses are fetched (redirects too), the body is capped, and each load
// keeps the view's image token it started under: a load that ends after the view was
// given another image or address is dropped, so a reused row never shows the picture
// of the row it was before.
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/ui/image_view.hpp"

namespace vistrel {

using RemoteImageCompletion = std::function<void()>;

// The most bytes a downloaded picture may have; a longer body is dropped as a failure.
inline constexpr std::size_t kMaxRemoteImageBytes = 32u * 1024 * 1024;

// Both return at once. An address that is not http or https: nothing happens, and the
// completion is not called. A transport failure (a body over the cap included): one log
// line with the error, the completion on the session's callback queue, the image kept.
// Otherwise, on the main queue: the body is decoded, the view's image set to the result
// (none clears it) and the completion called; unless the load was overtaken, in which
// case nothing more happens.
void imageFromServerURL(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString,
                        RemoteImageCompletion completion = {});
// The same, decoded by GlintGif::gifWithData.
void gifFromServerURL(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString,
                      RemoteImageCompletion completion = {});

}  // namespace vistrel
