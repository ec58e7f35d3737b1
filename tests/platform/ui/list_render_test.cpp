// A picture of a scrolled list: the rows that show are the right ones, at the right place,
// and nothing of the content shows outside the list.
#include <gtest/gtest.h>

#include "list_test_support.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"

using namespace listtest;

namespace {

// Each row's cell is filled with a colour that names the row.
Color rowColour(int row) { return Color::rgba(row / 100.0, 0.5, 1 - row / 100.0, 1); }

class ColouredRows : public Rows {
public:
    using Rows::Rows;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, const IndexPath& path) override {
        auto cell = Rows::cellForRowAt(table, path);
        cell->setBackgroundColor(rowColour(path.row));
        return cell;
    }
};

}  // namespace

TEST(ListRenderTest, ScrolledTableShowsTheRowsAtItsOffsetAndClipsTheRest) {
    auto window = std::make_shared<Window>(Rect{0, 0, 200, 300});
    window->setBackgroundColor(Color::black());
    auto rows = std::make_shared<ColouredRows>(100, 40);
    auto table = makeTable(rows, {0, 50, 200, 200});
    window->addSubview(table);
    window->makeKeyAndVisible();
    // Row 50 starts 10 points above the top of the table.
    table->setContentOffset({0, 50 * 40 + 10});

    auto bitmap = render(*window, 1);
    ASSERT_TRUE(bitmap);
    auto at = [&](double x, double y) { return bitmap->pixel(int(x), int(y)); };
    // Window y 50 is content y 2010: row 50 until window y 80, then a row every 40.
    for (auto [y, row] : {std::pair{55, 50}, {85, 51}, {165, 53}, {245, 55}})
        EXPECT_TRUE(at(190, y).isClose(rowColour(row), 0.02)) << "window y " << y << " row " << row;
    // Outside the table, above and below, the rows that are cut off do not show.
    EXPECT_TRUE(at(190, 45).isClose(Color::black(), 0.02));
    EXPECT_TRUE(at(190, 255).isClose(Color::black(), 0.02));
}
