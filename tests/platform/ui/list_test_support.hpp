#pragma once
// What the list tests share: a data source and delegate for tables that notes each call
// that matters ("cell r", "frame r y", "display r").
#include <memory>
#include <string>
#include <vector>

#include "vistrel/platform/ui/table_view.hpp"

namespace listtest {

using namespace platform::ui;

class Rows : public TableViewDataSource, public TableViewDelegate {
public:
    explicit Rows(int count, double height = 44) : count(count), height(height) {}

    int count;
    double height;
    std::vector<std::string> calls;
    int configured = 0;

    int numberOfRowsInSection(TableView&, int) override { return count; }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, const IndexPath& path) override {
        ++configured;
        calls.push_back("cell " + std::to_string(path.row));
        return table.dequeueReusableCell("row");
    }
    std::optional<double> heightForRowAt(TableView&, const IndexPath&) override { return height; }
    void willDisplayCell(TableView&, TableViewCell& cell, const IndexPath& path) override {
        calls.push_back("frame " + std::to_string(path.row) + " " + std::to_string(int(cell.frame().minY())));
        calls.push_back("display " + std::to_string(path.row));
    }
};

// A table of `frame` showing `rows`, laid out.
inline std::shared_ptr<TableView> makeTable(const std::shared_ptr<Rows>& rows, const Rect& frame = {0, 0, 320, 440}) {
    auto table = std::make_shared<TableView>(frame);
    table->setDataSource(rows);
    table->setDelegate(rows);
    table->layoutIfNeeded();
    return table;
}

inline std::vector<int> visibleRows(const TableView& table) {
    std::vector<int> rows;
    for (const auto& path : table.indexPathsForVisibleRows()) rows.push_back(path.row);
    return rows;
}

}  // namespace listtest
