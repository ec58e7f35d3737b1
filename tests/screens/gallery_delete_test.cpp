// Deleting from the gallery: the confirmation is asked on the page, deletes the record
// tapped when it was asked (if still listed), "No" only closes it, and the store is
// asked even for a record the list no longer holds.
#include "platform/ui/alert_controller.hpp"
#include "screens/gallery_test_support.hpp"

namespace gallerytest {
namespace {

struct DeleteTest : GalleryTest {
    std::shared_ptr<GalleryViewController> gallery;

    // Edition mode, then a tap on the first card of the recents page: the confirmation.
    std::shared_ptr<platform::ui::AlertController> askAboutFirstCard() {
        gallery->toggleEdition();
        auto first = card(*gallery->contentControllers[0], 0);
        EXPECT_TRUE(first);
        if (!first) return nullptr;
        tap(*first);
        time.advance(1s);
        return std::dynamic_pointer_cast<platform::ui::AlertController>(
            gallery->contentControllers[0]->presentedViewController());
    }

    std::vector<std::string> stored() {
        std::vector<std::string> titles;
        const auto records = makeStore("")->retrieveImages();
        for (const auto& record : records.value_or(vistrel::VistrelImages{}))
            titles.push_back(record->title().value_or("?"));
        return titles;
    }
};

TEST_F(DeleteTest, YesDeletesTheRecordAskedAboutEvenAfterAReload) {
    recognised("a", 1);
    recognised("b", 2);
    gallery = open();
    auto alert = askAboutFirstCard();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), "Delete this photo?");
    // A newer record arrives while the question is open: "b" is no longer first.
    recognised("c", 3);
    time.advance(1s);
    EXPECT_EQ(tabs(*gallery)[0], (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_TRUE(alert->tapAction("Yes"));
    time.advance(1s);
    EXPECT_EQ(tabs(*gallery)[0], (std::vector<std::string>{"c", "a"}));
    EXPECT_EQ(stored(), (std::vector<std::string>{"c", "a"}));
}

TEST_F(DeleteTest, YesDeletesNothingWhenTheRecordLeftTheListMeanwhile) {
    auto a = recognised("a", 1);
    auto b = recognised("b", 2);
    gallery = open();
    auto alert = askAboutFirstCard();
    ASSERT_TRUE(alert);
    store->deleteImage(b);
    time.advance(1s);
    EXPECT_TRUE(alert->tapAction("Yes"));
    time.advance(1s);
    EXPECT_EQ(stored(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(tabs(*gallery)[0], (std::vector<std::string>{"a"}));
}

TEST_F(DeleteTest, NoOnlyClosesTheAlertOfAGalleryPresentedModally) {
    // The host presents the kit's navigation controller over a screen of its own.
    auto host = std::make_shared<platform::ui::ViewController>();
    window->setRootViewController(host);
    navigation = std::make_shared<platform::ui::NavigationController>(std::make_shared<platform::ui::ViewController>());
    host->present(navigation, false);
    recognised("a", 1);
    gallery = open();
    auto alert = askAboutFirstCard();
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->tapAction("No"));
    time.advance(1s);
    EXPECT_EQ(host->presentedViewController(), navigation);
    EXPECT_EQ(navigation->topViewController(), gallery);
    EXPECT_FALSE(navigation->presentedViewController());  // the alert is gone
    EXPECT_EQ(stored(), (std::vector<std::string>{"a"}));
}

TEST_F(DeleteTest, PagesDropTheRecordAtOnceAndTheStoreDeletesEvenUnlistedOnes) {
    recognised("old", 1);
    recognised("a", 2);
    store = makeStore("1");  // only the newest is listed
    gallery = open();
    auto a = store->loadVistrelImages({"a"})->front();
    auto old = store->loadVistrelImages({"old"})->front();
    EXPECT_EQ(tabs(*gallery)[0], (std::vector<std::string>{"a"}));
    gallery->deleteImage(a);
    // Every page shows the shorter list before the store has done its part.
    EXPECT_EQ(tabs(*gallery)[0], std::vector<std::string>{});
    EXPECT_EQ(stored(), (std::vector<std::string>{"a", "old"}));
    gallery->deleteImage(old);
    gallery->deleteImage(old);  // twice: the store's deletion is idempotent
    time.advance(1s);
    EXPECT_EQ(stored(), std::vector<std::string>{});
}

}  // namespace
}  // namespace gallerytest
