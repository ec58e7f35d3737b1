#include <cerrno>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/platform/ui/view.hpp"

#include "ui_test_support.hpp"

using namespace uitest;
using Windows = std::vector<std::shared_ptr<Window>>;

namespace {

// The application's windows among `mine`, back to front (other tests' windows aside).
Windows orderOf(const Windows& mine) {
    Windows ordered;
    for (auto& w : Application::shared().windows())
        for (auto& m : mine)
            if (w == m) ordered.push_back(w);
    return ordered;
}

// A window that takes touches only inside one rectangle, as a floating button's window does.
class PartialWindow : public Window {
public:
    PartialWindow(const Rect& frame, const Rect& active) : Window(frame), active_(active) {}
    bool pointInside(Point point, const Event*) const override { return active_.contains(point); }

private:
    Rect active_;
};

}  // namespace

TEST(ApplicationTest, WindowsAreOrderedByLevelThenByWhenTheyWereLastShown) {
    auto normal1 = std::make_shared<Window>(), normal2 = std::make_shared<Window>(), alert = std::make_shared<Window>(),
         neverShown = std::make_shared<Window>();
    alert->setLevel(Window::levelAlert);
    const Windows all{normal1, normal2, alert, neverShown};

    alert->makeKeyAndVisible();
    normal1->setHidden(false);
    normal2->makeKeyAndVisible();
    EXPECT_EQ(orderOf(all), (Windows{neverShown, normal1, normal2, alert}));
    EXPECT_EQ(Application::shared().keyWindow(), normal2);

    normal1->setHidden(true);
    normal1->setHidden(false);  // shown again: in front of its level
    normal2->setHidden(false);  // already shown: no change
    EXPECT_EQ(orderOf(all), (Windows{neverShown, normal2, normal1, alert}));

    normal2->setLevel(Window::levelStatusBar);  // the level comes first
    EXPECT_EQ(orderOf(all), (Windows{neverShown, normal1, normal2, alert}));
}

TEST(ApplicationTest, ATouchGoesToTheFrontmostWindowThatTakesIt) {
    auto back = std::make_shared<Window>(Rect{0, 0, 375, 667});
    auto backView = std::make_shared<TouchRecorder>(Rect{0, 0, 375, 667});
    back->addSubview(backView);
    back->makeKeyAndVisible();

    // In front: a window that takes touches only in its bottom-right corner.
    auto front = std::make_shared<PartialWindow>(Rect{0, 0, 375, 667}, Rect{300, 590, 75, 77});
    auto button = std::make_shared<TouchRecorder>(Rect{300, 590, 75, 77});
    front->addSubview(button);
    front->setHidden(false);

    // Further in front: a hidden window, and a shown one that is fully transparent.
    auto hidden = std::make_shared<Window>(Rect{0, 0, 375, 667});
    hidden->setLevel(Window::levelAlert);
    auto transparent = std::make_shared<Window>(Rect{0, 0, 375, 667});
    transparent->setLevel(Window::levelAlert);
    transparent->setHidden(false);
    transparent->setAlpha(0);

    auto& app = Application::shared();
    EXPECT_EQ(app.tap({320, 600}), button);
    EXPECT_EQ(app.tap({100, 100}), backView);
    EXPECT_EQ(std::tuple(button->phases, backView->phases), std::tuple(Lines{"began/1", "ended/1"}, Lines{"began/1", "ended/1"}));

    transparent->setAlpha(1);  // now it takes everything
    EXPECT_EQ(app.tap({320, 600}), transparent);
}

TEST(ApplicationTest, ATouchIsConvertedIntoTheWindowsCoordinates) {
    auto window = std::make_shared<Window>(Rect{100, 200, 50, 50});
    auto view = std::make_shared<View>(Rect{10, 10, 10, 10});
    window->addSubview(view);
    window->setLevel(Window::levelAlert + 1);
    window->setHidden(false);
    auto target = Application::shared().touchTarget({115, 215});
    ASSERT_TRUE(target);
    EXPECT_EQ(std::tuple(target->window, target->view, target->location), std::tuple(window, view, Point{15, 15}));
}

TEST(ApplicationTest, OpeningAURLGoesThroughOneHook) {
    auto& app = Application::shared();
    app.clearOpenedURLs();
    platform::LogCapture capture;

    EXPECT_TRUE(app.open("https://example.com/a"));

    std::vector<std::string> hooked;
    app.setOpenURLHook([&](const std::string& url) {
        hooked.push_back(url);
        return url.starts_with("tel:");
    });
    EXPECT_TRUE(app.open("tel:123"));
    EXPECT_FALSE(app.open("mailto:a@b.c"));
    EXPECT_FALSE(app.open(""));  // refused before any hook
    EXPECT_EQ(hooked, (std::vector<std::string>{"tel:123", "mailto:a@b.c"}));

    app.setOpenURLHook(nullptr);
    EXPECT_TRUE(app.open("x-line:\nforged"));
    EXPECT_TRUE(capture.contains("x-line:\\nforged"));  // a URL cannot forge a log line
    EXPECT_EQ(app.openedURLs().size(), 2u);  // the hook took none of the others
    app.clearOpenedURLs();
}
