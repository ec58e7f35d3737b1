#include "vistrel/platform/ui/web_view.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/net/url_error.hpp"
#include "vistrel/platform/ui/render.hpp"

using namespace platform::ui;
using Lines = std::vector<std::string>;

namespace {

struct Recorder : WebViewDelegate {
    Lines lines;
    void webViewDidStartLoad(WebView& w) override { lines.push_back("start " + w.request()->url); }
    void webViewDidFinishLoad(WebView& w) override { lines.push_back("finish " + w.request()->url); }
    void webViewDidFailLoad(WebView&, const platform::Error& e) override {
        lines.push_back("fail " + std::to_string(e.code) + " " +
                        e.userInfo.at(std::string(platform::net::failingURLStringKey)));
    }
};

// How many pixels of the rendering are darker than light grey.
int darkPixels(WebView& view) {
    auto bitmap = render(view, 1);
    int dark = 0;
    for (int y = 0; bitmap && y < bitmap->height(); ++y)
        for (int x = 0; x < bitmap->width(); ++x) dark += bitmap->pixel(x, y).r < 0.6;
    return dark;
}

}  // namespace

TEST(WebViewTest, ANewLoadCancelsTheOneUnderWay) {
    auto view = std::make_shared<WebView>(Rect{0, 0, 200, 100});
    auto delegate = std::make_shared<Recorder>();
    view->setDelegate(delegate);

    view->loadRequest(platform::net::URLRequest("https://a.example/"));
    EXPECT_TRUE(view->finishLoad());
    view->loadRequest(platform::net::URLRequest("https://b.example/"));
    view->loadRequest(platform::net::URLRequest("https://c.example/"));  // cancels b
    EXPECT_TRUE(view->failLoad(platform::net::makeURLError(platform::net::URLError::timedOut, "timed out",
                                                           "https://c.example/")));
    EXPECT_FALSE(view->isLoading() || view->failLoad({}));
    EXPECT_EQ(delegate->lines, (Lines{"start https://a.example/", "finish https://a.example/", "start https://b.example/",
                                      "fail -999 https://b.example/", "start https://c.example/",
                                      "fail -1001 https://c.example/"}));
}

TEST(WebViewTest, ItDrawsTheAddressItShows) {
    platform::graphics::useIsolatedFontConfiguration();
    WebView view(Rect{0, 0, 200, 100});
    EXPECT_EQ(darkPixels(view), 0);
    view.loadRequest(platform::net::URLRequest("https://vistrel.example/page"));
    EXPECT_GT(darkPixels(view), 50);
}
