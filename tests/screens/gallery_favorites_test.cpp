// Favourites and the store's notifications: a star tapped on a card is saved and moves
// the record in or out of the favourites tab; a save posted from another thread reloads
// the gallery on the main queue; leaving the gallery frees it.
#include <thread>

#include "platform/ui/notification_center.hpp"
#include "screens/gallery_test_support.hpp"
#include "store/store_notifications.hpp"

namespace gallerytest {
namespace {

TEST_F(GalleryTest, StarTappedOnACardIsSavedAndMovesTheRecordBetweenTabs) {
    recognised("a", 1);
    auto gallery = open();
    for (bool favorite : {true, false}) {
        tap(card(*gallery, LibraryOption::recents)->favoriteLabel.lock());
        time.advance(1s);
        EXPECT_EQ(makeStore("")->retrieveImages()->front()->isFavorite(), favorite);
        EXPECT_EQ(tabs(*gallery)[1], favorite ? Titles{"a"} : Titles{});
        EXPECT_FALSE(gallery->isResending());  // the star opened nothing
    }
}

TEST_F(GalleryTest, SavesPostedFromAnotherThreadReloadOnTheMainQueue) {
    recognised("a", 1);
    auto gallery = open();
    gallery->viewWillDisappear(false);  // not listening while another controller adds "b"
    makeStore("")->loadOrCreateVistrelImage("doc-b", "b", "b", photo(), at(2));
    time.advance(1s);
    gallery->viewWillAppear(false);
    std::thread([] {
        platform::ui::NotificationCenter::defaultCenter().post(std::string(vistrel::managedObjectContextDidSaveNotification));
    }).join();
    EXPECT_EQ(tabs(*gallery)[0], Titles{"a"});  // nothing ran on the poster's thread
    platform::dispatch::RunLoop::runUntilIdle();
    EXPECT_EQ(tabs(*gallery)[0], (Titles{"b", "a"}));
}

TEST_F(GalleryTest, LeavingTheGalleryFreesItsPagesAndCards) {
    recognised("a", 1, true);
    waiting(2);
    std::weak_ptr<GalleryViewController> weak;
    {
        auto gallery = open();
        gallery->toggleEdition();
        ASSERT_TRUE(card(*gallery, LibraryOption::favorites));
        weak = gallery;
        navigation->popViewController(true);
    }
    time.advance(1s);
    EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace gallerytest
