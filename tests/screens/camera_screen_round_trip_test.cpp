// The shutter's road: the camera's permission, the still, the network, the scan and
// what the user sees at each end.
#include "camera_screen_fixture.hpp"
#include "model/image.hpp"
#include "platform/ui/alert_controller.hpp"
#include "presentation/image_view_model.hpp"
#include "ui/action_text_view_controller.hpp"
#include "ui/display_actions_view_controller.hpp"

namespace {

using namespace camerascreen;
using vistrel::tr;

// An answer whose one shown action runs by itself: a text page.
const char* autoTriggerAnswer = R"({"Id": "auto-1", "Title": "Poster", "SessionId": "s-1", "DocumentId": "doc-auto",
  "AutoTrigger": true, "Actions": [{"Id": "t-1", "Name": "Read", "Type": "TEXT", "Content": "{\"Text\": \"Hello\"}"}]})";

using CameraRoundTripTest = CameraScreenTest;

TEST_F(CameraRoundTripTest, WithoutCameraPermissionTheShutterOnlyExplains) {
    for (auto status : {camera::AuthorizationStatus::notDetermined, camera::AuthorizationStatus::restricted,
                        camera::AuthorizationStatus::denied}) {
        show();
        camera::setAuthorizationStatus(status);
        pressShutter();
        pumpUntil([] { return false; }, 20);
        auto alert = std::dynamic_pointer_cast<ui::AlertController>(navigation->presentedViewController());
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->title(), tr("camera.no_authorization.title"));
        EXPECT_EQ(alert->message(), tr("camera.no_authorization.message"));
        ASSERT_EQ(alert->actions().size(), 1u);
        EXPECT_EQ(alert->actions()[0]->title(), tr("general.ok"));
        EXPECT_FALSE(screen->isTakingPicture());
        EXPECT_TRUE(service.server.requests().empty());
        EXPECT_TRUE(hidden(screen->pictureImageView));
        alert->tapAction(0);
        time.advance(1s);
        EXPECT_FALSE(navigation->presentedViewController());
    }
}

// Offline, the photo is kept for the gallery to send later; when it cannot be kept the
// user is told so instead of being told it was kept.
TEST_F(CameraRoundTripTest, OfflinePhotoGoesToTheWaitingListOrTheUserHearsItWasNotKept) {
    struct Case {
        bool storeBlocked;
        const char* message;
        std::size_t waiting;
    };
    for (const Case& c : {Case{false, "camera.network.no_internet", 1}, Case{true, "camera.network.photo_not_kept", 0}}) {
        SCOPED_TRACE(c.message);
        store->layer->setApplicationDocumentsDirectory(c.storeBlocked ? stills.write("blocked", "a file")
                                                                      : service.dir / "docs");
        show();
        platform::net::setSimulatedNetwork(0);
        const auto before = waitingCount();
        takePicture();
        EXPECT_EQ(waitingCount(), before + c.waiting);
        ASSERT_TRUE(screen->alertController());
        EXPECT_EQ(screen->baseMessage(), tr(c.message));
        EXPECT_EQ(screen->alertController()->title(), "");
        // Nothing of a scan: no photo over the preview, no spinner, the buttons in place.
        EXPECT_TRUE(hidden(screen->pictureImageView));
        EXPECT_FALSE(screen->view()->viewWithTag(vistrel::VistrelViewController::loadingViewTag));
        EXPECT_EQ(controlsHidden(), navigationHidden(false));
        EXPECT_TRUE(service.server.requests().empty());
        time.advance(1400ms);
        EXPECT_TRUE(screen->alertController());
        time.advance(200ms);
        EXPECT_FALSE(screen->alertController());
        // The shutter works again.
        takePicture();
        EXPECT_EQ(waitingCount(), before + c.waiting * 2);
        time.advance(2s);
        platform::net::setSimulatedNetwork(platform::net::ReachabilityFlags::reachable);
    }
}

// The recognised page: the action list comes with the photo, the server's actions and
// the photo's QR code; embedded mode is passed on and keeps the navigation hidden.
TEST_F(CameraRoundTripTest, RecognisedPagePushesTheActionListWithThePhoto) {
    const auto serverOnly = vistrel::ImageViewModel(vistrel::Image::fromData(fixtureText("full_answer.json")));
    for (bool embedded : {false, true}) {
        SCOPED_TRACE(embedded);
        answerWith(fixtureText("full_answer.json"));
        useStill(qrPhoto("https://example.com/from-the-code"));
        show(embedded);
        const auto requests = service.server.requests().size();
        takePicture();
        EXPECT_EQ(service.server.requests().size(), requests + 1);
        auto list = std::dynamic_pointer_cast<vistrel::DisplayActionsViewController>(navigation->topViewController());
        ASSERT_TRUE(list);
        EXPECT_EQ(list->hideNavigationButtons, embedded);
        ASSERT_TRUE(list->picture);
        EXPECT_EQ(list->picture->pixelWidth(), 640);
        EXPECT_EQ(list->imageViewModel->numberOfActions(), serverOnly.numberOfActions() + 1);
        EXPECT_EQ(list->imageViewModel->imageName(), "Spring catalogue");
        // The buttons are back; the photo stays under the list until the screen is left.
        EXPECT_EQ(controlsHidden(), navigationHidden(embedded));
        EXPECT_FALSE(screen->view()->viewWithTag(vistrel::VistrelViewController::loadingViewTag));
        pumpUntil([&] { return screen->appearanceState() == ui::AppearanceState::disappeared; });
        EXPECT_TRUE(hidden(screen->pictureImageView));
        // The list recorded the page in the test's history.
        pumpUntil([&] { return list->vistrelImageViewModel() != nullptr; });
        EXPECT_EQ(list->vistrelImageViewModel()->persistanceController, store);
    }
}

TEST_F(CameraRoundTripTest, AutoTriggeredPageRunsItsActionAndIsRecorded) {
    answerWith(autoTriggerAnswer);
    show();
    takePicture();
    EXPECT_EQ(navigation->topViewController(), screen);  // no list
    auto presented = std::dynamic_pointer_cast<ui::NavigationController>(navigation->presentedViewController());
    ASSERT_TRUE(presented);
    auto page = std::dynamic_pointer_cast<vistrel::ActionTextViewController>(presented->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->text, "Hello");
    auto records = store->retrieveImages().value_or(vistrel::VistrelImages{});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.front()->identifier(), "auto-1");
    EXPECT_TRUE(hidden(screen->pictureImageView));
    EXPECT_EQ(controlsHidden(), navigationHidden(false));
}

TEST_F(CameraRoundTripTest, UnrecognisedPageShowsTheErrorForOneAndAHalfSeconds) {
    show();  // the service answers 500 and the plain photo has no code
    takePicture();
    EXPECT_EQ(service.server.requests().size(), 1u);
    EXPECT_EQ(navigation->topViewController(), screen);
    ASSERT_TRUE(screen->alertController());
    EXPECT_EQ(screen->baseMessage(), vistrel::localizedString(vistrel::VistrelError::notEnrichedImage));
    EXPECT_TRUE(hidden(screen->pictureImageView));
    EXPECT_EQ(controlsHidden(), navigationHidden(false));
    time.advance(1600ms);
    EXPECT_FALSE(screen->alertController());
}

// One press, one scan: presses while the capture or the scan runs are ignored, and the
// shutter works again once the scan has answered.
TEST_F(CameraRoundTripTest, PressesDuringACaptureOrAScanAreIgnored) {
    service.server.answer({500, "", {}, 150ms});
    show();
    pressShutter();
    pressShutter();  // the still is not there yet
    ASSERT_TRUE(pumpUntil([&] { return service.server.requests().size() == 1; }));
    screen->takePicture();  // while the scan runs (the shutter is hidden)
    ASSERT_TRUE(pumpUntil([&] { return !screen->isTakingPicture(); }));
    EXPECT_EQ(service.server.requests().size(), 1u);
    EXPECT_TRUE(log.contains("the press is ignored"));
    time.advance(2s);
    takePicture();
    EXPECT_EQ(service.server.requests().size(), 2u);
}

// A capture that fails leaves the screen as it was, ready for the next press.
TEST_F(CameraRoundTripTest, FailedCaptureIsLoggedAndTheShutterWorksAgain) {
    show();
    camera::setCameraFailures({.captureGivesNoBuffer = true});
    takePicture();
    EXPECT_TRUE(service.server.requests().empty());
    EXPECT_FALSE(screen->alertController());
    EXPECT_EQ(controlsHidden(), navigationHidden(false));
    camera::setCameraFailures({});
    takePicture();
    EXPECT_EQ(service.server.requests().size(), 1u);
}

}  // namespace
