// The preview draws the picture the next capture will take, laid in by its gravity and
// cut to its bounds, while its session runs with a camera.
#include <gtest/gtest.h>

#include "camera_rig.hpp"
#include "platform/camera/video_preview_layer.hpp"
#include "platform/ui/render.hpp"
#include "platform/ui/view.hpp"
#include "support/camera_stills.hpp"
#include "support/temp_dir.hpp"

namespace cameratest {
namespace {

using platform::graphics::Color;
using testsupport::closeColor;
using testsupport::stripesJpeg;
using testsupport::writeStill;

class VideoPreviewLayerTest : public CameraTest {
protected:
    testsupport::TempDir folder;
    std::shared_ptr<platform::ui::View> view = std::make_shared<platform::ui::View>(platform::ui::Rect{0, 0, 120, 120});

    // Colours at the left edge, middle and right edge of the preview.
    std::vector<Color> drawn(const std::shared_ptr<camera::VideoPreviewLayer>& layer) {
        view->layer().insertSublayer(layer, 0);
        layer->setFrame({10, 10, 100, 100});
        const auto bitmap = platform::ui::render(*view, 1);
        if (!bitmap) return {};
        return {bitmap->pixel(12, 60), bitmap->pixel(60, 60), bitmap->pixel(108, 60), bitmap->pixel(60, 12)};
    }
};

TEST_F(VideoPreviewLayerTest, AspectFillShowsTheMiddleOfTheNextStillInsideItsBounds) {
    view->setBackgroundColor(Color::white());
    // Three stripes, three times as wide as high: filling a square shows the middle one.
    writeStill(folder / "a.jpg", stripesJpeg({Color::red(), Color::green(), Color::blue()}, 300, 100));
    writeStill(folder / "b.jpg", stripesJpeg({Color::blue()}, 30, 30));
    camera::setStillsSource(folder.path());
    Rig rig;
    auto layer = std::make_shared<camera::VideoPreviewLayer>(rig.session);
    layer->setVideoGravity(camera::VideoGravity::resizeAspectFill);
    auto colors = drawn(layer);
    ASSERT_EQ(colors.size(), 4u);
    for (const Color& color : colors) EXPECT_TRUE(closeColor(color, Color::green()));
    const auto bitmap = platform::ui::render(*view, 1);
    EXPECT_TRUE(closeColor(bitmap->pixel(5, 60), Color::white()));  // nothing drawn outside

    // Fitted, the same picture shows all three stripes in a band across the middle.
    layer->setVideoGravity(camera::VideoGravity::resizeAspect);
    colors = drawn(layer);
    EXPECT_TRUE(closeColor(colors[0], Color::red()));
    EXPECT_TRUE(closeColor(colors[2], Color::blue()));
    EXPECT_TRUE(closeColor(colors[3], Color::white()));

    // After a capture the preview shows the still that comes next; nothing once stopped.
    ASSERT_TRUE(rig.capture().buffer);
    EXPECT_TRUE(closeColor(drawn(layer).at(1), Color::blue()));
    rig.session->stopRunning();
    EXPECT_TRUE(closeColor(drawn(layer).at(1), Color::white()));
}

}  // namespace
}  // namespace cameratest
