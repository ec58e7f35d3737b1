#include "vistrel/screens/gallery/card_picture_loader.hpp"

#include <exception>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"

namespace vistrel {

CardPictureLoader::Request CardPictureLoader::show(const std::shared_ptr<platform::ui::ImageView>& view,
                                                   std::shared_ptr<PersistanceController> store,
                                                   const std::string& key, int pixelWidth, int pixelHeight) {
    if (!view || !store) return nullptr;
    // The file is looked at here, so that the store's documents folder is first found
    // on the main thread.
    const auto stamp = CardPictureCache::stampOf(store->picturePath(key));
    if (stamp) {
        if (auto kept = cache_->find(key, pixelWidth, pixelHeight, *stamp)) {
            view->setImage(std::move(kept));
            return nullptr;
        }
    }
    if (!store->isKitsOwnStore()) {
        // A host's store reads its photos its own way, which expects the main thread.
        if (auto picture = decode(*store, key, pixelWidth, pixelHeight, stamp)) view->setImage(std::move(picture));
        return nullptr;
    }
    // The kit's own files, decoded at card size off the main thread; a photo the user
    // opens, or a scan, goes first.
    auto request = std::make_shared<const bool>(true);
    ++loading_;
    platform::dispatch::global(platform::dispatch::QualityOfService::utility).async([self = shared_from_this(), store = std::move(store), key, pixelWidth,
                                        pixelHeight, stamp, wanted = std::weak_ptr<const void>(request),
                                        shownIn = std::weak_ptr<platform::ui::ImageView>(view),
                                        token = view->renewImageToken()]() mutable {
        std::optional<platform::graphics::Image> picture;
        if (!wanted.expired()) picture = self->decode(*store, key, pixelWidth, pixelHeight, stamp);
        // The loader and the store are let go on the main queue, whose objects they hold.
        platform::dispatch::main().async([self = std::move(self), store = std::move(store),
                                          picture = std::move(picture), wanted, shownIn, token]() mutable {
            --self->loading_;
            auto view = shownIn.lock();
            if (!picture || wanted.expired() || !view || view->imageToken() != token) return;
            view->setImage(std::move(picture));
        });
    });
    return request;
}

std::optional<platform::graphics::Image> CardPictureLoader::decode(
    PersistanceController& store, const std::string& key, int pixelWidth, int pixelHeight,
    const std::optional<CardPictureCache::FileStamp>& stamp) {
    // Another card's decode of the same photo may have kept it since it was asked for.
    if (stamp)
        if (auto kept = cache_->find(key, pixelWidth, pixelHeight, *stamp)) return kept;
    std::optional<platform::graphics::Image> picture;
    try {
        picture = store.isKitsOwnStore() ? store.getPictureCovering(key, pixelWidth, pixelHeight)
                                         : store.getPicture(key);
        if (picture) picture = platform::graphics::stillForDisplay(*picture, pixelWidth, pixelHeight);
    } catch (...) {  // a host's store: no throw may end the decode without an answer
        platform::log("gallery :: a card's photo could not be decoded");
        return std::nullopt;
    }
    if (picture && stamp) cache_->keep(key, pixelWidth, pixelHeight, *stamp, *picture);
    return picture;
}

}  // namespace vistrel
