#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"

#include "ui_test_support.hpp"

using namespace uitest;

namespace {

class AlertTest : public JournalTest {
protected:
    void SetUp() override {
        platform::graphics::useIsolatedFontConfiguration();
        root->view()->setBackgroundColor(Color::white());
        show(root, window);
    }

    // An alert with the buttons "Keep" and "Delete" whose handlers write to the journal,
    // noting whether the alert was still shown when they ran.
    std::shared_ptr<AlertController> twoButtons(AlertControllerStyle style = AlertControllerStyle::alert) {
        auto alert = std::make_shared<AlertController>("Delete?", "It cannot be undone.", style);
        for (auto [title, actionStyle] : {std::pair{"Keep", AlertActionStyle::cancel},
                                          std::pair{"Delete", AlertActionStyle::destructive}}) {
            std::weak_ptr<AlertController> weak = alert;
            alert->addAction(std::make_shared<AlertAction>(title, actionStyle, [this, weak](AlertAction& a) {
                auto shown = weak.lock() && weak.lock()->presentingViewController();
                journal->push_back(*a.title() + (shown ? " while shown" : " after dismissal"));
            }));
        }
        return alert;
    }
    // Presents `alert` at once, laid out.
    std::shared_ptr<AlertController> presented(std::shared_ptr<AlertController> alert) {
        root->present(alert, false);
        window->layoutIfNeeded();
        return alert;
    }
    // The journal once the main queue has run (a handler waits for its alert's dismissal).
    Lines settled() {
        drain();
        return take(journal);
    }

    std::shared_ptr<RecordingController> root = std::make_shared<RecordingController>("Root", journal);
    std::shared_ptr<Window> window = std::make_shared<Window>();
};

}  // namespace

TEST_F(AlertTest, TappingAnActionDismissesTheAlertThenRunsItsHandler) {
    auto alert = twoButtons();
    root->present(alert, true);
    EXPECT_TRUE(settled().empty());  // the screen beneath stays in place
    EXPECT_TRUE(root->view()->window());

    EXPECT_TRUE(alert->tapAction(1));
    {
        platform::LogCapture log;
        EXPECT_FALSE(alert->tapAction(0));  // already closing
    }
    EXPECT_TRUE(journal->empty());      // the handler waits for the dismissal
    EXPECT_EQ(settled(), (Lines{"Delete after dismissal"}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(alert->viewIfLoaded()->superview(), nullptr);
}

TEST_F(AlertTest, AFingerOnAButtonDoesWhatTheHelperDoes) {
    auto alert = presented(twoButtons());
    ASSERT_EQ(alert->buttons().size(), 2u);
    tap(window, centre(*alert->buttons()[0]));
    EXPECT_EQ(settled(), (Lines{"Keep after dismissal"}));
}

TEST_F(AlertTest, TapsThatCannotHappenAreRefused) {
    platform::LogCapture log;
    auto alert = twoButtons();
    EXPECT_FALSE(alert->tapAction(0));  // not shown
    root->present(alert, false);
    EXPECT_FALSE(alert->tapAction(2));
    EXPECT_FALSE(alert->tapAction("Nothing"));
    alert->actions()[0]->setEnabled(false);
    EXPECT_FALSE(alert->tapAction("Keep"));
    EXPECT_TRUE(settled().empty());
    EXPECT_TRUE(alert->tapAction("Delete"));
    EXPECT_EQ(settled(), (Lines{"Delete after dismissal"}));

    // Shown again, it takes taps again; an action without a handler only closes it.
    alert->addAction(std::make_shared<AlertAction>("Later", AlertActionStyle::defaultStyle));
    root->present(alert, false);
    EXPECT_TRUE(alert->tapAction("Later"));
    EXPECT_TRUE(settled().empty());
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(AlertTest, TheMessageMayChangeWhileShownAndTheBoxIsDrawn) {
    auto alert = presented(twoButtons());
    const double before = alert->box()->frame().height();
    alert->setMessage("It cannot be undone. The photo and its actions go, and nothing brings them back.");
    window->layoutIfNeeded();
    EXPECT_GT(alert->box()->frame().height(), before);  // the longer text wraps

    auto bitmap = render(*window, 1);
    ASSERT_TRUE(bitmap);
    const Rect box = alert->box()->frame();
    EXPECT_NEAR(bitmap->pixel(static_cast<int>(box.minX()) + 3, static_cast<int>(box.midY())).r, 0.97, 0.01);
    EXPECT_NEAR(bitmap->pixel(5, 5).r, 0.6, 0.01);  // dimmed: white under black at 0.4
}
