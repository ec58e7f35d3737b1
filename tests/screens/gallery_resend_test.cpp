// Opening a stored record sends its photo again over a loopback recognition service:
// the action list with the gallery as its delegate, the waiting record deleted once the
// answer is in the history, taps ignored while a photo is away, no request offline, the
// error alert, the automatic action, and a record deleted while its photo was away.
#include <fstream>
#include <sstream>

#include "core/vistrel_bundle.hpp"
#include "platform/net/reachability_flags.hpp"
#include "platform/ui/application.hpp"
#include "screens/gallery_test_support.hpp"
#include "support/recognition_service.hpp"
#include "ui/display_actions_view_controller.hpp"

namespace gallerytest {
namespace {

using platform::net::ReachabilityFlags::reachable;
using vistrel::DisplayActionsViewController;

std::string fullAnswer() {
    std::ifstream in(std::string(VISTREL_TEST_DATA) + "/answers/full_answer.json", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string autoAnswer =
    R"({"Id": "auto-1", "Title": "Auto page", "DocumentId": "doc-auto", "AutoTrigger": true, "Actions": [)"
    R"({"Id": "go", "Name": "Go", "Type": "URL",)"
    R"( "Content": "{\"Url\": \"https://example.com/auto\", \"IsEmbeddedWebView\": false}"}]})";

testsupport::CannedAnswer canned(int status, std::string body) {
    testsupport::CannedAnswer answer;
    answer.status = status;
    answer.body = std::move(body);
    return answer;
}

struct ResendTest : GalleryTest {
    testsupport::RecognitionService service;
    testsupport::CannedAnswer answer = canned(200, fullAnswer());

    void SetUp() override {
        GalleryTest::SetUp();
        platform::net::setSimulatedNetwork(reachable);
        platform::ui::Application::shared().clearOpenedURLs();
        service.server.answerWith([this](const testsupport::CapturedRequest&) { return answer; });
    }
    void TearDown() override {
        platform::net::setSimulatedNetwork(std::nullopt);
        GalleryTest::TearDown();
    }

    void openFirstCard(GalleryViewController& gallery, LibraryOption tab) {
        auto first = card(*gallery.contentControllers[static_cast<std::size_t>(vistrel::rawValue(tab))], 0);
        ASSERT_TRUE(first);
        tap(*first);
    }
    std::shared_ptr<DisplayActionsViewController> actionList() {
        return std::dynamic_pointer_cast<DisplayActionsViewController>(navigation->topViewController());
    }
    bool waitFor(const std::function<bool()>& done) {
        return platform::dispatch::RunLoop::runUntil(done, std::chrono::seconds(10));
    }
    static bool spinning(GalleryViewController& gallery) {
        return gallery.view()->viewWithTag(vistrel::VistrelViewController::loadingViewTag) != nullptr;
    }
    std::size_t waitingRecords() {
        std::size_t count = 0;
        for (const auto& record : makeStore("")->retrieveImages().value_or(vistrel::VistrelImages{}))
            count += !record->documentId();
        return count;
    }
};

TEST_F(ResendTest, WaitingPhotoGoesOutOnceAndLeavesTheListAfterItsAnswerIsRecorded) {
    waiting(1);
    std::weak_ptr<GalleryViewController> weak;
    {
        auto gallery = open(LibraryOption::waitingList);
        weak = gallery;
        openFirstCard(*gallery, LibraryOption::waitingList);
        EXPECT_TRUE(gallery->isResending());
        EXPECT_TRUE(spinning(*gallery));
        openFirstCard(*gallery, LibraryOption::waitingList);  // a second tap while the photo is away
        ASSERT_TRUE(waitFor([&] { return actionList() != nullptr; }));
        EXPECT_TRUE(log.contains("a photo is being sent"));
        EXPECT_EQ(service.server.requests().size(), 1u);
        EXPECT_FALSE(spinning(*gallery));
        EXPECT_FALSE(gallery->isResending());

        auto actions = actionList();
        EXPECT_EQ(std::dynamic_pointer_cast<GalleryViewController>(actions->delegate), gallery);
        EXPECT_FALSE(actions->hideNavigationButtons);
        ASSERT_TRUE(actions->picture);
        EXPECT_EQ(actions->picture->pixelWidth(), 64);
        time.advance(1s);
        // The answer is in the history; the waiting record is not.
        EXPECT_TRUE(makeStore("")->loadVistrelImages({"5f1c2a9e-img-0001"}));
        EXPECT_EQ(waitingRecords(), 0u);
        EXPECT_TRUE(gallery->needToReload);

        navigation->popViewController(false);
        time.advance(1s);
        EXPECT_EQ(tabs(*gallery), (std::vector<std::vector<std::string>>{{"Spring catalogue"}, {}, {}}));
    }
    // Back to the camera screen: the gallery and its pages go.
    navigation->popViewController(false);
    time.advance(1s);
    EXPECT_TRUE(weak.expired());
}

TEST_F(ResendTest, OutcomesOfASelection) {
    struct Row {
        const char* name;
        bool online;
        testsupport::CannedAnswer answer;
        bool recognisedRecord;
        std::size_t requests;
        std::optional<std::string> alert;  // the timed alert's message
        double alertTime;
        bool pushed;
        bool opened;
        std::size_t waitingAfter;
    };
    const std::string error = vistrel::tr("actions.list.error.not_enriched_image");
    const std::string offline = vistrel::tr("camera.network.no_internet");
    const Row rows[] = {
        {"offline", false, canned(200, ""), false, 0, offline, 1.5, false, false, 1},
        {"not recognised", true, canned(500, ""), false, 1, error, 2.0, false, false, 1},
        {"automatic action", true, canned(200, autoAnswer), false, 1, std::nullopt, 0, false, true, 0},
        {"recognised record", true, canned(200, fullAnswer()), true, 1, std::nullopt, 0, true, false, 0},
    };
    int second = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store->deleteAllImages();
        platform::net::setSimulatedNetwork(row.online ? reachable : 0);
        platform::ui::Application::shared().clearOpenedURLs();
        const std::size_t before = service.server.requests().size();
        answer = row.answer;
        if (row.recognisedRecord)
            recognised("5f1c2a9e-img-0001", ++second);
        else
            waiting(++second);
        auto gallery = open(LibraryOption::recents);
        openFirstCard(*gallery, LibraryOption::recents);
        if (!row.online) {
            EXPECT_FALSE(spinning(*gallery));
        }
        ASSERT_TRUE(waitFor([&] { return !gallery->isResending(); }));
        EXPECT_EQ(service.server.requests().size() - before, row.requests);
        if (row.alert) {
            ASSERT_TRUE(gallery->alertController());
            EXPECT_EQ(gallery->baseMessage(), row.alert);
            time.advance(std::chrono::milliseconds(static_cast<int>(row.alertTime * 1000) - 150));
            EXPECT_TRUE(gallery->alertController());
            time.advance(300ms);
            EXPECT_FALSE(gallery->alertController());
        } else {
            EXPECT_FALSE(gallery->alertController());
        }
        time.advance(1s);
        EXPECT_EQ(actionList() != nullptr, row.pushed);
        EXPECT_EQ(platform::ui::Application::shared().openedURLs().size(), row.opened ? 1u : 0u);
        EXPECT_EQ(waitingRecords(), row.waitingAfter);
        if (row.opened) {
            EXPECT_TRUE(makeStore("")->loadVistrelImages({"auto-1"}));  // the scan stays in the history
        }
        navigation->popToRootViewController(false);
        time.advance(1s);
    }
}

TEST_F(ResendTest, RecordDeletedWhileItsPhotoIsAwayIsNotReadAgain) {
    auto record = waiting(1);
    answer.delay = 200ms;
    auto gallery = open(LibraryOption::waitingList);
    openFirstCard(*gallery, LibraryOption::waitingList);
    ASSERT_TRUE(gallery->isResending());
    gallery->deleteImage(record);
    time.advance(1s);
    EXPECT_EQ(waitingRecords(), 0u);
    ASSERT_TRUE(waitFor([&] { return actionList() != nullptr; }));
    EXPECT_FALSE(gallery->needToReload);  // nothing more to delete
    EXPECT_FALSE(log.contains("could not be recorded"));
}

}  // namespace
}  // namespace gallerytest
