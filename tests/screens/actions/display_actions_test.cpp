#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>

#include "model/answer_fixtures.hpp"
#include "platform/graphics/image_fixtures.hpp"
#include "support/file_size_limit.hpp"
#include "support/manual_time.hpp"
#include "support/pump_until.hpp"
#include "support/recognition_service.hpp"
#include "vistrel/core/icon_image.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/actions/image_action_table_view_cell.hpp"
#include "vistrel/screens/actions/remote_image.hpp"

namespace {

using namespace std::chrono_literals;
using platform::graphics::Color;
using platform::ui::IndexPath;
using vistrel::DisplayActionsViewController;
using vistrel::ImageActionTableViewCell;
using vistrel::ImageViewModel;
using testsupport::pumpUntil;

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

struct CountingDelegate : vistrel::DisplayActionsProtocol {
    int calls = 0;
    void fetchCoreData() override { ++calls; }
};

bool near(const Color& a, const Color& b) {
    const double e = 2.5 / 255;
    return std::abs(a.r - b.r) < e && std::abs(a.g - b.g) < e && std::abs(a.b - b.b) < e;
}

// The shown row of the action with that identifier or name.
int rowOf(const ImageViewModel& image, const std::string& key) {
    for (int row = 0; row < image.numberOfActions(); ++row)
        if (image.idForAction(row) == key || image.nameForAction(row) == key) return row;
    return -1;
}

class DisplayActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        service.server.answerWith([](const testsupport::CapturedRequest& request) {
            testsupport::CannedAnswer answer;
            if (request.target.starts_with("/clicks")) answer.status = 204;
            if (request.target.starts_with("/bg/")) {
                answer.body = imagetest::encodePng(imagetest::Picture(40, 20, {255, 0, 0, 255}));
                answer.delay = 100ms;
            }
            return answer;
        });
    }
    void TearDown() override { vistrel::overrideBundleLocations(std::nullopt); }

    // The full answer with its image addresses on the loopback server, after `edit`.
    std::shared_ptr<ImageViewModel> answer(const std::function<void(std::string&)>& edit = {}) {
        std::string text = modeltest::fixtureText("full_answer.json");
        replaceAll(text, "https://example.com/", service.server.url("/"));
        if (edit) edit(text);
        return std::make_shared<ImageViewModel>(vistrel::Image::fromData(text));
    }

    std::shared_ptr<DisplayActionsViewController> show(std::shared_ptr<ImageViewModel> image,
                                                       std::shared_ptr<DisplayActionsViewController> screen =
                                                           DisplayActionsViewController::instance()) {
        screen->imageViewModel = std::move(image);
        screen->picture = vistrel::imageWithColor(Color::white());
        screen->historyStore = store;
        screen->delegate = delegate;
        navigation->pushViewController(screen, false);
        time.advance(1s);
        return screen;
    }

    platform::LogCapture log;  // the kit prints whole answers
    testsupport::RecognitionService service;
    testsupport::ManualTime time;
    std::shared_ptr<vistrel::PersistanceController> store = std::make_shared<vistrel::PersistanceController>();
    std::shared_ptr<CountingDelegate> delegate = std::make_shared<CountingDelegate>();
    std::shared_ptr<platform::ui::NavigationController> navigation =
        std::make_shared<platform::ui::NavigationController>(std::make_shared<platform::ui::ViewController>());
    std::shared_ptr<platform::ui::Window> window = std::make_shared<platform::ui::Window>();
};

TEST_F(DisplayActionsTest, RendersTheTitleBandAndStyledRowsOverThePhoto) {
    auto screen = show(answer());
    auto table = screen->tableView();
    ASSERT_FALSE(table->isHidden());
    // The tall list is not centred: no inset from a content size measured before the reload.
    EXPECT_EQ(std::tuple(table->numberOfRows(0), screen->titleLabel()->text(), table->contentInset().top),
              std::tuple(screen->imageViewModel->numberOfActions(), "Spring catalogue", 0.0));

    const int calendar = rowOf(*screen->imageViewModel, "a-cal");
    table->setContentOffset({0, table->rectForRow({0, calendar}).minY()});
    table->layoutIfNeeded();
    auto first = std::dynamic_pointer_cast<ImageActionTableViewCell>(table->cellForRow({0, calendar}));
    ASSERT_TRUE(first);
    auto button = first->buttonView.lock();
    const auto frame = button->convertRect(button->bounds(), window.get());
    auto bitmap = platform::ui::render(*window, 1.0);
    ASSERT_TRUE(bitmap);
    // Title style says display false: the theme's black at 0.6 over the white photo.
    const auto title = screen->titleView()->convertRect(screen->titleView()->bounds(), window.get());
    EXPECT_TRUE(near(bitmap->pixel(2, int(title.minY() + title.size.height / 2)), Color::white(0.4)));
    // #1A2B3C at 0.5 over white, inside the button; white at a rounded corner (radius 8)
    // and in the gap below the button.
    const Color body{(0x1A / 255.0 + 1) / 2, (0x2B / 255.0 + 1) / 2, (0x3C / 255.0 + 1) / 2, 1};
    EXPECT_TRUE(near(bitmap->pixel(int(frame.minX() + 10), int(frame.minY() + frame.size.height - 3)), body));
    EXPECT_TRUE(near(bitmap->pixel(int(frame.minX()), int(frame.minY())), Color::white()));
    EXPECT_TRUE(near(bitmap->pixel(int(frame.minX() + 20), int(frame.minY() + frame.size.height + 4)), Color::white()));
    EXPECT_EQ(button->layer().cornerRadius(), 8);
}

TEST_F(DisplayActionsTest, RowOfANameWithoutBreakOpportunitiesTakesItsTwoLines) {
    // A name of 200 KB without a space: measured and drawn in the row's two lines.
    const std::string name(200'000, 'W');
    auto screen = show(answer([&](std::string& text) { replaceAll(text, "Add the fair to your calendar", name); }));
    auto table = screen->tableView();
    const int row = rowOf(*screen->imageViewModel, "a-cal");
    table->setContentOffset({0, table->rectForRow({0, row}).minY()});
    ASSERT_TRUE(platform::ui::render(*window, 1.0));
    auto cell = std::dynamic_pointer_cast<ImageActionTableViewCell>(table->cellForRow({0, row}));
    ASSERT_TRUE(cell);
    auto label = cell->txtLabel.lock();
    platform::ui::Label twoLines;
    twoLines.setFont(label->font());
    twoLines.setNumberOfLines(2);
    twoLines.setText("W W");
    EXPECT_EQ(label->sizeThatFits({label->bounds().width(), 0}).height, twoLines.sizeThatFits({1, 0}).height);
    EXPECT_EQ(label->text(), name);
}

TEST_F(DisplayActionsTest, ShortListIsCentredAfterItsReload) {
    auto image = answer([](std::string& text) {
        auto actions = text.find("\"Actions\"");
        auto second = text.find("},\n    {", actions);
        auto end = text.rfind("]");
        text.erase(second + 1, end - second - 1);
    });
    ASSERT_EQ(image->numberOfActions(), 1);
    auto screen = show(image);
    auto table = screen->tableView();
    const double available = screen->view()->frame().height() - (table->frame().minY() + 16);
    const double inset = (available - table->contentSize().height) / 2;
    EXPECT_GT(table->contentSize().height, 0);
    EXPECT_EQ(std::tuple(table->contentInset().top, table->contentInset().bottom), std::tuple(inset, -inset));

    // Shown again with a list taller than the room: the inset goes back to 0.
    screen->imageViewModel = answer();
    screen->viewWillAppear(false);
    time.advance(1s);
    EXPECT_EQ(std::tuple(table->contentInset().top, table->contentInset().bottom), std::tuple(0.0, 0.0));
}

TEST_F(DisplayActionsTest, StarFlipsTheRecordAndIgnoresTapsWithoutOne) {
    // No document identifier: no history record, no star, and the star's action does nothing.
    auto orphan = show(answer([](std::string& text) { replaceAll(text, "\"DocumentId\"", "\"Ignored\""); }));
    EXPECT_FALSE(orphan->vistrelImageViewModel());
    orphan->noFavoriteButton()->sendActions(platform::ui::ControlEvents::touchUpInside);
    EXPECT_EQ(std::tuple(delegate->calls, orphan->navigationItem().rightBarButtonItem()),
              std::tuple(0, nullptr));

    auto screen = show(answer());
    ASSERT_TRUE(screen->vistrelImageViewModel());
    for (bool favorite : {true, false}) {
        std::static_pointer_cast<platform::ui::Button>(screen->navigationItem().rightBarButtonItem()->customView())
            ->sendActions(platform::ui::ControlEvents::touchUpInside);
        EXPECT_EQ(std::tuple(screen->vistrelImageViewModel()->isFavorite(),
                            screen->navigationItem().rightBarButtonItem()->customView()),
                  std::tuple(favorite, favorite ? screen->favoriteButton() : screen->noFavoriteButton()));
    }
    EXPECT_EQ(delegate->calls, 2);
}

// An image the history cannot keep shows its title and every action all the same; only
// the star, which needs a record, is gone, and the log says why.
TEST_F(DisplayActionsTest, AnImageThatCannotBeRecordedStillShowsItsActions) {
    struct Row {
        const char* name;
        std::string from, to;  // an edit of the answer
        std::optional<std::string> title;
        const char* why;
    };
    const std::vector<Row> rows = {
        {"no DocumentId", "\"DocumentId\"", "\"Ignored\"", "Spring catalogue", "no text \"DocumentId\""},
        {"an Id that is no text", "\"Id\": \"5f1c2a9e-img-0001\"", "\"Id\": 12", "Spring catalogue", "no text \"Id\""},
        {"a Title that is no text", "\"Title\": \"Spring catalogue\"", "\"Title\": null", std::nullopt,
         "no text \"Title\""},
        {"a full disk", "", "", "Spring catalogue", "the history store could not keep it"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        log.clear();
        std::shared_ptr<DisplayActionsViewController> screen;
        if (row.from.empty()) {
            ASSERT_TRUE(store->retrieveImages());  // the store is open when the disk fills up
            testsupport::ScopedFileSizeLimit full(4096);
            screen = show(answer());
        } else {
            screen = show(answer([&](std::string& text) { replaceAll(text, row.from, row.to); }));
        }
        auto table = screen->tableView();
        EXPECT_EQ(std::tuple(screen->vistrelImageViewModel() == nullptr, table->isHidden(), table->numberOfRows(0),
                             screen->titleLabel()->text(), screen->navigationItem().rightBarButtonItem()),
                  std::tuple(true, false, screen->imageViewModel->numberOfActions(), row.title, nullptr));
        EXPECT_TRUE(log.contains(row.why));
        EXPECT_TRUE(table->cellForRow({0, 0}));
        navigation->popViewController(false);
        time.advance(1s);
    }
}

TEST_F(DisplayActionsTest, ClickReportGoesOutOnlyWithBothIdentifiers) {
    struct Case {
        const char* removed;  // a key taken out of the answer
        bool reported;
    };
    for (const Case& c : {Case{"\"SessionId\"", false}, Case{"\"Id\": \"a-cal\"", false}, Case{nullptr, true}}) {
        SCOPED_TRACE(c.removed ? c.removed : "both present");
        auto screen = show(answer([&](std::string& text) {
            if (c.removed) replaceAll(text, c.removed, "\"Unused2\"");
        }));
        auto table = screen->tableView();
        const int row = rowOf(*screen->imageViewModel, "Add the fair to your calendar");
        table->selectRow({0, row}, false);
        screen->didSelectRowAt(*table, {0, row});
        EXPECT_FALSE(table->indexPathForSelectedRow());
        auto clicks = [&] {
            std::vector<testsupport::CapturedRequest> found;
            for (const auto& request : service.server.requests())
                if (request.target.starts_with("/clicks")) found.push_back(request);
            return found;
        };
        // A reported tap is followed by its request; an unreported one gets the same time.
        if (c.reported) {
            ASSERT_TRUE(pumpUntil([&] { return !clicks().empty(); }));
            EXPECT_EQ(std::tuple(clicks().size(), clicks()[0].target, clicks()[0].header("SessionId")),
                      std::tuple(1u, "/clicks?actionId=a-cal", "b7d4e0c2-session"));
            EXPECT_TRUE(pumpUntil([&] { return log.contains("clicks error :: nil"); }));
        } else {
            pumpUntil([] { return false; }, 60);
            EXPECT_TRUE(clicks().empty());
        }
        navigation->popViewController(false);
        time.advance(1s);
    }
}

TEST_F(DisplayActionsTest, ScreenWithoutRowPrototypeMakesFreshRows) {
    auto screen = show(answer(), std::make_shared<DisplayActionsViewController>());
    auto cell = std::dynamic_pointer_cast<ImageActionTableViewCell>(screen->tableView()->cellForRow({0, 0}));
    ASSERT_TRUE(cell && cell->buttonView.lock());
    EXPECT_EQ(cell->viewModel()->name(), screen->imageViewModel->nameForAction(0));
}

TEST_F(DisplayActionsTest, ReusedRowNeverShowsAnotherActionsImageOrLayout) {
    auto image = answer();
    auto cell = vistrel::makeImageActionTableViewCell();
    cell->setFrame({0, 0, 320, 58});
    const int withBackground = rowOf(*image, "a-url");  // its background image is served after a delay
    ASSERT_FALSE(image->viewModelForAction(withBackground)->buttonBackgroundImage().empty());
    auto background = cell->buttonBackgroundImageView.lock();

    // Loaded and laid out for its own action (cover: the button's width).
    cell->configureWithActionViewModel(image->viewModelForAction(withBackground));
    ASSERT_TRUE(pumpUntil([&] { return background->image().has_value(); }));
    EXPECT_EQ(cell->buttonBackgroundImageWidthConstraint.lock()->constant(), 320);

    // Reused for the same action and at once for one without a background: the old image
    // goes at once, and the overtaken load neither brings it back nor lays it out. (The
    // cache is emptied first, or the second configuration would not download at all.)
    vistrel::clearRemoteImageCache();
    cell->configureWithActionViewModel(image->viewModelForAction(withBackground));
    cell->buttonBackgroundImageWidthConstraint.lock()->setConstant(7);
    cell->configureWithActionViewModel(image->viewModelForAction(rowOf(*image, "a-cal")));
    EXPECT_FALSE(background->image());
    auto backgroundRequests = [&] {
        std::size_t count = 0;
        for (const auto& request : service.server.requests()) count += request.target.starts_with("/bg/");
        return count;
    };
    ASSERT_TRUE(pumpUntil([&] { return backgroundRequests() == 2; }));
    // Both loads have ended, past the server's delay, and handed over what they had.
    ASSERT_TRUE(pumpUntil([&] { return vistrel::remoteImageCacheState().loading == 0; }));
    pumpUntil([&] { return false; }, 10);
    EXPECT_FALSE(background->image());
    EXPECT_EQ(std::tuple(cell->buttonBackgroundImageWidthConstraint.lock()->constant(), cell->viewModel()->name()),
              std::tuple(7.0, std::string("Add the fair to your calendar")));
}

}  // namespace

namespace {

TEST(ImageActionTableViewCellTest, PlacesTextAndIconByTheirStyles) {
    struct Case {
        const char* style;
        double leading, trailing, iconX, radius;
    };
    // A 320 x 50 button (the row keeps 8 below it); the icon is 30 wide unless styled.
    const double left = -(160 - 15) + 8;
    const Case cases[] = {
        {"", 46, 8, left, 0},                                            // no icon section: room on the left
        {R"({"icon": {"hposition": "right"}})", 8, 46, 160 - 15 - 8, 0},  // room on the right
        {R"({"icon": {"hposition": "center"}, "button": {"radius": "100"}})", 8, 8, 0, 25},  // pill: H / 2
        {R"({"icon": {"display": "false"}, "button": {"radius": "6"}})", 8, 8, left, 6},
    };
    platform::LogCapture log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        std::string answer = R"({"Id": "i", "Title": "t", "Actions": [{"Id": "a", "Name": "Open", "Type": "TEXT")";
        if (*c.style) {
            std::string style = c.style;
            replaceAll(style, "\"", "\\\"");
            answer += R"(, "Style": ")";
            answer += style;
            answer += '"';
        }
        answer += "}]}";
        ImageViewModel image(vistrel::Image::fromData(answer));
        auto cell = vistrel::makeImageActionTableViewCell();
        cell->setFrame({0, 0, 320, 58});
        cell->configureWithActionViewModel(image.viewModelForAction(0));
        EXPECT_EQ(std::tuple(cell->txtLeadingConstraint.lock()->constant(), cell->txtTrailingConstraint.lock()->constant(),
                             cell->iconHorizontalAlignmentConstraint.lock()->constant(),
                             cell->buttonView.lock()->layer().cornerRadius()),
                  std::tuple(c.leading, c.trailing, c.iconX, c.radius));
    }
}

}  // namespace
