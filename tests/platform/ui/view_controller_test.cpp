#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

#include "ui_test_support.hpp"

using namespace uitest;
using testsupport::RecordingNavigationController;
using Controller = std::shared_ptr<ViewController>;
using Links = std::pair<Controller, Controller>;

namespace {

class ViewControllerTest : public JournalTest {
protected:
    std::shared_ptr<RecordingController> screen(const std::string& name, Color color = Color::white()) {
        auto c = std::make_shared<RecordingController>(name, journal);
        c->view()->setBackgroundColor(color);
        take(journal);
        return c;
    }
    // A screen shown as the root of a new window.
    std::pair<std::shared_ptr<RecordingController>, std::shared_ptr<Window>> shown(const std::string& name,
                                                                                 Color color = Color::white()) {
        auto c = screen(name, color);
        return {c, show(c)};
    }
};

bool inWindow(const Controller& c) { return c->viewIfLoaded() && c->viewIfLoaded()->window(); }

// What `a` presents and what presents `b`.
Links links(const Controller& a, const Controller& b) {
    return {a->presentedViewController(), b->presentingViewController()};
}

}  // namespace

TEST_F(ViewControllerTest, ALoadViewThatSetsNoViewGivesAPlainOne) {
    struct Forgetful : ViewController {
        void loadView() override {}
    };
    auto forgetful = std::make_shared<Forgetful>();
    ASSERT_NE(forgetful->view(), nullptr);
    EXPECT_EQ(forgetful->view()->frame(), Screen::main().bounds());
}

TEST_F(ViewControllerTest, TheWindowRootFillsTheWindowAndAppearsWhenTheWindowShowsAndHides) {
    auto a = std::make_shared<RecordingController>("A", journal);
    auto window = std::make_shared<Window>(Rect{0, 0, 200, 300});
    window->setRootViewController(a);
    EXPECT_EQ(take(journal), (Lines{"A viewDidLoad"}));  // hidden: loaded, not shown
    EXPECT_EQ(a->view()->frame(), (Rect{0, 0, 200, 300}));

    const Lines appears{"A willAppear", "A didAppear"};
    window->makeKeyAndVisible();
    EXPECT_EQ(take(journal), appears);
    window->makeKeyAndVisible();
    EXPECT_TRUE(take(journal).empty());
    window->setHidden(true);
    EXPECT_EQ(take(journal), (Lines{"A willDisappear", "A didDisappear"}));
    window->setHidden(false);
    EXPECT_EQ(take(journal), appears);

    auto b = std::make_shared<RecordingController>("B", journal);
    window->setRootViewController(b);
    EXPECT_EQ(take(journal), (Lines{"A willDisappear", "B viewDidLoad", "B willAppear", "A didDisappear", "B didAppear"}));
    EXPECT_EQ(a->view()->superview(), nullptr);

    // A plain root view lets the controller go.
    window->setRootView(std::make_shared<View>());
    EXPECT_EQ(window->rootViewController(), nullptr);
    EXPECT_EQ(take(journal), (Lines{"B willDisappear", "B didDisappear"}));

    // A screen on screen cannot become another window's root.
    auto [c, shownWindow] = shown("C");
    auto other = std::make_shared<Window>();
    platform::LogCapture log;
    other->setRootViewController(c);
    EXPECT_EQ(std::pair(other->rootViewController(), c->view()->window()), std::pair(Controller(), shownWindow));
}

TEST_F(ViewControllerTest, PresentAndDismissCallTheScreensInThePhonesOrder) {
    for (bool animated : {true, false}) {
        SCOPED_TRACE(animated);
        auto [a, window] = shown("A");
        auto b = std::make_shared<RecordingController>("B", journal);
        bool presented = false;
        a->present(b, animated, [&] {
            presented = true;
            journal->push_back("completion");
        });
        EXPECT_EQ(links(a, b), Links(b, a));
        Lines calls{"B viewDidLoad", "A willDisappear", "B willAppear"};
        const Lines after{"B didAppear", "A didDisappear", "completion"};
        if (animated) {
            EXPECT_EQ(take(journal), calls);
            EXPECT_FALSE(presented);
            drain();
            EXPECT_EQ(take(journal), after);
        } else {
            calls.insert(calls.end(), after.begin(), after.end());
            EXPECT_EQ(take(journal), calls);
        }
        // The covered screen leaves the window; the presented one fills it.
        EXPECT_FALSE(inWindow(a));
        EXPECT_EQ(b->view()->superview(), window);
        EXPECT_EQ(b->view()->frame(), window->bounds());

        b->dismiss(animated, [&] { journal->push_back("completion"); });
        if (animated) {
            EXPECT_EQ(take(journal), (Lines{"B willDisappear", "A willAppear"}));
            EXPECT_TRUE(inWindow(a));  // back beneath while B leaves
            drain();
        }
        EXPECT_EQ(take(journal).back(), "completion");
        EXPECT_EQ(links(a, b), Links());
        EXPECT_EQ(std::pair(inWindow(a), inWindow(b)), std::pair(true, false));
    }
}

TEST_F(ViewControllerTest, APresentationIsRefusedFromAScreenInNoWindowOrAlreadyPresenting) {
    platform::LogCapture log;
    bool completed = false;
    auto done = [&] { completed = true; };

    auto lonely = screen("Lonely");
    auto b = screen("B");
    lonely->present(b, false, done);
    EXPECT_EQ(links(lonely, b), Links());

    auto a = std::make_shared<RecordingController>("A", journal);
    auto window = show(a);
    auto c = screen("C");
    b->setModalPresentationStyle(ModalPresentationStyle::overFullScreen);  // A stays in the window
    a->present(b, false);
    take(journal);
    a->present(c, false, done);
    EXPECT_EQ(links(a, c), Links(b, nullptr));
    EXPECT_TRUE(take(journal).empty());

    // Nor can a screen be presented twice, or on itself.
    b->present(b, false, done);
    auto [other, otherWindow] = shown("Other");
    other->present(b, false, done);
    EXPECT_EQ(b->presentingViewController(), a);
    EXPECT_FALSE(completed);
}

TEST_F(ViewControllerTest, DismissingTheRootOfAPresentedNavigationControllerClosesIt) {
    auto [a, window] = shown("A");
    auto root = std::make_shared<RecordingController>("R", journal);
    auto navigation = std::make_shared<RecordingNavigationController>("N", journal, root);
    a->present(navigation, false);
    EXPECT_EQ(take(journal), (Lines{"R viewDidLoad", "N viewDidLoad", "A willDisappear", "N willAppear",
                                    "R willAppear", "N didAppear", "R didAppear", "A didDisappear"}));
    EXPECT_EQ(links(a, root), Links(navigation, a));  // through its presented ancestor

    bool done = false;
    root->dismiss(false, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(take(journal), (Lines{"N willDisappear", "R willDisappear", "A willAppear", "A didAppear",
                                    "N didDisappear", "R didDisappear"}));
    EXPECT_EQ(a->presentedViewController(), nullptr);
    EXPECT_FALSE(inWindow(navigation));
}

TEST_F(ViewControllerTest, DismissingClosesEveryPresentationAboveAndOnlyVisibleScreensHearIt) {
    auto [a, window] = shown("A");
    auto b = screen("B"), c = screen("C");
    a->present(b, false);
    b->present(c, false);
    take(journal);
    a->dismiss(false);
    EXPECT_EQ(take(journal), (Lines{"C willDisappear", "A willAppear", "A didAppear", "C didDisappear"}));
    EXPECT_EQ(links(a, c), Links());
    EXPECT_EQ(b->presentedViewController(), nullptr);
    EXPECT_EQ(window->subviews(), std::vector<std::shared_ptr<View>>{a->view()});

    // Nothing to dismiss: the completion still runs.
    bool done = false;
    a->dismiss(true, [&] { done = true; });
    EXPECT_TRUE(done);
}

TEST_F(ViewControllerTest, ATransitionBegunBeforeAnAnimatedOneEndsFinishesThatOneFirst) {
    auto [a, window] = shown("A");
    auto b = screen("B");
    a->present(b, true, [&] { journal->push_back("presented"); });
    b->dismiss(true, [&] { journal->push_back("dismissed"); });
    EXPECT_EQ(take(journal), (Lines{"A willDisappear", "B willAppear", "B didAppear", "A didDisappear", "presented",
                                    "B willDisappear", "A willAppear"}));
    drain();
    EXPECT_EQ(take(journal), (Lines{"A didAppear", "B didDisappear", "dismissed"}));
}

TEST_F(ViewControllerTest, APresentedScreenIsDrawnOverTheWindow) {
    auto [a, window] = shown("A", Color::red());
    auto b = screen("B", Color::blue());
    b->setModalPresentationStyle(ModalPresentationStyle::overFullScreen);
    b->view()->setBackgroundColor(std::nullopt);
    auto box = std::make_shared<View>(Rect{0, 0, 50, 50});
    box->setBackgroundColor(Color::green());
    b->view()->addSubview(box);
    a->present(b, false);
    auto bitmap = render(*window, 1);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->pixel(10, 10), Color::green());
    EXPECT_EQ(bitmap->pixel(100, 100), Color::red());  // the presenter shows through
}

TEST_F(ViewControllerTest, ChildrenKnowTheirParentAndCyclesAreRefused) {
    struct Moving : ViewController {
        std::vector<std::string> calls;
        void willMoveToParent(ViewController* p) override { calls.push_back(p ? "will" : "will-none"); }
        void didMoveToParent(ViewController* p) override { calls.push_back(p ? "did" : "did-none"); }
    };
    auto parent = std::make_shared<ViewController>();
    auto child = std::make_shared<Moving>();
    parent->addChild(child);
    child->removeFromParent();
    EXPECT_TRUE(parent->children().empty());
    EXPECT_EQ(child->calls, (Lines{"will", "did-none"}));

    platform::LogCapture log;
    parent->addChild(child);
    child->addChild(parent);
    parent->addChild(parent);
    EXPECT_EQ(parent->parent(), nullptr);

    // A child whose parent goes away is left without one, safely.
    auto orphan = std::make_shared<ViewController>();
    std::make_shared<ViewController>()->addChild(orphan);
    EXPECT_EQ(orphan->parent(), nullptr);
}
