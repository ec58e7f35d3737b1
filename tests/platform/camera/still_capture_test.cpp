// Still capture: which file each capture takes, where the answer is delivered, and what
// each failure switch does to the answer.
#include <thread>

#include <gtest/gtest.h>

#include "camera_rig.hpp"
#include "platform/camera/camera_error.hpp"
#include "platform/dispatch/main_thread.hpp"
#include "platform/graphics/image.hpp"
#include "support/camera_stills.hpp"
#include "support/temp_dir.hpp"

namespace cameratest {
namespace {

using platform::graphics::Color;
using platform::graphics::Image;
using testsupport::closeColor;
using testsupport::solidJpeg;
using testsupport::writeStill;

// The colour at the middle of the picture a delivery holds; clear for none.
Color shownColor(const Delivery& delivery) {
    const auto bytes = delivery.jpeg();
    if (!bytes) return Color::clear();
    const auto picture = Image::decode(*bytes);
    return picture ? picture->bitmap().pixel(picture->pixelWidth() / 2, picture->pixelHeight() / 2) : Color::clear();
}

class StillCaptureTest : public CameraTest {
protected:
    testsupport::TempDir folder;
};

TEST_F(StillCaptureTest, AFolderGivesItsJpegFilesInNameOrderRoundRobin) {
    writeStill(folder / "b.jpg", solidJpeg(Color::green()));
    writeStill(folder / "a.jpeg", solidJpeg(Color::red()));
    writeStill(folder / "c.JPG", solidJpeg(Color::blue()));
    writeStill(folder / "notes.txt", solidJpeg(Color::white()));        // not a JPEG name
    writeStill(folder / "d.jpg" / "e.jpg", solidJpeg(Color::white()));  // a folder, not a file
    camera::setStillsSource(folder.path());
    Rig rig;
    const std::vector<Color> expected = {Color::red(), Color::green(), Color::blue(), Color::red(), Color::green()};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(closeColor(shownColor(rig.capture()), expected[i])) << "capture " << i;
    // A file is taken every time; naming the folder again starts at its first file.
    camera::setStillsSource(folder / "c.JPG");
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(closeColor(shownColor(rig.capture()), Color::blue()));
    camera::setStillsSource(folder.path());
    EXPECT_TRUE(closeColor(shownColor(rig.capture()), Color::red()));
}

TEST_F(StillCaptureTest, TheAnswerComesOnTheOutputsOwnQueueNeverTheCallersThread) {
    camera::setStillsSource(writeStill(folder / "a.jpg", solidJpeg(Color::red())));
    Rig rig;
    ASSERT_TRUE(platform::dispatch::isMainThread());
    for (bool failing : {false, true}) {
        camera::setCameraFailures({.captureGivesNoBuffer = failing});
        const Delivery delivery = rig.capture();
        EXPECT_TRUE(delivery.onDeliveryQueue);
        EXPECT_NE(delivery.thread, std::this_thread::get_id());
        EXPECT_EQ(delivery.buffer.has_value(), !failing);
    }
}

// What a capture gives under each failure or source, on a running session with an input.
struct CaptureCase {
    const char* name;
    camera::CameraFailures failures;
    bool withSource = true;
    bool sourceExists = true;
    bool buffer;
    bool jpeg;
    bool decodes;
};

TEST_F(StillCaptureTest, EachSwitchAndSourceGivesItsAnswer) {
    const CaptureCase cases[] = {
        {"plain", {}, true, true, true, true, true},
        {"no source", {}, false, true, false, false, false},
        {"unreadable file", {}, true, false, false, false, false},
        {"no buffer", {.captureGivesNoBuffer = true}, true, true, false, false, false},
        {"no jpeg", {.bufferWithoutJpeg = true}, true, true, true, false, false},
        {"undecodable", {.undecodableJpeg = true}, true, true, true, true, false},
        {"inactive connection", {.inactiveConnection = true}, true, true, false, false, false},
    };
    const auto still = writeStill(folder / "a.jpg", solidJpeg(Color::red()));
    for (const CaptureCase& c : cases) {
        SCOPED_TRACE(c.name);
        camera::resetCameraSimulation();
        camera::setCameraFailures(c.failures);
        if (c.withSource) camera::setStillsSource(c.sourceExists ? still : folder / "missing.jpg");
        Rig rig;
        const Delivery delivery = rig.capture();
        EXPECT_EQ(delivery.buffer.has_value(), c.buffer);
        EXPECT_EQ(delivery.error.has_value(), !c.buffer);
        EXPECT_EQ(delivery.jpeg().has_value(), c.jpeg);
        EXPECT_EQ(delivery.jpeg() && Image::decode(*delivery.jpeg()).has_value(), c.decodes);
        if (delivery.error) {
            EXPECT_EQ(delivery.error->domain, camera::cameraErrorDomain);
        }
    }
}

TEST_F(StillCaptureTest, ConcurrentCapturesEachGetOneAnswerAndEveryFileInTurn) {
    writeStill(folder / "a.jpg", solidJpeg(Color::red()));
    writeStill(folder / "b.jpg", solidJpeg(Color::green()));
    camera::setStillsSource(folder.path());
    Rig rig;
    std::vector<std::thread> threads;
    std::atomic<int> reds{0}, greens{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                const Color color = shownColor(rig.capture());
                if (closeColor(color, Color::red())) ++reds;
                if (closeColor(color, Color::green())) ++greens;
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(reds.load(), 10);
    EXPECT_EQ(greens.load(), 10);
}

}  // namespace
}  // namespace cameratest
