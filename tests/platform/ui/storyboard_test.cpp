#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/storyboard.hpp"

#include "ui_test_support.hpp"

using namespace uitest;

namespace {

// A screen that notes the segues it prepares, with the sender's text.
class Source : public RecordingController {
public:
    using RecordingController::RecordingController;
    void prepareForSegue(StoryboardSegue& segue, const std::any& sender) override {
        std::string text;
        if (auto s = std::any_cast<std::string>(&sender)) text = " " + *s;
        note("prepare " + segue.identifier().value_or("") + " to " +
             segue.destination()->storyboardIdentifier().value_or("?") + text);
    }
};

// Closes its source instead of showing the destination.
class DismissingSegue : public StoryboardSegue {
public:
    using StoryboardSegue::StoryboardSegue;
    void perform() override { source()->dismiss(false); }
};

class StoryboardTest : public JournalTest {
protected:
    void SetUp() override {
        auto j = journal;
        Storyboard::registerStoryboard("Flow", std::nullopt, [j](StoryboardDefinition& d) {
            d.setInitialViewController([](Storyboard& s) {
                return std::make_shared<NavigationController>(s.instantiateViewController("Home"));
            });
            d.addViewController("Home", [j](Storyboard&) { return std::make_shared<Source>("Home", j); });
            d.addViewController("Detail", [j](Storyboard&) { return std::make_shared<Source>("Detail", j); });
            d.addViewController("Part", [j](Storyboard&) { return std::make_shared<RecordingController>("Part", j); });
            d.addViewController("Broken", [](Storyboard&) { return nullptr; });
            d.addSegue("Home", "showDetail", "Detail", SegueKind::show);
            d.addSegue("Home", "presentDetail", "Detail", SegueKind::presentModally);
            d.addSegue("Detail", "showDetail", "Detail", SegueKind::show);
            d.addCustomSegue("Detail", "close", "Home", [](std::string id, auto source, auto destination) {
                return std::make_shared<DismissingSegue>(std::move(id), source, destination);
            });
            d.addEmbedSegue("Detail", "embedPart", "Part");
            d.addSegue("Home", "toNowhere", "Missing", SegueKind::show);
        });
    }
    void TearDown() override {
        Storyboard::unregisterStoryboard("Flow", std::nullopt);
        JournalTest::TearDown();
    }
};

}  // namespace

TEST_F(StoryboardTest, WhatIsMissingGivesNoneAndUnknownSeguesALine) {
    platform::LogCapture log;
    EXPECT_EQ(Storyboard::named("Nothing"), nullptr);
    auto storyboard = Storyboard::named("Flow");
    EXPECT_EQ(storyboard->instantiateViewController("Nope"), nullptr);
    EXPECT_EQ(storyboard->instantiateViewController("Broken"), nullptr);

    Storyboard::registerStoryboard("Bare", std::nullopt, [](StoryboardDefinition&) {});
    EXPECT_EQ(Storyboard::named("Bare")->instantiateInitialViewController(), nullptr);
    Storyboard::unregisterStoryboard("Bare", std::nullopt);
    EXPECT_EQ(Storyboard::named("Bare"), nullptr);

    // Unknown segues do nothing but a line.
    auto home = storyboard->instantiateViewController("Home");
    home->performSegue("noSuchSegue");
    EXPECT_TRUE(log.contains("has no segue with identifier \"noSuchSegue\""));
    home->performSegue("toNowhere");  // its destination is missing
    EXPECT_TRUE(log.contains("no view controller with identifier \"Missing\""));
    std::make_shared<ViewController>()->performSegue("showDetail");
    EXPECT_TRUE(log.contains("comes from no storyboard"));
    // Show without a navigation controller presents, which a screen in no window cannot.
    home->performSegue("showDetail");
    EXPECT_TRUE(log.contains("not in the window hierarchy"));
}

TEST_F(StoryboardTest, StoryboardsBelongToTheirBundle) {
    testsupport::TempDir dir;
    dir.write("Kit.bundle/Info.plist",
              R"(<plist version="1.0"><dict><key>CFBundleIdentifier</key><string>test.kit</string></dict></plist>)");
    auto bundle = platform::Bundle::atPath(dir / "Kit.bundle");
    ASSERT_TRUE(bundle);
    platform::LogCapture log;
    EXPECT_EQ(Storyboard::named("Flow", bundle.get()), nullptr);  // the application's, not the kit's

    Storyboard::registerStoryboard("Flow", "test.kit", [](StoryboardDefinition& d) {
        d.addViewController("Only", [](Storyboard&) { return std::make_shared<ViewController>(); });
    });
    auto kit = Storyboard::named("Flow", bundle.get());
    ASSERT_TRUE(kit);
    EXPECT_TRUE(kit->instantiateViewController("Only"));
    EXPECT_FALSE(Storyboard::named("Flow")->instantiateViewController("Only"));
    Storyboard::unregisterStoryboard("Flow", "test.kit");
}

TEST_F(StoryboardTest, SeguesArePreparedThenPerformed) {
    auto initial = std::dynamic_pointer_cast<NavigationController>(
        Storyboard::named("Flow")->instantiateInitialViewController());
    auto window = show(initial);
    auto home = initial->topViewController();

    // Show pushes onto the navigation controller; the embedded part is in place before
    // the destination's viewDidLoad.
    home->performSegue("showDetail", std::string("from a tap"));
    drain();
    EXPECT_EQ(take(journal), (Lines{"Home prepare showDetail to Detail from a tap", "Detail prepare embedPart to Part",
                                    "Part viewDidLoad", "Detail viewDidLoad", "Home willDisappear",
                                    "Detail willAppear", "Part willAppear", "Home didDisappear", "Detail didAppear",
                                    "Part didAppear"}));
    ASSERT_EQ(initial->viewControllers().size(), 2u);
    auto detail = initial->topViewController();
    ASSERT_EQ(detail->children().size(), 1u);
    EXPECT_EQ(detail->children().front()->viewIfLoaded()->superview(), detail->viewIfLoaded());

    // Present, then a custom segue that closes its source.
    home = initial->viewControllers().front();
    initial->popViewController(false);
    take(journal);
    home->performSegue("presentDetail");
    drain();
    auto presented = home->presentedViewController();
    ASSERT_TRUE(presented);
    take(journal);
    presented->performSegue("close");
    EXPECT_EQ(home->presentedViewController(), nullptr);
    EXPECT_EQ(take(journal).front(), "Detail prepare close to Home");
}
