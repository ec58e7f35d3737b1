// Favourites and the store's notifications: a star tapped on a card is saved and moves
// the record in or out of the favourites tab; a save posted from any thread reloads the
// gallery on the main queue; leaving the gallery frees it.
#include <thread>

#include "platform/dispatch/main_thread.hpp"
#include "platform/ui/notification_center.hpp"
#include "screens/gallery_test_support.hpp"
#include "store/store_notifications.hpp"

namespace gallerytest {
namespace {

TEST_F(GalleryTest, StarTappedOnACardIsSavedAndMovesTheRecordBetweenTabs) {
    recognised("a", 1);
    auto gallery = open();
    for (bool favorite : {true, false}) {
        auto first = card(*gallery->contentControllers[0], 0);
        ASSERT_TRUE(first);
        tap(*first->favoriteLabel.lock());
        time.advance(1s);
        // Saved: a fresh controller over the same file reads the mark.
        EXPECT_EQ(makeStore("")->retrieveImages()->front()->isFavorite(), favorite);
        EXPECT_EQ(tabs(*gallery)[1], favorite ? std::vector<std::string>{"a"} : std::vector<std::string>{});
        // The tap on the star opened nothing.
        EXPECT_EQ(navigation->topViewController(), gallery);
        EXPECT_FALSE(gallery->isResending());
    }
}

TEST_F(GalleryTest, SavesPostedOnAnyThreadReloadOnTheMainQueueWhileVisible) {
    recognised("a", 1);
    auto gallery = open();
    // Another controller over the same file adds a record while the gallery does not listen.
    gallery->viewWillDisappear(false);
    auto other = makeStore("");
    other->loadOrCreateVistrelImage("doc-b", "b", "b", photo(), at(2));
    time.advance(1s);
    EXPECT_EQ(tabs(*gallery)[0], std::vector<std::string>{"a"});

    gallery->viewWillAppear(false);
    std::thread poster([&] {
        EXPECT_FALSE(platform::dispatch::isMainThread());
        platform::ui::NotificationCenter::defaultCenter().post(
            std::string(vistrel::managedObjectContextDidSaveNotification));
    });
    poster.join();
    EXPECT_EQ(tabs(*gallery)[0], std::vector<std::string>{"a"});  // nothing ran on the poster's thread
    platform::dispatch::RunLoop::runUntilIdle();
    EXPECT_EQ(tabs(*gallery)[0], (std::vector<std::string>{"b", "a"}));
}

TEST_F(GalleryTest, FavouriteFlippedOnTheActionListReloadsOnceOnReturn) {
    recognised("a", 1);
    auto gallery = open();
    auto above = std::make_shared<platform::ui::ViewController>();
    navigation->pushViewController(above, false);
    // While covered, the gallery hears nothing; the action list marks it for a reload.
    auto other = makeStore("");
    other->loadOrCreateVistrelImage("doc-b", "b", "b", photo(), at(2));
    gallery->fetchCoreData();
    EXPECT_EQ(tabs(*gallery)[0], std::vector<std::string>{"a"});
    navigation->popViewController(false);
    time.advance(1s);
    EXPECT_EQ(tabs(*gallery)[0], (std::vector<std::string>{"b", "a"}));
    EXPECT_FALSE(gallery->needToReload);
}

TEST_F(GalleryTest, LeavingTheGalleryFreesItsPagesAndCards) {
    recognised("a", 1, true);
    waiting(2);
    std::weak_ptr<GalleryViewController> weakGallery;
    std::weak_ptr<GalleryContentViewController> weakPage;
    {
        auto gallery = open();
        gallery->toggleEdition();
        ASSERT_TRUE(card(*gallery->contentControllers[0], 0));
        weakGallery = gallery;
        weakPage = gallery->contentControllers[1];
        navigation->popViewController(true);
    }
    time.advance(1s);
    EXPECT_TRUE(weakGallery.expired());
    EXPECT_TRUE(weakPage.expired());
}

}  // namespace
}  // namespace gallerytest
