// What the camera screen tells the user when a photo cannot be scanned now: offline, that
// there is no connection; online, that the recognition service could not be reached. In
// both, whether the photo waits in the gallery or could not be kept, as the history has it.
#include "screen_fixture.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"

namespace {

using namespace screentest;
using vistrel::tr;

class CameraMessageTest : public ScreenTest {
protected:
    void show() {
        navigation = vistrel::Vistrel::rootViewController();
        screen = std::dynamic_pointer_cast<vistrel::CameraViewController>(navigation->viewControllers().front());
        ASSERT_TRUE(screen);
        screen->persistanceController = store;
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        ASSERT_TRUE(pumpUntil([&] { return screen->cameraController->previewLayer() != nullptr; }, 30000));
    }
    // Presses the shutter and waits (a bound that only catches a hang) until the screen is
    // done with the picture.
    void takePicture() {
        ui::tap(window, centreInWindow(*screen->photoView.lock()));
        ASSERT_TRUE(pumpUntil([&] { return !screen->isTakingPicture(); }, 30000));
    }
    std::size_t waitingCount() {
        std::size_t count = 0;
        for (const auto& record : store->retrieveImages().value_or(vistrel::VistrelImages{})) count += !record->documentId();
        return count;
    }

    std::shared_ptr<vistrel::CameraViewController> screen;
};

TEST_F(CameraMessageTest, TheMessageSaysWhyThePhotoWaitsAndWhetherItWasKept) {
    const struct {
        const char* name;
        bool online;
        testsupport::CannedAnswer answer;
        bool storeWritable;
        const char* message;
    } rows[] = {
        {"offline, kept", false, {500, "", {}}, true, "camera.network.no_internet"},
        {"offline, not kept", false, {500, "", {}}, false, "camera.network.photo_not_kept"},
        {"500, kept", true, {500, "", {}}, true, "camera.network.service_unavailable.photo_kept"},
        {"503, not kept", true, {503, "{}", {}}, false, "camera.network.service_unavailable.photo_not_kept"},
        {"reset, kept", true, {200, "", {}, 0ms, true}, true, "camera.network.service_unavailable.photo_kept"},
        {"reset, not kept", true, {200, "", {}, 0ms, true}, false,
         "camera.network.service_unavailable.photo_not_kept"},
    };
    const auto documents = service.dir / "docs";
    const auto blocked = stills.write("blocked", "a file where the photos' folder would be");
    show();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(tr(row.message), row.message);  // a text of its own
        store->layer->setApplicationDocumentsDirectory(row.storeWritable ? documents : blocked);
        platform::net::setSimulatedNetwork(row.online ? platform::net::ReachabilityFlags::reachable
                                                      : platform::net::ReachabilityFlagWord{0});
        service.server.answer(row.answer);
        const auto requests = service.server.requests().size();
        const auto before = waitingCount();
        takePicture();
        EXPECT_EQ(std::tuple(service.server.requests().size(), screen->alertController() ? screen->baseMessage() : std::nullopt,
                             waitingCount()),
                  std::tuple(requests + row.online, std::optional<std::string>(tr(row.message)),
                             before + row.storeWritable));
        time.advance(1600ms);  // the message closes itself
        EXPECT_FALSE(screen->alertController());
    }
}

}  // namespace
