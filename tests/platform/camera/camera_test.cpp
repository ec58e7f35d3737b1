// The simulated camera: cameras found by discovery and their configuration lock; sessions
// that take or refuse inputs and outputs; stills taken from JPEG files in name order on
// the output's own queue; the preview that draws the picture the next capture takes.
// What the camera screen makes of each failure is shown by the screens' tests.
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "support/camera_stills.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/camera/capture_connection.hpp"
#include "vistrel/platform/camera/capture_device.hpp"
#include "vistrel/platform/camera/capture_device_input.hpp"
#include "vistrel/platform/camera/capture_session.hpp"
#include "vistrel/platform/camera/still_image_output.hpp"
#include "vistrel/platform/camera/video_preview_layer.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace {

namespace camera = platform::camera;
using camera::DevicePosition;
using camera::FocusMode;
using platform::graphics::Color;
using testsupport::closeColor;
using testsupport::solidJpeg;
using testsupport::writeStill;

std::vector<std::shared_ptr<camera::CaptureDevice>> discover(DevicePosition position) {
    return camera::DeviceDiscoverySession({camera::DeviceType::builtInWideAngleCamera}, camera::MediaType::video, position)
        .devices();
}

// A running session on the simulated back camera with a still output.
struct Rig {
    std::shared_ptr<camera::CaptureSession> session = std::make_shared<camera::CaptureSession>();
    std::shared_ptr<camera::StillImageOutput> output = std::make_shared<camera::StillImageOutput>();

    Rig() {
        session->addInput(std::get<0>(camera::CaptureDeviceInput::make(discover(DevicePosition::back).at(0))));
        session->addOutput(output);
        // Starting blocks on a phone; it is done off the main thread, as a host does.
        std::thread([this] { session->startRunning(); }).join();
    }

    // Captures one still and gives the colour at its middle (clear for none); the answer
    // must come on the output's own queue, never on the caller's thread.
    Color capture() {
        auto answer = std::make_shared<std::promise<Color>>();
        auto queue = output->deliveryQueue();
        const auto caller = std::this_thread::get_id();
        output->captureStillImageAsynchronously(
            output->connection(camera::MediaType::video), [answer, queue, caller](auto buffer, auto) {
                EXPECT_TRUE(queue.isCurrent() && std::this_thread::get_id() != caller);
                const auto bytes = buffer ? camera::StillImageOutput::jpegStillImageDataRepresentation(*buffer) : std::nullopt;
                const auto picture = bytes ? platform::graphics::Image::decode(*bytes) : std::nullopt;
                answer->set_value(picture ? picture->bitmap().pixel(picture->pixelWidth() / 2, picture->pixelHeight() / 2)
                                          : Color::clear());
            });
        auto future = answer->get_future();
        EXPECT_EQ(future.wait_for(std::chrono::minutes(2)), std::future_status::ready);
        return future.get();
    }
};

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override { camera::resetCameraSimulation(); }
    void TearDown() override { camera::resetCameraSimulation(); }
    platform::LogCapture log;
    testsupport::TempDir folder;
};

TEST_F(CameraTest, DiscoveryFindsTheCamerasFacingTheWayAskedInOrder) {
    camera::setSimulatedCameras({{DevicePosition::front}, {DevicePosition::back, {}, false}, {DevicePosition::back}});
    const auto all = discover(DevicePosition::unspecified);
    const auto back = discover(DevicePosition::back);
    ASSERT_EQ(std::pair(all.size(), back.size()), std::pair(3ul, 2ul));
    EXPECT_FALSE(back[0]->hasTorch());
    EXPECT_EQ(back[1], all[2]);  // the same device objects every time
}

TEST_F(CameraTest, FocusAndTorchChangeOnlyUnderTheLockAndOnlyToWhatTheCameraHas) {
    camera::setSimulatedCameras({{DevicePosition::back, {FocusMode::autoFocus}, true}});
    const auto device = discover(DevicePosition::back).at(0);
    device->setFocusMode(FocusMode::autoFocus);  // not locked
    EXPECT_TRUE(device->setTorchModeOn(1.0f));
    EXPECT_EQ(std::pair(device->focusMode(), device->isTorchActive()), std::pair(FocusMode::locked, false));
    ASSERT_FALSE(device->lockForConfiguration());
    device->setFocusMode(FocusMode::continuousAutoFocus);  // not supported
    EXPECT_EQ(device->focusMode(), FocusMode::locked);
    EXPECT_TRUE(device->setTorchModeOn(0.0f));  // outside (0, 1]
    EXPECT_FALSE(device->setTorchModeOn(0.5f));
    EXPECT_FLOAT_EQ(device->torchLevel(), 0.5f);
    device->unlockForConfiguration();
    EXPECT_FALSE(device->isLockedForConfiguration());
    EXPECT_EQ(std::pair(log.count("refused"), log.count("is not supported")), std::pair(2ul, 1ul));
}

TEST_F(CameraTest, ASessionTakesEachInputAndOutputOnceUnlessItRefuses) {
    const auto input = std::get<0>(camera::CaptureDeviceInput::make(discover(DevicePosition::back).at(0)));
    const auto output = std::make_shared<camera::StillImageOutput>();
    auto session = std::make_shared<camera::CaptureSession>();
    camera::setCameraFailures({.sessionRefusesInput = true, .sessionRefusesOutput = true});
    session->addInput(input);
    session->addOutput(output);
    EXPECT_TRUE(session->inputs().empty() && session->outputs().empty() && !output->connection(camera::MediaType::video));
    camera::setCameraFailures({});
    session->addInput(input);
    session->addOutput(output);
    EXPECT_FALSE(session->canAddInput(input));
    EXPECT_FALSE(std::make_shared<camera::CaptureSession>()->canAddOutput(output));  // attached elsewhere
    ASSERT_TRUE(output->connection(camera::MediaType::video));
    EXPECT_TRUE(output->connection(camera::MediaType::video)->isActive());
}

TEST_F(CameraTest, AnOutputAddedFromManyThreadsAtOnceIsTakenOnce) {
    auto session = std::make_shared<camera::CaptureSession>();
    auto output = std::make_shared<camera::StillImageOutput>();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&] { session->addOutput(output); });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(session->outputs().size(), 1u);
    EXPECT_EQ(log.count("addOutput refused"), 3u);
}

TEST_F(CameraTest, AFolderGivesItsJpegFilesInNameOrderRoundRobin) {
    writeStill(folder / "b.jpg", solidJpeg(Color::green()));
    writeStill(folder / "a.jpeg", solidJpeg(Color::red()));
    writeStill(folder / "c.JPG", solidJpeg(Color::blue()));
    writeStill(folder / "notes.txt", solidJpeg(Color::white()));        // not a JPEG name
    writeStill(folder / "d.jpg" / "e.jpg", solidJpeg(Color::white()));  // a folder, not a file
    camera::setStillsSource(folder.path());
    Rig rig;
    for (const Color& expected : {Color::red(), Color::green(), Color::blue(), Color::red()})
        EXPECT_TRUE(closeColor(rig.capture(), expected));
    // A file is taken every time; naming the folder again starts at its first file.
    camera::setStillsSource(folder / "c.JPG");
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(closeColor(rig.capture(), Color::blue()));
    camera::setStillsSource(folder.path());
    EXPECT_TRUE(closeColor(rig.capture(), Color::red()));
    // A picture of another kind named alone is photographed all the same, as JPEG.
    auto yellow = platform::graphics::Bitmap::make(16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) yellow->setPixel(x, y, Color::rgba(1, 1, 0));
    ASSERT_TRUE(platform::graphics::writePng(*yellow, folder / "page.png"));
    camera::setStillsSource(folder / "page.png");
    EXPECT_TRUE(closeColor(rig.capture(), Color::rgba(1, 1, 0)));
}

TEST_F(CameraTest, ConcurrentCapturesEachGetOneAnswerAndEveryFileInTurn) {
    writeStill(folder / "a.jpg", solidJpeg(Color::red()));
    writeStill(folder / "b.jpg", solidJpeg(Color::green()));
    camera::setStillsSource(folder.path());
    Rig rig;
    std::vector<std::thread> threads;
    std::atomic<int> reds{0}, greens{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                const Color color = rig.capture();
                reds += closeColor(color, Color::red());
                greens += closeColor(color, Color::green());
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(std::pair(reds.load(), greens.load()), std::pair(10, 10));
}

// The preview lays the next still in by its gravity, cut to its bounds, while its session
// runs with a camera.
TEST_F(CameraTest, ThePreviewDrawsTheNextStillByItsGravityInsideItsBounds) {
    auto view = std::make_shared<platform::ui::View>(platform::ui::Rect{0, 0, 120, 120});
    view->setBackgroundColor(Color::white());
    // Three stripes, three times as wide as high: filling a square shows the middle one.
    writeStill(folder / "a.jpg", testsupport::stripesJpeg({Color::red(), Color::green(), Color::blue()}, 300, 100));
    writeStill(folder / "b.jpg", solidJpeg(Color::blue(), 30, 30));
    camera::setStillsSource(folder.path());
    Rig rig;
    auto layer = std::make_shared<camera::VideoPreviewLayer>(rig.session);
    view->layer().insertSublayer(layer, 0);
    layer->setFrame({10, 10, 100, 100});
    // Colours at the left edge, middle, right edge and top of the preview, and outside it.
    const auto drawn = [&] {
        const auto bitmap = platform::ui::render(*view, 1);
        std::vector<Color> colors;
        for (const auto& [x, y] : {std::pair{12, 60}, {60, 60}, {108, 60}, {60, 12}, {5, 60}})
            colors.push_back(bitmap ? bitmap->pixel(x, y) : Color::clear());
        return colors;
    };
    const auto expect = [&](const std::vector<Color>& expected) {
        const auto colors = drawn();
        for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_TRUE(closeColor(colors[i], expected[i])) << i;
    };
    layer->setVideoGravity(camera::VideoGravity::resizeAspectFill);
    expect({Color::green(), Color::green(), Color::green(), Color::green(), Color::white()});
    layer->setVideoGravity(camera::VideoGravity::resizeAspect);  // all three stripes in a band
    expect({Color::red(), Color::green(), Color::blue(), Color::white()});
    // After a capture the preview shows the still that comes next; nothing once stopped.
    rig.capture();
    expect({Color::blue(), Color::blue()});
    rig.session->stopRunning();
    expect({Color::white(), Color::white()});
}

}  // namespace
