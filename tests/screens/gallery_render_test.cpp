// The gallery as drawn: the indicator bar under the active tab, a card's photo, and the
// red trash badge in edition mode.
#include "core/palette.hpp"
#include "platform/ui/render.hpp"
#include "screens/gallery_test_support.hpp"

namespace gallerytest {
namespace {

bool near(const platform::graphics::Color& a, const platform::graphics::Color& b) {
    return std::abs(a.r - b.r) < 0.012 && std::abs(a.g - b.g) < 0.012 && std::abs(a.b - b.b) < 0.012;
}

TEST_F(GalleryTest, IndicatorFollowsTheTabAndEditionShowsTheBadge) {
    vistrel::SdkConfiguration::resetShared();  // the bundle's colours
    const auto green = platform::graphics::Color::rgba(0.1, 0.8, 0.3, 1);
    store->loadOrCreateVistrelImage("doc-a", "a", "a", photo(green), at(1));
    auto gallery = open(LibraryOption::favorites);
    const int bar = 64 + 44 - 2;  // the indicator's rows, under the tab buttons
    EXPECT_TRUE(near(platform::ui::render(*window, 1.0)->pixel(187, bar), vistrel::vistrelPrimary()));
    gallery->showLastScans();
    gallery->toggleEdition();
    time.advance(1s);
    auto photoView = card(*gallery, LibraryOption::recents)->imageView.lock();
    const auto frame = photoView->convertRect(photoView->bounds(), nullptr);
    auto bitmap = platform::ui::render(*window, 1.0);
    EXPECT_TRUE(near(bitmap->pixel(60, bar), vistrel::vistrelPrimary()));
    EXPECT_TRUE(near(bitmap->pixel(187, bar), platform::graphics::Color::white()));
    EXPECT_TRUE(near(bitmap->pixel(int(frame.minX() + 10), int(frame.maxY() - 10)), green));
    EXPECT_TRUE(near(bitmap->pixel(int(frame.midX() - 24), int(frame.midY())), vistrel::vistrelRed()));  // left of the glyph
    vistrel::SdkConfiguration::resetShared();
}

}  // namespace
}  // namespace gallerytest
