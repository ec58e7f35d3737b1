// The camera screen as a user meets it: the shutter's road (the camera's permission, the
// still, the network, the scan and what the user sees at each end), the migration it
// opens, its look, the flash and its ways to the other screens.
#include "model/answer_fixtures.hpp"
#include "screen_fixture.hpp"
#include "support/file_size_limit.hpp"
#include "support/qr/qr_pictures.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/fab/fab.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/camera/capture_device.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/screens/about/info_view_controller.hpp"
#include "vistrel/screens/actions/action_text_view_controller.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"
#include "vistrel/screens/migration/migration_view_controller.hpp"
#include "vistrel/screens/tutorial/tutorial_view_controller.hpp"

namespace {

using namespace screentest;
using modeltest::fixtureText;
using vistrel::tr;

// What the user sees of the camera screen: the requests the service had, whether the
// camera screen is on top, the timed alert's message, whether the photo and the spinner
// show, and which of shutter, flash, gallery, floating menu and menu button are hidden.
using Seen = std::tuple<std::size_t, bool, std::optional<std::string>, bool, bool, std::vector<bool>>;

class CameraScreenTest : public ScreenTest {
protected:
    // The kit's root navigation controller (or, embedded, the camera screen alone) shown
    // in the window, its camera running.
    void show(bool embedded = false) {
        navigation = embedded ? vistrel::Vistrel::cameraViewController() : vistrel::Vistrel::rootViewController();
        screen = std::dynamic_pointer_cast<vistrel::CameraViewController>(navigation->viewControllers().front());
        ASSERT_TRUE(screen);
        screen->persistanceController = store;
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        ASSERT_TRUE(pumpUntil([&] { return screen->cameraController->previewLayer() != nullptr; }));
    }
    void pressShutter() { ui::tap(window, centreInWindow(*screen->photoView.lock())); }
    // Presses the shutter and waits until the screen is done with the picture.
    void takePicture() {
        pressShutter();
        ASSERT_TRUE(pumpUntil([&] { return !screen->isTakingPicture(); }));
    }
    // The history's records without a document identifier: the gallery's waiting list.
    std::size_t waitingCount() {
        std::size_t count = 0;
        for (const auto& record : store->retrieveImages().value_or(vistrel::VistrelImages{})) count += !record->documentId();
        return count;
    }
    Seen seen() const {
        auto hidden = [](const auto& outlet) { return outlet.lock()->isHidden(); };
        return {service.server.requests().size(),
                navigation->topViewController() == screen,
                screen->alertController() ? screen->baseMessage() : std::nullopt,
                !hidden(screen->pictureImageView),
                screen->view()->viewWithTag(vistrel::VistrelViewController::loadingViewTag) != nullptr,
                {hidden(screen->photoView), hidden(screen->flashButton), hidden(screen->galleryButton),
                 hidden(screen->fabView), hidden(screen->menuButton)}};
    }
    static std::vector<bool> controls(bool embedded = false) { return {false, false, embedded, embedded, embedded}; }

    std::shared_ptr<vistrel::CameraViewController> screen;
};

TEST_F(CameraScreenTest, WithoutCameraPermissionTheShutterOnlyExplains) {
    for (auto status : {camera::AuthorizationStatus::notDetermined, camera::AuthorizationStatus::restricted,
                        camera::AuthorizationStatus::denied}) {
        show();
        camera::setAuthorizationStatus(status);
        pressShutter();
        pumpUntil([&] { return navigation->presentedViewController() != nullptr; });
        auto alert = std::dynamic_pointer_cast<ui::AlertController>(navigation->presentedViewController());
        ASSERT_TRUE(alert);
        EXPECT_EQ(std::tuple(alert->title(), alert->message(), alert->actions().size()),
                  std::tuple(tr("camera.no_authorization.title"), tr("camera.no_authorization.message"), 1u));
        EXPECT_FALSE(screen->isTakingPicture());
        EXPECT_EQ(seen(), (Seen{0, true, std::nullopt, false, false, controls()}));
        alert->tapAction(0);
        time.advance(1s);
        EXPECT_FALSE(navigation->presentedViewController());
    }
}

// Offline, the photo is kept for the gallery to send later; when it cannot be kept (its
// file cannot be written, or the disk is too full for its record) the user is told so
// instead of being told it was kept. A still that comes as a host's savePicture runs the
// main loop is kept once that save ends.
TEST_F(CameraScreenTest, OfflinePhotoGoesToTheWaitingListOrTheUserHearsItWasNotKept) {
    enum class Store { usable, photoCannotBeWritten, full, inAHostsSave };
    for (const Store state : {Store::usable, Store::photoCannotBeWritten, Store::full, Store::inAHostsSave}) {
        SCOPED_TRACE(static_cast<int>(state));
        const bool kept = state == Store::usable || state == Store::inAHostsSave;
        store->layer->setApplicationDocumentsDirectory(
            state == Store::photoCannotBeWritten ? stills.write("blocked", "a file") : service.dir / "docs");
        std::shared_ptr<HostsStore> host;
        if (state == Store::inAHostsSave) store = host = std::make_shared<HostsStore>(store->layer);
        show();
        platform::net::setSimulatedNetwork(0);
        const auto before = waitingCount();
        std::optional<testsupport::ScopedFileSizeLimit> full;
        if (state == Store::full) full.emplace(4096);  // the photo fits, a page of the store does not
        if (host) {
            static bool putOff;
            putOff = false;
            platform::setFileStepObserver([](std::string_view step) {
                putOff = putOff || step == "store: put off until the main thread's write ends";
            });
            host->meanwhile = [&] {
                pressShutter();
                pumpUntil([&] { return putOff || !screen->isTakingPicture(); });
            };
            EXPECT_TRUE(host->loadOrCreateVistrelImage("doc", "first", "first", photo(), at(1)));
            platform::setFileStepObserver(nullptr);
            ASSERT_TRUE(pumpUntil([&] { return !screen->isTakingPicture(); }));
        } else {
            takePicture();
        }
        const std::string message = tr(kept ? "camera.network.no_internet" : "camera.network.photo_not_kept");
        EXPECT_EQ(waitingCount(), before + kept);
        EXPECT_EQ(seen(), (Seen{0, true, message, false, false, controls()}));
        time.advance(1600ms);
        EXPECT_FALSE(screen->alertController());
        takePicture();  // the shutter works again
        EXPECT_EQ(waitingCount(), before + 2 * kept);
        full.reset();
        EXPECT_EQ(stored().size(), before + 2 * kept + (host ? 1 : 0));  // as the next launch finds it
        time.advance(2s);
        platform::net::setSimulatedNetwork(platform::net::ReachabilityFlags::reachable);
    }
}

// A service that fails to answer says nothing of the page: the photo waits in the gallery
// as one taken offline, with a message that blames the service; only an answer that
// recognised nothing says the page is not recognised.
TEST_F(CameraScreenTest, APhotoTheServiceFailedOnWaitsAsAnOfflineOne) {
    const struct {
        const char* name;
        testsupport::CannedAnswer answer;
        bool kept;
        // Only the time-out row has a short one (its server stays silent far longer).
        std::optional<std::chrono::milliseconds> idleTimeout = std::nullopt;
    } rows[] = {
        {"500", {500, "", {}}, true},
        {"503", {503, "{}", {}}, true},
        {"reset", {200, "", {}, 0ms, true}, true},
        {"time-out", {200, "{}", {}, 60s}, true, 200ms},
        {"200 recognising nothing", {200, "[]", {}}, false},
    };
    show();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        vistrel::Client::setRecognitionTimeout(row.idleTimeout);
        service.server.answer(row.answer);
        const auto before = waitingCount();
        const auto requests = service.server.requests().size();
        takePicture();
        const std::string message = row.kept ? tr("camera.network.service_unavailable.photo_kept")
                                             : vistrel::localizedString(vistrel::VistrelError::notEnrichedImage);
        EXPECT_EQ(waitingCount(), before + row.kept);
        EXPECT_EQ(seen(), (Seen{requests + 1, true, message, false, false, controls()}));
        time.advance(1600ms);
    }
}

// The recognised page: the action list comes with the photo, the server's actions and
// the photo's QR code; embedded mode is passed on and keeps the navigation hidden.
TEST_F(CameraScreenTest, RecognisedPagePushesTheActionListWithThePhoto) {
    const auto serverOnly = vistrel::ImageViewModel(vistrel::Image::fromData(fixtureText("full_answer.json")));
    for (bool embedded : {false, true}) {
        SCOPED_TRACE(embedded);
        answerWith(fixtureText("full_answer.json"));
        useStill(qrtest::sceneJpeg({640, 480, {{"https://example.com/from-the-code", 0.5, 0.5, 0.5, 0}}}));  // a page with a code
        show(embedded);
        EXPECT_EQ(std::get<5>(seen()), controls(embedded));
        const auto requests = service.server.requests().size();
        takePicture();
        auto list = std::dynamic_pointer_cast<vistrel::DisplayActionsViewController>(navigation->topViewController());
        ASSERT_TRUE(list && list->picture);
        EXPECT_EQ(std::tuple(list->hideNavigationButtons, list->picture->pixelWidth(),
                             list->imageViewModel->numberOfActions(), list->imageViewModel->imageName()),
                  std::tuple(embedded, 640, serverOnly.numberOfActions() + 1, std::string("Spring catalogue")));
        // The buttons are back; the photo stays under the list until the screen is left.
        pumpUntil([&] { return screen->appearanceState() == ui::AppearanceState::disappeared; });
        EXPECT_EQ(seen(), (Seen{requests + 1, false, std::nullopt, false, false, controls(embedded)}));
        // The list recorded the page in the test's history.
        pumpUntil([&] { return list->vistrelImageViewModel() != nullptr; });
        EXPECT_EQ(list->vistrelImageViewModel()->persistanceController, store);
    }
}

TEST_F(CameraScreenTest, AutoTriggeredPageRunsItsActionAndIsRecorded) {
    answerWith(R"({"Id": "auto-1", "Title": "Poster", "SessionId": "s-1", "DocumentId": "doc-auto",
      "AutoTrigger": true, "Actions": [{"Id": "t-1", "Name": "Read", "Type": "TEXT", "Content": "{\"Text\": \"Hello\"}"}]})");
    show();
    takePicture();
    EXPECT_EQ(seen(), (Seen{1, true, std::nullopt, false, false, controls()}));  // no list
    auto presented = std::dynamic_pointer_cast<ui::NavigationController>(navigation->presentedViewController());
    ASSERT_TRUE(presented);
    auto page = std::dynamic_pointer_cast<vistrel::ActionTextViewController>(presented->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->text, "Hello");
    auto records = store->retrieveImages().value_or(vistrel::VistrelImages{});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.front()->identifier(), "auto-1");
}

// An answer the history cannot take (no "DocumentId") still runs its one action.
TEST_F(CameraScreenTest, AnAutoTriggeredPageThatCannotBeRecordedStillRunsItsAction) {
    answerWith(R"({"Id": "auto-1", "Title": "Poster", "SessionId": "s-1", "AutoTrigger": true,
      "Actions": [{"Id": "t-1", "Name": "Read", "Type": "TEXT", "Content": "{\"Text\": \"Hello\"}"}]})");
    platform::LogCapture log;
    show();
    takePicture();
    auto presented = std::dynamic_pointer_cast<ui::NavigationController>(navigation->presentedViewController());
    ASSERT_TRUE(presented);
    auto page = std::dynamic_pointer_cast<vistrel::ActionTextViewController>(presented->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(std::tuple(page->text, store->retrieveImages().value_or(vistrel::VistrelImages{}).size()),
              std::tuple(std::optional<std::string>("Hello"), 0u));
    EXPECT_TRUE(log.contains("history :: the image is not recorded"));
}

// One press, one scan: presses while the capture or the scan runs are ignored, and the
// shutter works again once the scan has answered, or once a capture failed.
TEST_F(CameraScreenTest, PressesDuringACaptureOrAScanAreIgnoredAndAnUnrecognisedPageIsSaid) {
    service.server.answer({204, "", {}, 150ms});
    show();
    pressShutter();
    pressShutter();  // the still is not there yet
    ASSERT_TRUE(pumpUntil([&] { return service.server.requests().size() == 1; }));
    screen->takePicture();  // while the scan runs (the shutter is hidden)
    ASSERT_TRUE(pumpUntil([&] { return !screen->isTakingPicture(); }));
    EXPECT_TRUE(log.contains("the press is ignored"));
    // Not recognised (the service answers without an image and the plain photo has no
    // code): the error for one and a half seconds.
    const auto message = vistrel::localizedString(vistrel::VistrelError::notEnrichedImage);
    EXPECT_EQ(seen(), (Seen{1, true, message, false, false, controls()}));
    time.advance(1600ms);
    EXPECT_FALSE(screen->alertController());
    camera::setCameraFailures({.captureGivesNoBuffer = true});
    takePicture();
    EXPECT_EQ(seen(), (Seen{1, true, std::nullopt, false, false, controls()}));
    camera::setCameraFailures({});
    takePicture();
    EXPECT_EQ(service.server.requests().size(), 2u);
}

// The migration opens once the screen is in a window and has appeared, and is not tried
// again by the same screen when it closes unfinished.
TEST_F(CameraScreenTest, MigrationOpensAtTheFirstAppearanceOnly) {
    vistrel::VistrelPref::setHasBeenMigrated(false);
    navigation = vistrel::Vistrel::rootViewController();
    screen = std::dynamic_pointer_cast<vistrel::CameraViewController>(navigation->viewControllers().front());
    screen->loadViewIfNeeded();  // loaded outside any window: nothing can be presented yet
    pumpUntil([] { return false; }, 5);
    EXPECT_FALSE(navigation->presentedViewController());
    EXPECT_FALSE(log.contains("Warning"));
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    EXPECT_TRUE(std::dynamic_pointer_cast<vistrel::MigrationViewController>(navigation->presentedViewController()));
    pumpUntil([&] { return !navigation->presentedViewController(); });
    EXPECT_TRUE(vistrel::VistrelPref::hasBeenMigrated());
    vistrel::VistrelPref::setHasBeenMigrated(false);
    navigation->pushViewController(std::make_shared<ui::ViewController>(), false);
    navigation->popViewController(false);
    pumpUntil([&] { return screen->appearanceState() == ui::AppearanceState::appeared; });
    pumpUntil([] { return false; }, 5);  // a presentation, were one queued, would come now
    EXPECT_EQ(screen->appearanceState(), ui::AppearanceState::appeared);
    EXPECT_FALSE(navigation->presentedViewController());
}

TEST_F(CameraScreenTest, PreviewShowsWhatTheCameraSeesUnderTheShutter) {
    service.set(vistrel::ConfigurationKey::primaryColor, "#D02040");
    show();
    auto bitmap = ui::render(*window, 1.0);
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(testsupport::closeColor(bitmap->pixel(187, 200), plainBlue, 0.05));  // no bar over the preview
    const auto frame = screen->photoView.lock()->convertRect(screen->photoView.lock()->bounds(), nullptr);
    EXPECT_TRUE(testsupport::closeColor(bitmap->pixel(int(frame.minX() + 12), int(frame.midY())),
                                        vistrel::vistrelPrimary(), 0.05));
}

TEST_F(CameraScreenTest, FlashSwitchesTheTorchAndKeepsItsGlyph) {
    show();
    auto flash = screen->flashButton.lock();
    const auto glyph = flash->title(ui::ControlState::normal);
    for (bool on : {true, false}) {
        ui::tap(window, centreInWindow(*flash));
        EXPECT_EQ(std::tuple(screen->cameraController->rearCamera()->isTorchActive(), flash->title(ui::ControlState::normal)),
                  std::tuple(on, glyph));
    }
}

// Each menu entry closes the menu, then presents its screen over the camera screen; the
// gallery button pushes the gallery on its recents tab.
TEST_F(CameraScreenTest, MenuEntriesAndGalleryButtonOpenTheirScreens) {
    show();
    auto fab = screen->fabView.lock();
    ASSERT_EQ(fab->items().size(), 2u);
    for (std::size_t entry : {0u, 1u}) {
        ui::tap(window, centreInWindow(*fab));
        time.advance(1s);
        ui::tap(window, centreInWindow(*fab->items()[entry]));
        time.advance(1s);
        auto presented = navigation->presentedViewController();
        auto about = std::dynamic_pointer_cast<ui::NavigationController>(presented);
        EXPECT_TRUE(fab->closed() && presented && presented->presentingViewController() == navigation);
        EXPECT_TRUE(entry == 0 ? std::dynamic_pointer_cast<vistrel::TutorialViewController>(presented) != nullptr
                               : about && std::dynamic_pointer_cast<vistrel::InfoViewController>(about->viewControllers().front()));
        navigation->dismiss(false);
        time.advance(1s);
    }
    ui::tap(window, centreInWindow(*screen->galleryButton.lock()));
    pumpUntil([&] { return navigation->topViewController() != screen; });
    auto gallery = std::dynamic_pointer_cast<vistrel::GalleryViewController>(navigation->topViewController());
    ASSERT_TRUE(gallery);
    EXPECT_EQ(gallery->option, vistrel::LibraryOption::recents);
}

}  // namespace
