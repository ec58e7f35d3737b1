#include "platform/ui/table_view.hpp"

#include <gtest/gtest.h>

#include "list_test_support.hpp"
#include "platform/ui/touch_delivery.hpp"
#include "ui_test_support.hpp"

using namespace listtest;
using uitest::Lines;

namespace {

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}

}  // namespace

TEST(TableViewTest, OnlyRowsInViewGetCellsInOrderCellFrameDisplay) {
    auto rows = std::make_shared<Rows>(500);
    auto table = makeTable(rows);
    EXPECT_EQ(table->contentSize(), (Size{320, 500 * 44.0}));
    // 440 points of 44-point rows: exactly ten rows.
    EXPECT_EQ(visibleRows(*table), range(0, 9));
    EXPECT_EQ(rows->configured, 10);
    EXPECT_EQ((Lines{rows->calls.begin(), rows->calls.begin() + 6}),
              (Lines{"cell 0", "frame 0 0", "display 0", "cell 1", "frame 1 44", "display 1"}));

    // The inset moves the content down; rows keep their place in the content.
    rows->calls.clear();
    table->setContentInset({100, 0, 0, 0});
    EXPECT_EQ(table->contentOffset(), (Point{0, -100}));
    EXPECT_EQ(visibleRows(*table), range(0, 7));
    EXPECT_TRUE(rows->calls.empty());
}

TEST(TableViewTest, ScrollingReusesCellsAndConfiguresOnlyRowsComingIntoView) {
    auto rows = std::make_shared<Rows>(300);
    auto table = makeTable(rows);
    auto first = table->cellForRow({0, 0});
    ASSERT_TRUE(first);
    rows->configured = 0;

    table->setContentOffset({0, 44 * 100 + 22});
    // Half of row 100 to half of row 110.
    EXPECT_EQ(visibleRows(*table), range(100, 110));
    EXPECT_EQ(rows->configured, 11);
    // The ten cells that left were handed out again; one more was made.
    EXPECT_EQ(table->queuedCellCount(), 0u);
    EXPECT_EQ(table->cellForRow({0, 100})->textLabel().text(), "Row 100");
    bool reused = false;
    for (const auto& cell : table->visibleCells()) {
        reused = reused || cell == first;
        EXPECT_EQ(cell->superview().get(), table.get());
    }
    EXPECT_TRUE(reused);
    EXPECT_FALSE(first->isSelected());

    // Half a row further: the row that left waits in the queue, and the next row to come
    // in takes it.
    rows->configured = 0;
    table->setContentOffset({0, 44 * 101});
    EXPECT_EQ(rows->configured, 0);
    EXPECT_EQ(table->queuedCellCount(), 1u);
    EXPECT_EQ(table->subviews().size(), 10u);
    table->setContentOffset({0, 44 * 101 + 22});
    EXPECT_EQ(rows->configured, 1);
    EXPECT_EQ(table->queuedCellCount(), 0u);
}

TEST(TableViewTest, ANewDataSourceIsAskedAtTheNextLayout) {
    auto table = std::make_shared<TableView>(Rect{0, 0, 320, 100});
    table->layoutIfNeeded();
    EXPECT_EQ(table->numberOfSections(), 0);
    auto rows = std::make_shared<Rows>(3);
    table->setDataSource(rows);
    table->layoutIfNeeded();
    EXPECT_EQ(table->numberOfRows(0), 3);
    EXPECT_EQ(visibleRows(*table), range(0, 2));
}

TEST(TableViewTest, DequeueWithoutRegisteredKindMakesAFreshCell) {
    TableView table;
    auto cell = table.dequeueReusableCell("never registered");
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->reuseIdentifier(), "never registered");

    struct Tall : TableViewCell {};
    table.registerCell("tall", [] { return std::make_shared<Tall>(); });
    EXPECT_TRUE(std::dynamic_pointer_cast<Tall>(table.dequeueReusableCell("tall")));
    EXPECT_FALSE(std::dynamic_pointer_cast<Tall>(table.dequeueReusableCell("other")));
}

TEST(TableViewTest, ReloadAsksEveryHeightAndBadHeightsGiveEmptyRows) {
    struct Heights : Rows {
        using Rows::Rows;
        std::vector<double> values{30, NAN, -5, INFINITY, 50};
        int asked = 0;
        std::optional<double> heightForRowAt(TableView&, const IndexPath& p) override {
            ++asked;
            return values[std::size_t(p.row)];
        }
    };
    auto rows = std::make_shared<Heights>(5);
    auto table = makeTable(rows);
    EXPECT_EQ(rows->asked, 5);
    EXPECT_EQ(table->contentSize().height, 80);
    EXPECT_EQ(table->rectForRow({0, 4}), (Rect{0, 30, 320, 50}));
    EXPECT_EQ(table->indexPathForRow({10, 40}), (IndexPath{0, 4}));
    EXPECT_EQ(table->indexPathForRow({10, 80}), std::nullopt);
}

TEST(TableViewTest, ARowWithoutACellStaysEmptyAndTheOthersShow) {
    struct Gaps : Rows {
        using Rows::Rows;
        std::shared_ptr<TableViewCell> cellForRowAt(TableView& t, const IndexPath& p) override {
            return p.row == 1 ? nullptr : Rows::cellForRowAt(t, p);
        }
    };
    auto rows = std::make_shared<Gaps>(3);
    auto table = makeTable(rows);
    EXPECT_EQ(visibleRows(*table), (std::vector<int>{0, 2}));
    EXPECT_EQ(table->cellForRow({0, 1}), nullptr);
}

TEST(TableViewTest, TapSelectsAndDeselectsAndADragSelectsNothing) {
    auto rows = std::make_shared<Rows>(100);
    auto window = std::make_shared<Window>(Rect{0, 0, 320, 480});
    auto table = makeTable(rows, {0, 40, 320, 440});
    window->addSubview(table);
    window->makeKeyAndVisible();
    rows->calls.clear();

    // Window y 40 + 3 * 44 + 10: row 3.
    tap(window, {100, 40 + 3 * 44 + 10});
    tap(window, {100, 40 + 5 * 44 + 10});
    EXPECT_EQ(rows->calls, (Lines{"select 3", "deselect 3", "select 5"}));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 5}));
    EXPECT_TRUE(table->cellForRow({0, 5})->isSelected());
    EXPECT_FALSE(table->cellForRow({0, 3})->isSelected());

    // A finger that scrolls by two rows selects nothing; the view settles in range.
    rows->calls.clear();
    swipe(window, {100, 300}, {100, 300 - 88});
    EXPECT_EQ(table->contentOffset(), (Point{0, 88}));
    EXPECT_EQ(rows->calls, (Lines{"cell 10", "frame 10 440", "display 10", "cell 11", "frame 11 484", "display 11"}));
    swipe(window, {100, 100}, {100, 400});
    EXPECT_EQ(table->contentOffset(), (Point{0, 0}));

    table->deselectRow({0, 5}, true);
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
    EXPECT_FALSE(table->cellForRow({0, 5})->isSelected());
}
