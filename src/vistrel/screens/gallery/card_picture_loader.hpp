#pragma once
// The photos of a gallery's cards. A card asks for its record's photo at the size it
// shows it: a picture the cache holds for it comes at once. Else the store is asked
// through its getPicture, on the main thread (store_picture.hpp), and the card keeps its
// placeholder while the picture is made card-sized on the global queue at utility
// quality (behind a photo the user opens, or a scan): where the kit's own getPicture
// was reached, the kit's file is decoded at card size (getPictureCovering), never whole;
// a picture a host's store answered, at any size, is brought down to the card's size
// there, never on the main thread. Either is kept in the cache (a host's answer until the
// store's did-save or objects-did-change notification next comes) and set on the main
// queue, only while the card holds the request it was given and its image view has been
// given nothing else since. So a card reused for another record never shows the photo of
// the one before, however late its picture ends. A picture whose request was let go
// before it began is not made. A store whose getPicture throws, or answers nothing,
// leaves the placeholder.
//
// A host's store may answer every card with a full-size picture of its own (read from its
// files, say): the loader holds at most two of them at once, one being brought down to
// card size and one just returned, and lets each go as soon as its card's picture is
// made, or as soon as its card no longer waits for it. The request a card holds is a mark
// of its wish, never the answer. So while one answer is waiting for its turn, the next
// cards wait to ask the store (on the main thread, in the order they were shown, those
// no longer shown passed over). The kit's own store, or a host's that leaves its photos
// to the kit, answers no picture itself: its cards are asked at once, as they show.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/screens/gallery/card_picture_cache.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

class CardPictureLoader : public std::enable_shared_from_this<CardPictureLoader> {
public:
    // Held by the card while its picture may come; none when there is nothing to wait for.
    using Request = std::shared_ptr<const void>;

    // The cache keeps `capacity` pictures (0: none).
    explicit CardPictureLoader(std::size_t capacity = 8);
    ~CardPictureLoader();
    CardPictureLoader(const CardPictureLoader&) = delete;
    CardPictureLoader& operator=(const CardPictureLoader&) = delete;

    // Shows the photo of the key in the view, at the smallest size that covers
    // `pixelWidth` x `pixelHeight`, as above. Main thread, on a loader held by a shared
    // pointer.
    Request show(const std::shared_ptr<platform::ui::ImageView>& view, std::shared_ptr<PersistanceController> store,
                 const std::string& key, int pixelWidth, int pixelHeight);

    // Pictures asked for whose end has not yet reached the main queue (main thread).
    std::size_t loading() const { return loading_; }
    const CardPictureCache& cache() const { return *cache_; }

private:
    // A card waiting for its picture: whose photo, at what size, shown where.
    struct Card {
        std::weak_ptr<const void> wanted;  // the card's request
        std::weak_ptr<platform::ui::ImageView> shownIn;
        std::uint64_t token = 0;  // the view's image token when the card asked
        std::shared_ptr<PersistanceController> store;  // let go on the main thread
        std::string key;
        int pixelWidth = 0, pixelHeight = 0;
        bool stillWanted() const;
    };
    // A host's answer for a card, asked when the cache was at `era`.
    struct Answer {
        Card card;
        std::uint64_t era = 0;
        platform::graphics::Image picture;
    };

    // Main thread. Asks the card's store; false when nothing is to come.
    bool ask(Card card, const std::optional<CardPictureCache::FileStamp>& stamp);
    // Asks the cards that wait, in turn, while no answer waits for its turn.
    void askWaitingCards();
    // Sends the answer that waits to be brought to card size, unless one is under way.
    void fitNextAnswer();
    // The picture of the card, made or not: shown if the card still wants it.
    void finish(Card card, std::optional<platform::graphics::Image> picture);
    // The kit's file of the card decoded at its size on the global queue.
    void decodeFile(Card card, const std::optional<CardPictureCache::FileStamp>& stamp);

    // On the global queue: the kit's file at card size, from the cache or decoded.
    std::optional<platform::graphics::Image> decode(PersistanceController& store, const std::string& key,
                                                    int pixelWidth, int pixelHeight,
                                                    const std::optional<CardPictureCache::FileStamp>& stamp);
    // On the global queue: a host's answer, asked when the cache was at `era`, at card size.
    std::optional<platform::graphics::Image> fit(const platform::graphics::Image& answer, const std::string& key,
                                                 int pixelWidth, int pixelHeight, std::uint64_t era);

    const std::shared_ptr<CardPictureCache> cache_;
    std::vector<platform::ui::ObserverToken> observers_;  // the store's notifications
    // Main thread only:
    std::size_t loading_ = 0;
    std::deque<Card> waiting_;        // cards not yet asked, in the order shown
    std::optional<Answer> answered_;  // a host's answer waiting for its turn
    bool fitting_ = false;            // an answer is being brought to card size
    bool asking_ = false;             // a store's getPicture is running
};

}  // namespace vistrel
