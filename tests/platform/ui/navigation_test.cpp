#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"

#include "ui_test_support.hpp"

using namespace uitest;

namespace {

class NavigationTest : public JournalTest {
protected:
    void SetUp() override { platform::graphics::useIsolatedFontConfiguration(); }

    std::shared_ptr<RecordingController> screen(const std::string& name) {
        auto c = std::make_shared<RecordingController>(name, journal);
        c->setTitle(name);
        return c;
    }
    // The window shown with a navigation controller holding `root`.
    std::shared_ptr<NavigationController> shown(const std::shared_ptr<ViewController>& root) {
        auto navigation = std::make_shared<NavigationController>(root);
        show(navigation, window);
        return navigation;
    }

    std::shared_ptr<Window> window = std::make_shared<Window>();
};

}  // namespace

TEST_F(NavigationTest, PushAndPopCallTheScreensInThePhonesOrder) {
    for (bool animated : {true, false}) {
        SCOPED_TRACE(animated);
        auto a = screen("A");
        auto navigation = shown(a);
        auto b = screen("B");
        navigation->pushViewController(b, animated);
        Lines calls{"B viewDidLoad", "A willDisappear", "B willAppear"};
        const Lines after{"A didDisappear", "B didAppear"};
        if (animated) {
            EXPECT_EQ(take(journal), calls);
            EXPECT_TRUE(a->view()->window());  // both in view while the push runs
            drain();
            EXPECT_EQ(take(journal), after);
        } else {
            calls.insert(calls.end(), after.begin(), after.end());
            EXPECT_EQ(take(journal), calls);
        }
        EXPECT_EQ(navigation->topViewController(), b);
        EXPECT_EQ(a->view()->superview(), nullptr);

        EXPECT_EQ(navigation->popViewController(animated), b);
        drain();
        EXPECT_EQ(take(journal), (Lines{"B willDisappear", "A willAppear", "B didDisappear", "A didAppear"}));
        EXPECT_EQ(b->parent(), nullptr);
        EXPECT_EQ(b->view()->superview(), nullptr);
        EXPECT_EQ(navigation->viewControllers().size(), 1u);
    }
}

TEST_F(NavigationTest, TheStackRefusesWhatCannotBeOnIt) {
    using Stack = std::vector<std::shared_ptr<ViewController>>;
    auto a = screen("A");
    auto navigation = std::make_shared<NavigationController>(a);
    platform::LogCapture log;
    auto elsewhere = screen("Elsewhere");
    auto other = std::make_shared<NavigationController>(elsewhere);
    for (auto refused : Stack{a, nullptr, std::make_shared<NavigationController>(), elsewhere})
        navigation->pushViewController(refused, false);
    EXPECT_EQ(navigation->viewControllers(), Stack{a});

    EXPECT_EQ(navigation->popViewController(false), nullptr);  // the root stays
    EXPECT_TRUE(navigation->popToRootViewController(false).empty());

    auto b = screen("B"), c = screen("C");
    navigation->pushViewController(b, false);
    navigation->pushViewController(c, false);
    EXPECT_EQ(navigation->popToRootViewController(false), (Stack{b, c}));
    EXPECT_TRUE(navigation->popToViewController(c.get(), false).empty());

    navigation->setViewControllers({b, a}, false);
    EXPECT_EQ(navigation->viewControllers(), (Stack{b, a}));
    navigation->setViewControllers({b, b}, false);
    EXPECT_EQ(navigation->topViewController(), a);

    EXPECT_EQ(std::make_shared<NavigationController>()->topViewController(), nullptr);
}

TEST_F(NavigationTest, ANavigationControllerOffScreenMovesScreensWithoutAppearanceCalls) {
    auto a = screen("A");
    auto navigation = std::make_shared<NavigationController>(a);
    auto b = screen("B");
    navigation->pushViewController(b, true);
    drain();
    EXPECT_TRUE(take(journal).empty());  // no view loaded yet either
    navigation->view();
    EXPECT_EQ(take(journal), (Lines{"B viewDidLoad"}));
    EXPECT_FALSE(a->isViewLoaded());
    EXPECT_EQ(b->view()->superview(), navigation->view());
}

TEST_F(NavigationTest, TheBackButtonIsNamedAfterThePreviousScreenAndPopsAndTheRightItemIsTappable) {
    auto a = screen("Alpha");
    auto navigation = shown(a);
    auto& bar = navigation->navigationBar();
    EXPECT_EQ(bar.backButton(), nullptr);
    auto b = screen("Beta");
    navigation->pushViewController(b, false);
    // The right item is a tappable button.
    auto target = std::make_shared<Tally>();
    auto done = std::make_shared<BarButtonItem>(BarButtonSystemItem::done);
    done->setTarget(target, &Tally::tapped);
    b->navigationItem().setRightBarButtonItem(done);
    window->layoutIfNeeded();
    ASSERT_NE(bar.backButton(), nullptr);
    EXPECT_EQ(bar.backButton()->currentTitle(), "\u2039 Alpha");
    ASSERT_EQ(bar.rightItemViews().size(), 1u);
    tap(window, centre(*bar.rightItemViews().front()));
    EXPECT_EQ(target->taps, 1);

    // The back button pops, animated.
    tap(window, centre(*bar.backButton()));
    EXPECT_EQ(navigation->topViewController(), a);
    drain();
    EXPECT_EQ(b->parent(), nullptr);
}

TEST_F(NavigationTest, ContentRunsUnderATranslucentOrHiddenBarAndBelowAnOpaqueOne) {
    auto a = screen("A");
    auto navigation = shown(a);
    auto& bar = navigation->navigationBar();
    const Rect below{0, 64, 375, 603};  // under the status bar and the bar
    EXPECT_EQ(a->view()->frame(), window->bounds());
    bar.setTranslucent(false);
    window->layoutIfNeeded();
    EXPECT_EQ(a->view()->frame(), below);
    navigation->setNavigationBarHidden(true, true);
    EXPECT_EQ(a->view()->frame(), window->bounds());
    navigation->setNavigationBarHidden(false, false);
    EXPECT_EQ(a->view()->frame(), below);
}

TEST_F(NavigationTest, TheBarDrawsItsTintUpUnderTheStatusBarOrItsBackgroundImage) {
    auto a = screen("A");
    a->view()->setBackgroundColor(Color::white());
    auto navigation = shown(a);
    auto& bar = navigation->navigationBar();
    bar.setBarTintColor(Color::blue());
    auto bitmap = render(*window, 1);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->pixel(2, 5), Color::blue());    // under the status bar
    EXPECT_EQ(bitmap->pixel(2, 40), Color::blue());   // the bar
    EXPECT_EQ(bitmap->pixel(2, 200), Color::white());  // the screen

    // An empty background image on a translucent bar draws nothing: the screen shows.
    bar.setBackgroundImage(BarImage::empty());
    bar.setShadowImage(BarImage::empty());
    bitmap = render(*window, 1);
    EXPECT_EQ(bitmap->pixel(2, 40), Color::white());
    EXPECT_EQ(bitmap->pixel(2, 64), Color::white());  // no shadow line either
    // Not translucent: the bar tint backs it again.
    bar.setTranslucent(false);
    bitmap = render(*window, 1);
    EXPECT_EQ(bitmap->pixel(2, 40), Color::blue());
}
