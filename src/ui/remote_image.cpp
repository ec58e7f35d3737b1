#include "ui/remote_image.hpp"

#include "platform/dispatch/queue.hpp"
#include "platform/foundation/log.hpp"
#include "platform/net/url.hpp"
#include "platform/net/url_session.hpp"
#include "ui/glint_gif.hpp"

namespace vistrel {

namespace {

using platform::graphics::Image;
using Decoder = std::optional<Image> (*)(std::string_view bytes);

std::optional<Image> decodeStill(std::string_view bytes) { return Image::decode(bytes); }
std::optional<Image> decodeGif(std::string_view bytes) { return GlintGif::gifWithData(bytes); }

void load(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString, RemoteImageCompletion completion,
          Decoder decode) {
    auto url = platform::net::validatedHTTPURL(urlString);
    if (!url || !view) return;
    const std::uint64_t token = view->renewImageToken();
    platform::net::URLRequest request(*url);
    request.maxResponseBytes = kMaxRemoteImageBytes;
    auto finished = [view = std::move(view), completion = std::move(completion), decode, token](
                        std::optional<std::string> data, std::optional<platform::net::HTTPURLResponse>,
                        std::optional<platform::Error> error) mutable {
        if (error) {
            platform::log(error->description());
            if (completion) completion();
            return;
        }
        platform::dispatch::main().async([view = std::move(view), completion = std::move(completion), decode, token,
                                          data = std::move(data)] {
            if (view->imageToken() != token) return;  // overtaken by another image or address
            view->setImage(decode(data ? std::string_view(*data) : std::string_view()));
            if (completion) completion();
        });
    };
    platform::net::URLSession::shared().dataTask(std::move(request), std::move(finished))->resume();
}

}  // namespace

void imageFromServerURL(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString,
                        RemoteImageCompletion completion) {
    load(std::move(view), urlString, std::move(completion), decodeStill);
}

void gifFromServerURL(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString,
                      RemoteImageCompletion completion) {
    load(std::move(view), urlString, std::move(completion), decodeGif);
}

}  // namespace vistrel
