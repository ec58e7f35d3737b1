#include "vistrel/screens/gallery/card_picture_loader.hpp"

#include <exception>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/screens/gallery/store_picture.hpp"
#include "vistrel/store/store_notifications.hpp"

namespace vistrel {

namespace {

constexpr std::string_view kNoPhoto = "a card shows no photo";

}  // namespace

CardPictureLoader::CardPictureLoader(std::size_t capacity) : cache_(std::make_shared<CardPictureCache>(capacity)) {
    if (capacity == 0) return;  // nothing kept, nothing to forget
    // A save may change or remove a record whose photo a host's store answered: its card
    // asks again. Whatever thread posts, the cache only drops entries.
    auto& centre = platform::ui::NotificationCenter::defaultCenter();
    for (auto name : {managedObjectContextDidSaveNotification, managedObjectContextObjectsDidChangeNotification})
        observers_.push_back(centre.addObserver(std::string(name), nullptr,
                                                [cache = std::weak_ptr<CardPictureCache>(cache_)](const auto&) {
                                                    if (auto kept = cache.lock()) kept->forgetAnswers();
                                                }));
}

CardPictureLoader::~CardPictureLoader() {
    for (const auto& token : observers_) platform::ui::NotificationCenter::defaultCenter().removeObserver(token);
}

CardPictureLoader::Request CardPictureLoader::show(const std::shared_ptr<platform::ui::ImageView>& view,
                                                   std::shared_ptr<PersistanceController> store,
                                                   const std::string& key, int pixelWidth, int pixelHeight) {
    if (!view || !store) return nullptr;
    // The file is looked at here, so that the store's documents folder is first found
    // on the main thread.
    const auto stamp = CardPictureCache::stampOf(store->picturePath(key));
    if (auto kept = cache_->find(key, pixelWidth, pixelHeight, stamp)) {
        view->setImage(std::move(kept));
        return nullptr;
    }
    const auto era = cache_->era();
    auto asked = askStoreForPicture(*store, key, kNoPhoto);
    if (!asked.picture && !asked.readByTheKit) return nullptr;  // the placeholder stays
    // The request holds a host's answer: a card that lets it go lets the picture go.
    Request request = asked.picture ? Request(std::make_shared<const platform::graphics::Image>(std::move(*asked.picture)))
                                    : Request(std::make_shared<const bool>(true));
    ++loading_;
    platform::dispatch::global(platform::dispatch::QualityOfService::utility).async(
        [self = shared_from_this(), store = std::move(store), key, pixelWidth, pixelHeight, stamp, era,
         answered = !asked.readByTheKit, wanted = std::weak_ptr<const void>(request),
         shownIn = std::weak_ptr<platform::ui::ImageView>(view), token = view->renewImageToken()]() mutable {
            std::optional<platform::graphics::Image> picture;
            if (auto held = wanted.lock())
                picture = answered ? self->fit(*std::static_pointer_cast<const platform::graphics::Image>(held), key,
                                               pixelWidth, pixelHeight, era)
                                   : self->decode(*store, key, pixelWidth, pixelHeight, stamp);
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
        if (auto kept = cache_->find(key, pixelWidth, pixelHeight, stamp)) return kept;
    std::optional<platform::graphics::Image> picture;
    try {
        picture = store.getPictureCovering(key, pixelWidth, pixelHeight);
    } catch (const std::exception& e) {  // memory refused: no throw may end the decode without an answer
        logGalleryFailure(kNoPhoto, "decoding its file threw", e.what());
        return std::nullopt;
    } catch (...) {
        logGalleryFailure(kNoPhoto, "decoding its file threw", nullptr);
        return std::nullopt;
    }
    if (picture && stamp) cache_->keep(key, pixelWidth, pixelHeight, *stamp, *picture);
    return picture;
}

std::optional<platform::graphics::Image> CardPictureLoader::fit(const platform::graphics::Image& answer,
                                                                const std::string& key, int pixelWidth,
                                                                int pixelHeight, std::uint64_t era) {
    std::optional<platform::graphics::Image> picture;
    try {
        picture = platform::graphics::stillForDisplay(answer, pixelWidth, pixelHeight);
    } catch (const std::exception& e) {
        logGalleryFailure(kNoPhoto, "bringing the store's picture to card size threw", e.what());
        return std::nullopt;
    } catch (...) {
        logGalleryFailure(kNoPhoto, "bringing the store's picture to card size threw", nullptr);
        return std::nullopt;
    }
    if (picture) cache_->keepAnswer(key, pixelWidth, pixelHeight, era, *picture);
    return picture;
}

}  // namespace vistrel
