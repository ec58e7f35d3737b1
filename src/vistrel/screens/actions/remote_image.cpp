#include "vistrel/screens/actions/remote_image.hpp"

#include <cmath>
#include <exception>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/net/url_session.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/screens/actions/remote_image_cache.hpp"
#include "vistrel/screens/common/glint_gif.hpp"

namespace vistrel {

namespace {

using Entry = RemoteImageCache::Entry;

enum class Decoder : char { still = 's', gif = 'g' };

// A view waiting for a picture, with the token its load started under.
struct Waiter {
    std::shared_ptr<platform::ui::ImageView> view;
    std::uint64_t token;
    RemoteImageCompletion completion;
};

// None for bytes that give no picture; never throws, so every waiting view is answered.
Entry decode(Decoder decoder, std::string_view bytes, RemoteImagePixelSize size) {
    try {
        if (decoder == Decoder::gif)
            return GlintGif::gifWithReadSource(
                platform::graphics::readImageSourceForDisplay(bytes, size.width, size.height));
        // A still decoder shows an animated GIF's first frame, standing still.
        return platform::graphics::readStillForDisplay(bytes, size.width, size.height);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// On the main queue: every view still waiting for this load gets the picture.
void deliver(std::vector<Waiter> waiters, Entry image) {
    platform::dispatch::main().async([waiters = std::move(waiters), image = std::move(image)] {
        for (const Waiter& waiter : waiters) {
            if (waiter.view->imageToken() != waiter.token) continue;  // overtaken by another image or address
            waiter.view->setImage(image);
            if (waiter.completion) waiter.completion();
        }
    });
}

// The cache and the loads under way, one per decoder, size and address.
class Loader {
public:
    static Loader& shared() {
        // Leaked on purpose: downloads and decodes may still end while the process exits.
        static auto* loader = new Loader;
        return *loader;
    }

    void load(std::string url, Decoder decoder, RemoteImagePixelSize size, Waiter waiter) {
        std::string key(1, static_cast<char>(decoder));
        key += std::to_string(size.width) + 'x' + std::to_string(size.height) + ' ' + url;
        std::optional<Entry> cached;
        {
            std::lock_guard lock(mutex_);
            cached = cache_.find(key);
            if (!cached) {
                auto [loading, first] = loading_.try_emplace(key);
                loading->second.push_back(std::move(waiter));
                if (!first) return;  // the load under way serves this view too
            }
        }
        if (cached) {
            deliver({std::move(waiter)}, std::move(*cached));
            return;
        }
        platform::net::URLRequest request(url);
        request.maxResponseBytes = kMaxRemoteImageBytes;
        auto finished = [this, key, decoder, size](std::optional<std::string> data,
                                                   std::optional<platform::net::HTTPURLResponse> response,
                                                   std::optional<platform::Error> error) mutable {
            if (error) {
                platform::log(error->description());
                for (const Waiter& waiter : take(key))
                    if (waiter.completion) waiter.completion();
                return;
            }
            // An error page may be gone next time: only a successful answer is kept.
            const bool keep = response && response->statusCode >= 200 && response->statusCode < 300;
            // A picture for a row that shows its placeholder meanwhile: a scan the user
            // starts goes first.
            const auto decoding = platform::dispatch::global(platform::dispatch::QualityOfService::utility);
            decoding.async([this, key = std::move(key), decoder, size, data = std::move(data), keep] {
                Entry image = decode(decoder, data ? std::string_view(*data) : std::string_view(), size);
                // Handed to the main queue before the load stops counting as under way.
                std::lock_guard lock(mutex_);
                if (keep) cache_.insert(key, image);
                deliver(takeLocked(key), std::move(image));
            });
        };
        platform::net::URLSession::shared().dataTask(std::move(request), std::move(finished))->resume();
    }

    RemoteImageCacheState state() {
        std::lock_guard lock(mutex_);
        return {cache_.bytes(), cache_.count(), loading_.size()};
    }

    void clear() {
        std::lock_guard lock(mutex_);
        cache_.clear();
    }

private:
    std::vector<Waiter> take(const std::string& key) {
        std::lock_guard lock(mutex_);
        return takeLocked(key);
    }
    std::vector<Waiter> takeLocked(const std::string& key) {
        std::vector<Waiter> waiters;
        if (auto found = loading_.find(key); found != loading_.end()) {
            waiters = std::move(found->second);
            loading_.erase(found);
        }
        return waiters;
    }

    std::mutex mutex_;
    RemoteImageCache cache_{kRemoteImageCacheBytes};
    std::unordered_map<std::string, std::vector<Waiter>> loading_;
};

// Points in pixels at the screen's scale, rounded up; 0 for a side that asks nothing.
int pixels(double points) {
    const double value = std::ceil(points * platform::ui::Screen::main().scale());
    return value >= 1 && value <= 1e6 ? static_cast<int>(value) : 0;
}

void load(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString, RemoteImageCompletion completion,
          Decoder decoder, std::optional<RemoteImagePixelSize> showAt) {
    auto url = platform::net::validatedHTTPURL(urlString);
    if (!url || !view) return;
    const RemoteImagePixelSize size = showAt ? *showAt : remoteImagePixelSize(view->bounds().size);
    const std::uint64_t token = view->renewImageToken();
    Loader::shared().load(std::move(*url), decoder, size, {std::move(view), token, std::move(completion)});
}

}  // namespace

void imageFromServerURL(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString,
                        RemoteImageCompletion completion, std::optional<RemoteImagePixelSize> showAt) {
    load(std::move(view), urlString, std::move(completion), Decoder::still, showAt);
}

void gifFromServerURL(std::shared_ptr<platform::ui::ImageView> view, std::string_view urlString,
                      RemoteImageCompletion completion, std::optional<RemoteImagePixelSize> showAt) {
    load(std::move(view), urlString, std::move(completion), Decoder::gif, showAt);
}

RemoteImagePixelSize remoteImagePixelSize(platform::graphics::Size points) {
    return {pixels(points.width), pixels(points.height)};
}

RemoteImageCacheState remoteImageCacheState() { return Loader::shared().state(); }

void clearRemoteImageCache() { Loader::shared().clear(); }

}  // namespace vistrel
