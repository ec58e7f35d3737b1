#include <string>

#include "services_test_support.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/browser_view_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/web_view.hpp"

using namespace servicestest;
using namespace platform::services;

namespace {

struct FinishCounter : BrowserViewControllerDelegate {
    int finished = 0;
    void browserViewControllerDidFinish(BrowserViewController&) override { ++finished; }
};

class BrowserTest : public PresentingTest {};

}  // namespace

TEST_F(BrowserTest, ShowsTheAddressLoadsWebPagesOnlyAndDoneClosesIt) {
    const struct {
        std::string url;
        bool loads;
    } cases[] = {{"https://example.com/page?q=1", true}, {"javascript:alert(1)", false}, {"file:///etc/passwd", false}};
    for (const auto& c : cases) {
        platform::LogCapture log;
        auto browser = std::make_shared<BrowserViewController>(c.url);
        auto counter = std::make_shared<FinishCounter>();
        browser->setDelegate(counter);
        presented(browser);
        EXPECT_EQ(browser->loadsURL(), c.loads);
        EXPECT_EQ(browser->webView()->loadedRequests().size(), c.loads ? 1u : 0u) << c.url;
        const ServiceScreen& screen = *browser;
        EXPECT_EQ(screen.summary(), platform::concatenate("browser ", c.url, c.loads ? "" : " (not loaded)"));

        tap(window, centre(*browser->bar()->leftItemViews().at(0)));  // Done
        EXPECT_EQ(counter->finished, 0);  // told once the dismissal ends
        drain();
        EXPECT_EQ(counter->finished, 1);
        EXPECT_EQ(root->presentedViewController(), nullptr);
        EXPECT_FALSE(browser->tapDone());
    }
}

TEST_F(BrowserTest, TheScreenIsDrawnWithItsBarAndPage) {
    auto browser = presented(std::make_shared<BrowserViewController>("https://example.com"));
    auto bitmap = render(*window);
    ASSERT_TRUE(bitmap);
    const double scale = static_cast<double>(bitmap->width()) / window->bounds().width();
    auto at = [&](Point p) { return bitmap->pixel(static_cast<int>(p.x * scale), static_cast<int>(p.y * scale)); };
    EXPECT_EQ(at({5, 40}), NavigationBar::defaultBarColor());
    EXPECT_EQ(at({5, 640}), Color::white(0.94));  // the page area
}
