// Opening a stored record sends its photo again over a loopback recognition service:
// the action list with the gallery as its delegate, the waiting record deleted once the
// answer is in the history, taps ignored while a photo is away, no request offline, the
// error alert, the automatic action, and a record deleted while its photo was away.
#include <fstream>
#include <sstream>

#include "platform/net/reachability_flags.hpp"
#include "platform/ui/application.hpp"
#include "screens/gallery_test_support.hpp"
#include "support/recognition_service.hpp"
#include "ui/display_actions_view_controller.hpp"

namespace gallerytest {
namespace {

using platform::net::ReachabilityFlags::reachable;

testsupport::CannedAnswer canned(int status, std::string body) {
    testsupport::CannedAnswer answer;
    answer.status = status;
    answer.body = std::move(body);
    answer.delay = 150ms;  // the photo is away long enough for what the tests do meanwhile
    return answer;
}

testsupport::CannedAnswer recognisedPage() {
    std::ifstream in(std::string(VISTREL_TEST_DATA) + "/answers/full_answer.json", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return canned(200, text.str());  // "Spring catalogue", identifier 5f1c2a9e-img-0001
}

struct ResendTest : GalleryTest {
    testsupport::RecognitionService service;
    testsupport::CannedAnswer answer = recognisedPage();

    void SetUp() override {
        GalleryTest::SetUp();
        platform::net::setSimulatedNetwork(reachable);
        service.server.answerWith([this](const testsupport::CapturedRequest&) { return answer; });
    }
    void TearDown() override {
        platform::net::setSimulatedNetwork(std::nullopt);
        GalleryTest::TearDown();
    }
    std::shared_ptr<vistrel::DisplayActionsViewController> actionList() {
        return std::dynamic_pointer_cast<vistrel::DisplayActionsViewController>(navigation->topViewController());
    }
    bool waitFor(const std::function<bool()>& done) { return platform::dispatch::RunLoop::runUntil(done, 10s); }
    bool spinning(GalleryViewController& gallery) {
        return gallery.view()->viewWithTag(vistrel::VistrelViewController::loadingViewTag) != nullptr;
    }
};

TEST_F(ResendTest, WaitingPhotoGoesOutOnceAndLeavesTheListAfterItsAnswerIsRecorded) {
    waiting(1);
    std::weak_ptr<GalleryViewController> weak;
    {
        auto gallery = open(LibraryOption::waitingList);
        weak = gallery;
        tap(card(*gallery, LibraryOption::waitingList));
        EXPECT_TRUE(spinning(*gallery));
        tap(card(*gallery, LibraryOption::waitingList));  // again while the photo is away
        ASSERT_TRUE(waitFor([&] { return actionList() != nullptr; }));
        EXPECT_EQ(service.server.requests().size(), 1u);
        EXPECT_FALSE(spinning(*gallery));
        auto actions = actionList();
        EXPECT_EQ(std::dynamic_pointer_cast<GalleryViewController>(actions->delegate), gallery);
        time.advance(1s);
        EXPECT_EQ(stored(), Titles{"Spring catalogue"});  // the answer in, the waiting photo out
        actions->noFavoriteButton()->sendActions(platform::ui::ControlEvents::touchUpInside);
        navigation->popViewController(false);
        time.advance(1s);
        EXPECT_EQ(tabs(*gallery), (std::vector<Titles>{{"Spring catalogue"}, {"Spring catalogue"}, {}}));
    }
    navigation->popViewController(false);
    time.advance(1s);
    EXPECT_TRUE(weak.expired());  // the action list's hold on its delegate went with it
}

TEST_F(ResendTest, OutcomesOfASelection) {
    const std::string automatic =
        R"({"Id": "auto-1", "Title": "Auto page", "DocumentId": "doc-auto", "AutoTrigger": true, "Actions": [)"
        R"({"Id": "go", "Name": "Go", "Type": "URL", "Content": "{\"Url\": \"https://example.com/auto\"}"}]})";
    struct Row {
        const char* name;
        bool online, recognisedRecord;
        testsupport::CannedAnswer answer;
        std::optional<std::string> alert;  // the timed alert's message, and how long it stays
        double seconds;
        bool pushed, opened;
        Titles left;
    };
    const Row rows[] = {
        {"offline", false, false, recognisedPage(), vistrel::tr("camera.network.no_internet"), 1.5, false, false,
         {vistrel::tr("gallery.image.unrecognized")}},
        {"not recognised", true, false, canned(500, ""), vistrel::tr("actions.list.error.not_enriched_image"), 2.0,
         false, false, {vistrel::tr("gallery.image.unrecognized")}},
        {"automatic action", true, false, canned(200, automatic), std::nullopt, 0, false, true, {"Auto page"}},
        {"recognised record", true, true, recognisedPage(), std::nullopt, 0, true, false, {"Spring catalogue"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store->deleteAllImages();
        platform::net::setSimulatedNetwork(row.online ? reachable : 0);
        platform::ui::Application::shared().clearOpenedURLs();
        const std::size_t before = service.server.requests().size();
        answer = row.answer;
        if (row.recognisedRecord)
            store->loadOrCreateVistrelImage("doc-42", "5f1c2a9e-img-0001", "Spring catalogue", photo(), at(1));
        else
            waiting(1);
        auto gallery = open();
        tap(card(*gallery, LibraryOption::recents));
        EXPECT_EQ(spinning(*gallery), row.online);
        ASSERT_TRUE(waitFor([&] { return !gallery->isResending(); }));
        EXPECT_EQ(service.server.requests().size() - before, row.online ? 1u : 0u);
        EXPECT_EQ(gallery->alertController() ? gallery->baseMessage() : std::nullopt, row.alert);
        if (row.alert) {
            time.advance(std::chrono::milliseconds(static_cast<int>(row.seconds * 1000) - 150));
            EXPECT_TRUE(gallery->alertController());
            time.advance(300ms);
            EXPECT_FALSE(gallery->alertController());
        }
        time.advance(1s);
        EXPECT_EQ(actionList() != nullptr, row.pushed);
        EXPECT_EQ(platform::ui::Application::shared().openedURLs().size(), row.opened ? 1u : 0u);
        EXPECT_EQ(stored(), row.left);
        navigation->popToRootViewController(false);
        time.advance(1s);
    }
}

TEST_F(ResendTest, RecordDeletedWhileItsPhotoIsAwayIsNotReadAgain) {
    auto record = waiting(1);
    auto gallery = open(LibraryOption::waitingList);
    tap(card(*gallery, LibraryOption::waitingList));
    ASSERT_TRUE(gallery->isResending());
    gallery->deleteImage(record);
    time.advance(1s);
    ASSERT_TRUE(waitFor([&] { return actionList() != nullptr; }));
    EXPECT_FALSE(gallery->needToReload);  // nothing more to delete
    time.advance(1s);
    EXPECT_EQ(stored(), Titles{"Spring catalogue"});  // recorded by the action list itself
}

}  // namespace
}  // namespace gallerytest
