#include <optional>
#include <string>
#include <vector>

#include "services_test_support.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/services/activity_view_controller.hpp"
#include "vistrel/platform/ui/render.hpp"

using namespace servicestest;
using namespace platform::services;

namespace {

std::vector<ActivityItem> items() {
    auto picture = platform::graphics::Image::make(*platform::graphics::Bitmap::make(40, 20));
    return {ActivityItem::makeText("Look at this"), ActivityItem::makeAddress("https://example.com/a?b=c"),
            ActivityItem::makeImage(*picture)};
}

class ShareSheetTest : public PresentingTest {};

}  // namespace

TEST_F(ShareSheetTest, PickingOrCancellingClosesTheSheetThenTellsTheCompletion) {
    const struct {
        std::optional<std::string> pick;  // none: cancel
        bool accepted;
        std::string heard;
    } cases[] = {
        {"mail", true, "mail completed"},
        {std::nullopt, true, "none not completed"},
        {"fax", false, ""},  // not offered: the sheet stays
    };
    for (const auto& c : cases) {
        auto sheet = std::make_shared<ActivityViewController>(items());
        std::vector<std::string> heard;
        sheet->setCompletionWithItemsHandler([&](const std::optional<std::string>& type, bool completed) {
            heard.push_back(type.value_or("none") + (completed ? " completed" : " not completed"));
        });
        presented(sheet);
        platform::LogCapture log;
        EXPECT_EQ(c.pick ? sheet->perform(*c.pick) : sheet->cancel(), c.accepted);
        EXPECT_TRUE(heard.empty());  // only once the dismissal ends
        drain();
        EXPECT_EQ(heard, c.heard.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.heard});
        EXPECT_EQ(root->presentedViewController() == nullptr, c.accepted);
        EXPECT_EQ(sheet->chosenActivityType(), c.accepted ? c.pick : std::nullopt);
        EXPECT_EQ(sheet->cancel(), !c.accepted);  // a finished sheet refuses; an open one cancels
        drain();
    }
}

TEST_F(ShareSheetTest, TheItemsAreListedInTheOrderGiven) {
    auto sheet = presented(std::make_shared<ActivityViewController>(items()));
    EXPECT_EQ(sheet->summary(), "share text \"Look at this\"; address https://example.com/a?b=c; image 40x20");
    auto empty = std::make_shared<ActivityViewController>(std::vector<ActivityItem>{});
    EXPECT_EQ(empty->summary(), "share (no items)");
}
