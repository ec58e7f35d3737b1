#include "list_demo.hpp"

#include <iostream>
#include <memory>
#include <string>

#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/table_view.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace {

using namespace platform::ui;

constexpr int kRows = 100;

// A hundred numbered rows in alternating shades; counts the rows it was asked for.
class HundredRows : public TableViewDataSource, public TableViewDelegate {
public:
    int configured = 0;
    int numberOfRowsInSection(TableView&, int) override { return kRows; }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, const IndexPath& path) override {
        ++configured;
        auto cell = table.dequeueReusableCell("row");
        std::string text = "Row ";
        text += std::to_string(path.row + 1);
        text += " of ";
        text += std::to_string(kRows);
        cell->textLabel().setText(std::move(text));
        cell->setBackgroundColor(path.row % 2 ? Color::rgba(0.94, 0.95, 0.97, 1) : Color::white());
        return cell;
    }
};

}  // namespace

void writeListSample(const std::filesystem::path& out) {
    std::cout << "\n== a table of " << kRows << " rows, scrolled to the middle\n";
    auto rows = std::make_shared<HundredRows>();
    auto window = std::make_shared<Window>();
    auto table = std::make_shared<TableView>(window->bounds());
    table->setDataSource(rows);
    table->setDelegate(rows);
    window->addSubview(table);
    window->makeKeyAndVisible();
    table->layoutIfNeeded();

    // A finger drags the middle of the content to the middle of the screen.
    const double middle = table->contentSize().height / 2 - table->bounds().height() / 2;
    table->dragBy({0, -middle});
    table->endDragging();
    const auto shown = table->indexPathsForVisibleRows();
    std::cout << "rows on screen: " << (shown.empty() ? 0 : shown.front().row + 1) << " to "
              << (shown.empty() ? 0 : shown.back().row + 1) << "; cells configured: " << rows->configured << "\n";

    const auto path = out / "list-sample.png";
    auto bitmap = render(*window);
    if (bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "wrote " << path.string() << " (" << bitmap->width() << " x " << bitmap->height() << " pixels)\n";
    else
        std::cout << "could not write " << path.string() << "\n";
}
