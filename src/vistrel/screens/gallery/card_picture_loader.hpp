#pragma once
// The photos of a gallery's cards. A card asks for its record's photo at the size it
// shows it: a picture the cache holds for the file as it is now comes at once. Else,
// with the kit's own store, the card keeps its placeholder while the store decodes the
// photo at card size on the global queue (utility: behind a photo the user opens), and
// the picture is set on the main queue, only while the card holds the request it was
// given and its image view has been given nothing else since. So a card reused for
// another record never shows the photo of the one before, however late that decode
// ends. A decode whose request was let go before it began is skipped. A host's store
// (a subclass) is asked through its getPicture, on the main thread, at once: its way of
// keeping photos is its own, and so is its cost. Every picture is brought down to its
// card's size (a host's store may give any size) and kept in the cache.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/screens/gallery/card_picture_cache.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

class CardPictureLoader : public std::enable_shared_from_this<CardPictureLoader> {
public:
    // Held by the card while its picture may come; none when there is nothing to wait for.
    using Request = std::shared_ptr<const void>;

    // The cache keeps `capacity` pictures (0: none).
    explicit CardPictureLoader(std::size_t capacity = 8)
        : cache_(std::make_shared<CardPictureCache>(capacity)) {}

    // Shows the photo of the key in the view, at the smallest size that covers
    // `pixelWidth` x `pixelHeight`, as above. Main thread, on a loader held by a shared
    // pointer.
    Request show(const std::shared_ptr<platform::ui::ImageView>& view, std::shared_ptr<PersistanceController> store,
                 const std::string& key, int pixelWidth, int pixelHeight);

    // Decodes asked for whose end has not yet reached the main queue (main thread).
    std::size_t loading() const { return loading_; }
    const CardPictureCache& cache() const { return *cache_; }

private:
    // The picture at card size, from the cache or the store (on the global queue for the
    // kit's own store, on the main thread for a host's).
    std::optional<platform::graphics::Image> decode(PersistanceController& store, const std::string& key,
                                                    int pixelWidth, int pixelHeight,
                                                    const std::optional<CardPictureCache::FileStamp>& stamp);

    const std::shared_ptr<CardPictureCache> cache_;
    std::size_t loading_ = 0;  // main thread only
};

}  // namespace vistrel
