// Scrolling a 10,000-row table by one screen at a time: only the rows that come into
// view are configured. The counters give the rows configured per screen and the rows a
// screen holds; a scroll that configures more rows than come into view fails the run.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "vistrel/platform/ui/table_view.hpp"

namespace {

using namespace platform::ui;

constexpr int kRows = 10'000;
constexpr double kRowHeight = 44;
constexpr double kScreenHeight = 667;

class Rows : public TableViewDataSource, public TableViewDelegate {
public:
    long configured = 0;
    int numberOfRowsInSection(TableView&, int) override { return kRows; }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, const IndexPath& path) override {
        ++configured;
        auto cell = table.dequeueReusableCell("row");
        std::string text = "Row ";
        text += std::to_string(path.row);
        cell->textLabel().setText(std::move(text));
        return cell;
    }
    std::optional<double> heightForRowAt(TableView&, const IndexPath&) override { return kRowHeight; }
};

void BM_ScrollTableByOneScreen(benchmark::State& state) {
    auto rows = std::make_shared<Rows>();
    auto table = std::make_shared<TableView>(Rect{0, 0, 375, kScreenHeight});
    table->setDataSource(rows);
    table->setDelegate(rows);
    table->layoutIfNeeded();
    const double end = table->maximumContentOffset().y;
    double offset = 0;
    long scrolls = 0;
    rows->configured = 0;
    for (auto _ : state) {
        offset += kScreenHeight;
        // Back to the top at the end, a jump that also brings a whole screen into view.
        if (offset > end) offset = 0;
        table->setContentOffset({0, offset});
        ++scrolls;
        benchmark::DoNotOptimize(table->visibleCells().size());
    }
    // A screen of 667 points shows parts of at most 17 rows of 44 points.
    const double perScreen = scrolls ? double(rows->configured) / double(scrolls) : 0;
    if (perScreen > 17) state.SkipWithError("a scroll configured rows that did not come into view");
    state.counters["rows_configured_per_screen"] = perScreen;
    state.counters["rows_on_screen"] = double(table->visibleCells().size());
    state.counters["cells_made"] = double(table->subviews().size() + table->queuedCellCount());
}
BENCHMARK(BM_ScrollTableByOneScreen);

}  // namespace

BENCHMARK_MAIN();
