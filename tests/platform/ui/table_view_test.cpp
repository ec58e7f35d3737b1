#include "vistrel/platform/ui/table_view.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "list_test_support.hpp"
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
    const auto cells = table->visibleCells();
    EXPECT_NE(std::find(cells.begin(), cells.end(), first), cells.end());
}

TEST(TableViewTest, ANewDataSourceIsAskedAtTheNextLayout) {
    auto table = std::make_shared<TableView>(Rect{0, 0, 320, 100});
    table->layoutIfNeeded();
    auto rows = std::make_shared<Rows>(3);
    table->setDataSource(rows);
    table->layoutIfNeeded();
    EXPECT_EQ(visibleRows(*table), range(0, 2));
    // A kind never registered still gives a fresh cell of that kind.
    EXPECT_EQ(table->dequeueReusableCell("never registered")->reuseIdentifier(), "never registered");
}

TEST(TableViewTest, BadHeightsGiveEmptyRowsAndARowWithoutACellStaysEmpty) {
    struct Odd : Rows {
        using Rows::Rows;
        std::vector<double> values{30, NAN, -5, INFINITY, 50};
        std::optional<double> heightForRowAt(TableView&, const IndexPath& p) override {
            return values[std::size_t(p.row)];
        }
        std::shared_ptr<TableViewCell> cellForRowAt(TableView& t, const IndexPath& p) override {
            return p.row == 0 ? nullptr : Rows::cellForRowAt(t, p);
        }
    };
    auto table = makeTable(std::make_shared<Odd>(5));
    EXPECT_EQ(table->contentSize().height, 80);
    EXPECT_EQ(table->rectForRow({0, 4}), (Rect{0, 30, 320, 50}));
    EXPECT_EQ(table->cellForRow({0, 0}), nullptr);  // no cell: the row stays empty and the others show
    EXPECT_NE(table->cellForRow({0, 4}), nullptr);
}
