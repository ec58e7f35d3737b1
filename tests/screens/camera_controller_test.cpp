// The camera controller over the simulated camera and real JPEG stills: preparation off
// the main thread, the preview, the torch, focus, and one answer on main per capture.
#include "screens/camera_controller.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/camera/camera_simulation.hpp"
#include "platform/camera/capture_connection.hpp"
#include "platform/camera/capture_device.hpp"
#include "platform/camera/capture_session.hpp"
#include "platform/camera/video_preview_layer.hpp"
#include "platform/dispatch/main_thread.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "platform/foundation/log.hpp"
#include "platform/ui/render.hpp"
#include "platform/ui/view.hpp"
#include "support/camera_stills.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
namespace camera = platform::camera;
using camera::FocusMode;
using platform::LogCapture;
using platform::dispatch::RunLoop;
using platform::graphics::Color;
using vistrel::CameraController;
using vistrel::CameraControllerError;

struct Answer {
    int calls = 0;
    bool onMain = true;
    std::optional<platform::graphics::Image> photo;
    std::optional<platform::Error> error;
};

class CameraControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        camera::resetCameraSimulation();
        camera::setAuthorizationStatus(camera::AuthorizationStatus::authorized);
        testsupport::writeStill(stills / "a.jpg", testsupport::solidJpeg(Color::red(), 32, 24));
        testsupport::writeStill(stills / "b.jpg", testsupport::solidJpeg(Color::blue(), 32, 24));
        camera::setStillsSource(stills.path());
    }
    void TearDown() override {
        RunLoop::runUntilIdle();
        camera::resetCameraSimulation();
    }

    // Prepares the controller in `view` and waits until the main queue has the result.
    void prepare() {
        controller->configureInView(view);
        ASSERT_TRUE(RunLoop::runUntil([&] { return controller->captureSession() != nullptr; }, 10s));
    }

    // Asks for a still; checks the answer is not given on the caller's stack, then waits for it.
    std::shared_ptr<Answer> capture() {
        auto answer = std::make_shared<Answer>();
        controller->capturePicture([answer](auto photo, auto error) {
            ++answer->calls;
            answer->onMain = answer->onMain && platform::dispatch::isMainThread();
            answer->photo = std::move(photo);
            answer->error = std::move(error);
        });
        EXPECT_EQ(answer->calls, 0) << "answered synchronously";
        EXPECT_TRUE(RunLoop::runUntil([&] { return answer->calls > 0; }, 10s));
        RunLoop::runFor(5ms);  // a second answer would show here
        return answer;
    }

    testsupport::TempDir stills;
    std::shared_ptr<platform::ui::View> view = std::make_shared<platform::ui::View>(platform::ui::Rect{0, 0, 90, 160});
    std::shared_ptr<CameraController> controller = std::make_shared<CameraController>();
};

struct CaptureCase {
    const char* name;
    std::function<void()> before;                  // before preparation
    std::function<void(CameraController&)> after;  // after preparation, before the press
    bool photo;
    std::optional<CameraControllerError> error;
};

TEST_F(CameraControllerTest, EveryCaptureEndsInExactlyOneAnswerOnMain) {
    const auto fail = [](camera::CameraFailures failures) {
        return [failures] { camera::setCameraFailures(failures); };
    };
    const auto none = [] {};
    const auto keep = [](CameraController&) {};
    const CaptureCase cases[] = {
        {"a still", none, keep, true, std::nullopt},
        {"no camera", [] { camera::setSimulatedCameras({}); }, keep, false,
         CameraControllerError::captureSessionIsMissing},
        {"no input", fail({.deviceInput = true}), keep, false, CameraControllerError::captureSessionIsMissing},
        {"camera lock refused", fail({.lockForConfiguration = true}), keep, false,
         CameraControllerError::captureSessionIsMissing},
        {"output refused", fail({.sessionRefusesOutput = true}), keep, false,
         CameraControllerError::captureSessionIsMissing},
        {"input refused", fail({.sessionRefusesInput = true}), keep, false,
         CameraControllerError::captureSessionIsMissing},
        {"no connection", none, [](auto&) { camera::setCameraFailures({.noConnection = true}); }, false,
         CameraControllerError::captureSessionIsMissing},
        {"inactive connection", none, [](auto&) { camera::setCameraFailures({.inactiveConnection = true}); }, false,
         CameraControllerError::captureSessionIsMissing},
        {"session stopped", none, [](CameraController& c) { c.captureSession()->stopRunning(); }, false,
         CameraControllerError::captureSessionIsMissing},
        {"no buffer", none, [](auto&) { camera::setCameraFailures({.captureGivesNoBuffer = true}); }, false,
         CameraControllerError::unknown},
        {"no stills", none, [](auto&) { camera::setStillsSource(std::nullopt); }, false,
         CameraControllerError::unknown},
        {"no jpeg bytes", none, [](auto&) { camera::setCameraFailures({.bufferWithoutJpeg = true}); }, false,
         CameraControllerError::unknown},
        {"undecodable bytes", none, [](auto&) { camera::setCameraFailures({.undecodableJpeg = true}); }, false,
         std::nullopt},
    };
    for (const CaptureCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        controller = std::make_shared<CameraController>();
        view = std::make_shared<platform::ui::View>(platform::ui::Rect{0, 0, 90, 160});
        LogCapture log;
        c.before();
        prepare();
        c.after(*controller);
        const auto answer = capture();
        EXPECT_EQ(answer->calls, 1);
        EXPECT_TRUE(answer->onMain);
        EXPECT_EQ(answer->photo.has_value(), c.photo);
        EXPECT_EQ(answer->error ? vistrel::cameraControllerError(*answer->error) : std::nullopt, c.error);
        if (answer->photo) {
            EXPECT_EQ(answer->photo->pixelWidth(), 32);
            EXPECT_TRUE(testsupport::closeColor(answer->photo->bitmap().pixel(16, 12), Color::red()));
        }
        TearDown();
    }
}

TEST_F(CameraControllerTest, PressesBeforeThePreparationIsHandedOverSeeNoSession) {
    controller->configureInView(view);
    // The preparation may have finished on its queue, but main has not taken it yet.
    EXPECT_FALSE(controller->toggleFlash());
    const auto early = capture();
    EXPECT_EQ(early->calls, 1);
    EXPECT_EQ(vistrel::cameraControllerError(*early->error), CameraControllerError::captureSessionIsMissing);
    ASSERT_TRUE(RunLoop::runUntil([&] { return controller->captureSession() != nullptr; }, 10s));
    EXPECT_TRUE(capture()->photo);
}

TEST_F(CameraControllerTest, ThePreviewGoesUnderEverySublayerWithTheBoundsOfThatMoment) {
    auto cover = std::make_shared<platform::ui::View>(platform::ui::Rect{0, 0, 10, 10});
    view->addSubview(cover);
    prepare();
    controller->configureInView(view);  // once only
    RunLoop::runUntilIdle();
    const auto& layer = controller->previewLayer();
    ASSERT_TRUE(layer);
    ASSERT_EQ(view->layer().sublayers().size(), 2u);
    EXPECT_EQ(view->layer().sublayers().front(), layer);
    EXPECT_EQ(layer->frame(), view->bounds());
    EXPECT_EQ(layer->videoGravity(), camera::VideoGravity::resizeAspectFill);
    ASSERT_TRUE(layer->connection());
    EXPECT_EQ(layer->connection()->videoOrientation(), camera::VideoOrientation::portrait);
    view->setBounds({0, 0, 300, 300});
    EXPECT_EQ(layer->frame(), (platform::ui::Rect{0, 0, 90, 160}));
    // It shows what the next press takes.
    const auto drawn = platform::ui::render(*view, 1);
    ASSERT_TRUE(drawn);
    EXPECT_TRUE(testsupport::closeColor(drawn->pixel(60, 100), Color::red()));
}

TEST_F(CameraControllerTest, NoBackCameraIsLoggedAndLeavesNoPreview) {
    camera::setSimulatedCameras({{camera::DevicePosition::front}});
    LogCapture log;
    prepare();
    EXPECT_TRUE(log.contains("noCamerasAvailable"));
    EXPECT_FALSE(controller->rearCamera());
    EXPECT_FALSE(controller->previewLayer());
    EXPECT_FALSE(controller->captureSession()->isRunning());
    EXPECT_TRUE(view->layer().sublayers().empty());
    EXPECT_FALSE(controller->toggleFlash());
}

TEST_F(CameraControllerTest, FocusIsTheBestModeTheCameraSupports) {
    struct FocusCase {
        std::vector<FocusMode> supported;
        FocusMode chosen;
    };
    const FocusCase cases[] = {
        {{FocusMode::locked, FocusMode::autoFocus, FocusMode::continuousAutoFocus}, FocusMode::continuousAutoFocus},
        {{FocusMode::locked, FocusMode::autoFocus}, FocusMode::autoFocus},
        {{FocusMode::autoFocus}, FocusMode::autoFocus},
        {{FocusMode::locked}, FocusMode::locked},
        {{}, FocusMode::locked},  // nothing to choose: left as it was
    };
    for (const FocusCase& c : cases) {
        SCOPED_TRACE(c.supported.size());
        camera::setSimulatedCameras({{camera::DevicePosition::back, c.supported, true}});
        controller = std::make_shared<CameraController>();
        LogCapture log;
        prepare();
        ASSERT_TRUE(controller->rearCamera());
        EXPECT_EQ(controller->rearCamera()->focusMode(), c.chosen);
        EXPECT_FALSE(controller->rearCamera()->isLockedForConfiguration());
        EXPECT_EQ(log.count("not supported"), 0u);
        EXPECT_TRUE(controller->captureSession()->isRunning());
    }
}

TEST_F(CameraControllerTest, TheTorchTogglesAndEveryFailureGivesTheLockBack) {
    prepare();
    const auto& device = controller->rearCamera();
    ASSERT_TRUE(device);
    LogCapture log;
    EXPECT_TRUE(controller->toggleFlash());
    EXPECT_TRUE(device->isTorchActive());
    EXPECT_EQ(device->torchMode(), camera::TorchMode::on);
    EXPECT_FALSE(controller->toggleFlash());
    EXPECT_FALSE(device->isTorchActive());
    EXPECT_TRUE(log.lines().empty());

    camera::setCameraFailures({.torchLevel = true});
    EXPECT_FALSE(controller->toggleFlash());
    EXPECT_FALSE(device->isTorchActive());
    EXPECT_FALSE(device->isLockedForConfiguration());
    camera::setCameraFailures({.lockForConfiguration = true});
    EXPECT_FALSE(controller->toggleFlash());
    EXPECT_FALSE(device->isLockedForConfiguration());
    EXPECT_EQ(log.count("toggleFlash error :: "), 2u);
    EXPECT_EQ(log.lines().size(), 2u);

    camera::setCameraFailures({});
    EXPECT_TRUE(controller->toggleFlash());
}

TEST_F(CameraControllerTest, ACameraWithoutTorchSaysNoAndPrintsNothing) {
    camera::setSimulatedCameras({{camera::DevicePosition::back, {FocusMode::autoFocus}, false}});
    prepare();
    LogCapture log;
    EXPECT_FALSE(controller->toggleFlash());
    EXPECT_FALSE(controller->toggleFlash());
    EXPECT_TRUE(log.lines().empty());
}

}  // namespace
