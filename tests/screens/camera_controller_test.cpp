// The camera controller over the simulated camera and real JPEG stills: preparation off
// the main thread, the preview, the torch, focus, and one answer on main per capture.
#include "vistrel/screens/camera/camera_controller.hpp"

#include "screen_fixture.hpp"
#include "vistrel/platform/camera/capture_device.hpp"
#include "vistrel/platform/camera/capture_session.hpp"
#include "vistrel/platform/camera/video_preview_layer.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/ui/render.hpp"

namespace {

using namespace screentest;
using camera::FocusMode;
using vistrel::CameraController;
using Error = vistrel::CameraControllerError;

// What the capture completions gave: how many, all on main, the photo's width, the error.
using Answer = std::tuple<int, bool, int, std::optional<Error>>;

struct CameraControllerTest : ScreenTest {
    // Prepares the controller in `view` and waits until the main queue has the result.
    void prepare() {
        controller->configureInView(view);
        ASSERT_TRUE(RunLoop::runUntil([&] { return controller->captureSession() != nullptr; }, 2min));
    }
    // Asks for a still; the answer must not come on the caller's stack, and only once.
    Answer capture() {
        auto answer = std::make_shared<Answer>(0, true, 0, std::nullopt);
        controller->capturePicture([answer](auto photo, auto error) {
            auto& [calls, onMain, width, code] = *answer;
            ++calls;
            onMain = onMain && platform::dispatch::isMainThread();
            width = photo ? photo->pixelWidth() : 0;
            code = error ? vistrel::cameraControllerError(*error) : std::nullopt;
        });
        EXPECT_EQ(std::get<0>(*answer), 0) << "answered synchronously";
        EXPECT_TRUE(RunLoop::runUntil([&] { return std::get<0>(*answer) > 0; }, 2min));
        RunLoop::runFor(5ms);  // a second answer would show here
        return *answer;
    }
    std::shared_ptr<ui::View> view = std::make_shared<ui::View>(ui::Rect{0, 0, 90, 160});
    std::shared_ptr<CameraController> controller = std::make_shared<CameraController>();
};

TEST_F(CameraControllerTest, EveryCaptureEndsInExactlyOneAnswerOnMain) {
    using Step = std::function<void(CameraController&)>;
    const auto fail = [](camera::CameraFailures failures) { return [failures](auto&) { camera::setCameraFailures(failures); }; };
    const Step none = [](auto&) {};
    const Error missing = Error::captureSessionIsMissing;
    const struct {
        const char* name;
        Step before, after;  // before preparation; after it, before the press
        int width;
        std::optional<Error> error;
    } cases[] = {
        {"a still", none, none, 32, std::nullopt},
        {"no back camera", [](auto&) { camera::setSimulatedCameras({{camera::DevicePosition::front}}); }, none, 0, missing},
        {"no input", fail({.deviceInput = true}), none, 0, missing},
        {"camera lock refused", fail({.lockForConfiguration = true}), none, 0, missing},
        {"output refused", fail({.sessionRefusesOutput = true}), none, 0, missing},
        {"input refused", fail({.sessionRefusesInput = true}), none, 0, missing},
        {"no connection", none, fail({.noConnection = true}), 0, missing},
        {"inactive connection", none, fail({.inactiveConnection = true}), 0, missing},
        {"session stopped", none, [](CameraController& c) { c.captureSession()->stopRunning(); }, 0, missing},
        {"no buffer", none, fail({.captureGivesNoBuffer = true}), 0, Error::unknown},
        {"no stills", none, [](auto&) { camera::setStillsSource(std::nullopt); }, 0, Error::unknown},
        {"unreadable still", none, [this](auto&) { camera::setStillsSource(stills / "none.jpg"); }, 0, Error::unknown},
        {"no jpeg bytes", none, fail({.bufferWithoutJpeg = true}), 0, Error::unknown},
        {"undecodable bytes", none, fail({.undecodableJpeg = true}), 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        camera::resetCameraSimulation();
        camera::setAuthorizationStatus(camera::AuthorizationStatus::authorized);
        useStill(testsupport::solidJpeg(plainBlue, 32, 24));
        controller = std::make_shared<CameraController>();
        view = std::make_shared<ui::View>(ui::Rect{0, 0, 90, 160});
        c.before(*controller);
        prepare();
        c.after(*controller);
        EXPECT_EQ(capture(), Answer(1, true, c.width, c.error));
    }
}

TEST_F(CameraControllerTest, PressesBeforeThePreparationIsHandedOverSeeNoSession) {
    controller->configureInView(view);
    // The preparation may have finished on its queue, but main has not taken it yet.
    EXPECT_FALSE(controller->toggleFlash());
    EXPECT_EQ(capture(), Answer(1, true, 0, Error::captureSessionIsMissing));
    ASSERT_TRUE(RunLoop::runUntil([&] { return controller->captureSession() != nullptr; }, 2min));
    EXPECT_EQ(capture(), Answer(1, true, 320, std::nullopt));
}

TEST_F(CameraControllerTest, ThePreviewGoesUnderEverySublayerOnceAndShowsTheNextStill) {
    view->addSubview(std::make_shared<ui::View>(ui::Rect{0, 0, 10, 10}));
    prepare();
    controller->configureInView(view);  // once only
    RunLoop::runUntilIdle();
    ASSERT_EQ(view->layer().sublayers().size(), 2u);
    EXPECT_EQ(view->layer().sublayers().front(), controller->previewLayer());
    const auto drawn = ui::render(*view, 1);
    ASSERT_TRUE(drawn);
    EXPECT_TRUE(testsupport::closeColor(drawn->pixel(60, 100), plainBlue));
}

TEST_F(CameraControllerTest, FocusIsTheBestModeTheCameraSupportsAndTheLockIsGivenBack) {
    const struct {
        std::vector<FocusMode> supported;
        FocusMode chosen;
    } cases[] = {
        {{FocusMode::locked, FocusMode::autoFocus, FocusMode::continuousAutoFocus}, FocusMode::continuousAutoFocus},
        {{FocusMode::locked, FocusMode::autoFocus}, FocusMode::autoFocus},
        {{FocusMode::locked}, FocusMode::locked},
        {{}, FocusMode::locked},  // nothing to choose: left as it was
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.supported.size());
        camera::setSimulatedCameras({{camera::DevicePosition::back, c.supported, false}});
        controller = std::make_shared<CameraController>();
        prepare();
        const auto& device = controller->rearCamera();
        ASSERT_TRUE(device);
        EXPECT_EQ(std::tuple(device->focusMode(), device->isLockedForConfiguration(), controller->toggleFlash()),
                  std::tuple(c.chosen, false, false));  // and no torch to switch
    }
    EXPECT_EQ(log.count("not supported") + log.count("toggleFlash"), 0u);
}

TEST_F(CameraControllerTest, TheTorchTogglesAndEveryFailureGivesTheLockBack) {
    prepare();
    const auto& device = controller->rearCamera();
    ASSERT_TRUE(device);
    EXPECT_TRUE(controller->toggleFlash());
    EXPECT_TRUE(device->isTorchActive());
    EXPECT_FALSE(controller->toggleFlash());
    EXPECT_FALSE(device->isTorchActive());
    for (auto failures : {camera::CameraFailures{.torchLevel = true}, camera::CameraFailures{.lockForConfiguration = true}}) {
        camera::setCameraFailures(failures);
        EXPECT_FALSE(controller->toggleFlash());
        EXPECT_FALSE(device->isTorchActive());
        EXPECT_FALSE(device->isLockedForConfiguration());
    }
    EXPECT_EQ(log.count("toggleFlash error :: "), 2u);
    camera::setCameraFailures({});
    EXPECT_TRUE(controller->toggleFlash());
}

}  // namespace
