// Deleting from the gallery: the confirmation is asked on the page, deletes the record
// tapped when it was asked if it is still listed, "No" only closes it, the pages drop
// the record at once, and the store is asked even for a record the list no longer holds.
#include "platform/ui/alert_controller.hpp"
#include "screens/gallery_test_support.hpp"

namespace gallerytest {
namespace {

// Edition mode, then a tap on the first card of the recents page: the confirmation.
std::shared_ptr<platform::ui::AlertController> askAboutFirstCard(GalleryTest& test, GalleryViewController& gallery) {
    gallery.toggleEdition();
    test.tap(GalleryTest::card(gallery, LibraryOption::recents));
    test.time.advance(1s);
    return std::dynamic_pointer_cast<platform::ui::AlertController>(gallery.contentControllers[0]->presentedViewController());
}

TEST_F(GalleryTest, YesDeletesTheRecordAskedAboutOnlyWhileItIsListed) {
    // While the question is open, a newer record arrives, or the record asked about goes.
    const std::pair<bool, Titles> rows[] = {{true, {"c", "a"}}, {false, {"a"}}};
    for (const auto& [arrives, left] : rows) {
        store->deleteAllImages();
        recognised("a", 1);
        auto b = recognised("b", 2);
        auto gallery = open();
        auto alert = askAboutFirstCard(*this, *gallery);
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->message(), vistrel::tr("gallery.delete_photo"));
        if (arrives)
            recognised("c", 3);
        else
            store->deleteImage(b);
        time.advance(1s);
        EXPECT_TRUE(alert->tapAction(vistrel::tr("general.yes")));
        time.advance(1s);
        EXPECT_EQ(stored(), left);
        EXPECT_EQ(tabs(*gallery)[0], left);
        navigation->popViewController(false);
    }
}

TEST_F(GalleryTest, NoOnlyClosesTheAlertOfAGalleryPresentedModally) {
    auto host = std::make_shared<platform::ui::ViewController>();
    window->setRootViewController(host);
    host->present(navigation, false);
    recognised("a", 1);
    auto gallery = open();
    auto alert = askAboutFirstCard(*this, *gallery);  // presented from the page, over the host's presentation
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->tapAction(vistrel::tr("general.no")));
    time.advance(1s);
    EXPECT_EQ(host->presentedViewController(), navigation);
    EXPECT_EQ(navigation->topViewController(), gallery);
    EXPECT_FALSE(navigation->presentedViewController());
    EXPECT_EQ(stored(), Titles{"a"});
}

TEST_F(GalleryTest, PagesDropTheRecordAtOnceAndTheStoreDeletesEvenUnlistedOnes) {
    recognised("old", 1);
    recognised("a", 2);
    store = makeStore("1");  // only the newest is listed
    auto gallery = open();
    gallery->deleteImage(store->loadVistrelImages({"a"})->front());
    EXPECT_EQ(tabs(*gallery)[0], Titles{});  // before the store has done its part
    EXPECT_EQ(stored(), (Titles{"a", "old"}));
    auto old = store->loadVistrelImages({"old"})->front();
    gallery->deleteImage(old);
    gallery->deleteImage(old);  // twice: the store's deletion is idempotent
    time.advance(1s);
    EXPECT_EQ(stored(), Titles{});
}

}  // namespace
}  // namespace gallerytest
