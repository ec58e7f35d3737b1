#include "vistrel/screens/gallery/card_picture_loader.hpp"

#include <utility>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/screens/gallery/store_picture.hpp"
#include "vistrel/store/store_notifications.hpp"

namespace vistrel {

namespace {

constexpr std::string_view kNoPhoto = "a card shows no photo";

platform::dispatch::Queue utility() {
    return platform::dispatch::global(platform::dispatch::QualityOfService::utility);
}

}  // namespace

bool CardPictureLoader::Card::stillWanted() const {
    auto view = shownIn.lock();
    return !wanted.expired() && view && view->imageToken() == token;
}

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
    Request request = std::make_shared<const bool>(true);
    Card card{request, view, view->renewImageToken(), std::move(store), key, pixelWidth, pixelHeight};
    ++loading_;
    if (asking_ || answered_ || !waiting_.empty()) {
        waiting_.push_back(std::move(card));  // asked in its turn
        return request;
    }
    const bool coming = ask(std::move(card), stamp);
    askWaitingCards();  // cards shown while the store was asked (its getPicture may lay views out)
    if (coming) return request;
    --loading_;
    return nullptr;  // the placeholder stays
}

bool CardPictureLoader::ask(Card card, const std::optional<CardPictureCache::FileStamp>& stamp) {
    const auto era = cache_->era();
    struct Asking {  // cards shown meanwhile wait for their turn
        bool& flag;
        explicit Asking(bool& flag) : flag(flag) { flag = true; }
        ~Asking() { flag = false; }
    };
    auto asked = [&] {
        Asking asking(asking_);
        return askStoreForPicture(*card.store, card.key, kNoPhoto);
    }();
    if (asked.readByTheKit) {
        decodeFile(std::move(card), stamp);
    } else if (asked.picture) {
        card.store.reset();  // not needed to bring the answer down
        answered_ = Answer{std::move(card), era, std::move(*asked.picture)};
        fitNextAnswer();
    }
    return asked.readByTheKit || asked.picture;
}

void CardPictureLoader::askWaitingCards() {
    while (!asking_ && !answered_ && !waiting_.empty()) {
        Card card = std::move(waiting_.front());
        waiting_.pop_front();
        if (!card.stillWanted()) {
            --loading_;
            continue;
        }
        // Another card may have had the same photo made meanwhile.
        const auto stamp = CardPictureCache::stampOf(card.store->picturePath(card.key));
        if (auto kept = cache_->find(card.key, card.pixelWidth, card.pixelHeight, stamp)) {
            finish(std::move(card), std::move(kept));
            continue;
        }
        if (!ask(std::move(card), stamp)) --loading_;
    }
}

void CardPictureLoader::fitNextAnswer() {
    if (fitting_ || !answered_) return;
    Answer answer = std::move(*answered_);
    answered_.reset();
    if (!answer.card.stillWanted()) {  // let go here, the card shows something else
        --loading_;
        return;
    }
    fitting_ = true;
    utility().async([self = shared_from_this(), answer = std::move(answer)]() mutable {
        std::optional<platform::graphics::Image> picture;
        Card card;
        {
            // The host's picture lives only until its card's is made.
            Answer whole = std::move(answer);
            if (!whole.card.wanted.expired())
                picture = self->fit(whole.picture, whole.card.key, whole.card.pixelWidth, whole.card.pixelHeight,
                                    whole.era);
            card = std::move(whole.card);
        }
        // The loader is let go on the main queue, whose objects it holds.
        platform::dispatch::main().async(
            [self = std::move(self), card = std::move(card), picture = std::move(picture)]() mutable {
                self->fitting_ = false;
                self->finish(std::move(card), std::move(picture));
                self->fitNextAnswer();
                self->askWaitingCards();
            });
    });
}

void CardPictureLoader::decodeFile(Card card, const std::optional<CardPictureCache::FileStamp>& stamp) {
    utility().async([self = shared_from_this(), card = std::move(card), stamp]() mutable {
        std::optional<platform::graphics::Image> picture;
        if (!card.wanted.expired())
            picture = self->decode(*card.store, card.key, card.pixelWidth, card.pixelHeight, stamp);
        // The loader and the store are let go on the main queue, whose objects they hold.
        platform::dispatch::main().async(
            [self = std::move(self), card = std::move(card), picture = std::move(picture)]() mutable {
                self->finish(std::move(card), std::move(picture));
            });
    });
}

void CardPictureLoader::finish(Card card, std::optional<platform::graphics::Image> picture) {
    --loading_;
    if (!picture || !card.stillWanted()) return;
    if (auto view = card.shownIn.lock()) view->setImage(std::move(picture));
}

std::optional<platform::graphics::Image> CardPictureLoader::decode(
    PersistanceController& store, const std::string& key, int pixelWidth, int pixelHeight,
    const std::optional<CardPictureCache::FileStamp>& stamp) {
    // Another card's decode of the same photo may have kept it since it was asked for.
    if (stamp)
        if (auto kept = cache_->find(key, pixelWidth, pixelHeight, stamp)) return kept;
    auto picture = guardedPicture([&] { return store.getPictureCovering(key, pixelWidth, pixelHeight); }, kNoPhoto,
                                  "decoding its file threw");
    if (picture && stamp) cache_->keep(key, pixelWidth, pixelHeight, *stamp, *picture);
    return picture;
}

std::optional<platform::graphics::Image> CardPictureLoader::fit(const platform::graphics::Image& answer,
                                                                const std::string& key, int pixelWidth,
                                                                int pixelHeight, std::uint64_t era) {
    auto picture =
        guardedPicture([&] { return platform::graphics::stillForDisplay(answer, pixelWidth, pixelHeight); },
                       kNoPhoto, "bringing the store's picture to card size threw");
    if (picture) cache_->keepAnswer(key, pixelWidth, pixelHeight, era, *picture);
    return picture;
}

}  // namespace vistrel
