// The gallery as drawn: the indicator bar under the active tab in the primary colour,
// cards with their photo, and the red trash badge in edition mode.
#include "core/palette.hpp"
#include "platform/ui/render.hpp"
#include "screens/gallery_test_support.hpp"

namespace gallerytest {
namespace {

bool near(const platform::graphics::Color& a, const platform::graphics::Color& b) {
    const double e = 3.0 / 255;
    return std::abs(a.r - b.r) < e && std::abs(a.g - b.g) < e && std::abs(a.b - b.b) < e;
}

struct RenderTest : GalleryTest {
    void SetUp() override {
        GalleryTest::SetUp();
        vistrel::SdkConfiguration::resetShared();  // the bundle's colours
    }
    void TearDown() override {
        GalleryTest::TearDown();
        vistrel::SdkConfiguration::resetShared();
    }
};

TEST_F(RenderTest, IndicatorFollowsTheTabAndEditionShowsTheBadge) {
    const auto colour = platform::graphics::Color::rgba(0.1, 0.8, 0.3, 1);
    store->loadOrCreateVistrelImage("doc-a", "a", "a", photo(colour), at(1));
    auto gallery = open(LibraryOption::favorites);
    const double bar = 64 + GalleryViewController::tabBarHeight - 1.5;  // the indicator's middle row
    auto bitmap = platform::ui::render(*window, 1.0);
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(near(bitmap->pixel(187, int(bar)), vistrel::vistrelPrimary()));
    EXPECT_TRUE(near(bitmap->pixel(60, int(bar)), platform::graphics::Color::white()));

    gallery->showLastScans();
    gallery->toggleEdition();
    time.advance(1s);
    auto first = card(*gallery->contentControllers[0], 0);
    ASSERT_TRUE(first);
    const auto photoFrame = first->imageView.lock()->convertRect(first->imageView.lock()->bounds(), nullptr);
    bitmap = platform::ui::render(*window, 1.0);
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(near(bitmap->pixel(60, int(bar)), vistrel::vistrelPrimary()));
    EXPECT_TRUE(near(bitmap->pixel(int(photoFrame.minX() + 10), int(photoFrame.maxY() - 10)), colour));
    // Left of the glyph, inside the round badge in the photo's middle.
    EXPECT_TRUE(near(bitmap->pixel(int(photoFrame.midX() - 24), int(photoFrame.midY())), vistrel::vistrelRed()));
}

}  // namespace
}  // namespace gallerytest
