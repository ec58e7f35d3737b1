#include "vistrel/platform/ui/table_view.hpp"

#include <algorithm>
#include <cmath>


namespace platform::ui {

namespace {

// A height that is not a finite number of points, or is negative, gives an empty row
// rather than a table whose rows overlap or run off to infinity.
double usableHeight(double height) { return std::isfinite(height) && height > 0 ? height : 0; }

}  // namespace

TableView::TableView(const Rect& frame) : ScrollView(frame) { setBackgroundColor(Color::white()); }

void TableView::setDataSource(const std::shared_ptr<TableViewDataSource>& dataSource) {
    dataSource_ = dataSource;
    loaded_ = false;
    setNeedsLayout();
}

void TableView::setDelegate(const std::shared_ptr<TableViewDelegate>& delegate) {
    delegate_ = delegate;
    ScrollView::setDelegate(delegate);
}

void TableView::setRowHeight(double height) { rowHeight_ = usableHeight(height); }

int TableView::numberOfRows(int section) const {
    if (section < 0 || section >= numberOfSections()) return 0;
    return static_cast<int>(sections_[static_cast<std::size_t>(section)].size());
}

void TableView::reloadData() {
    auto self = weak_from_this().lock();
    auto source = dataSource();
    auto d = delegate();
    loaded_ = true;
    sections_.clear();
    flat_.clear();
    flatBottoms_.clear();
    visible_.clear(*this, queue_);
    const int sectionCount = source ? std::max(0, source->numberOfSections(*this)) : 0;
    double y = 0;
    for (int s = 0; s < sectionCount; ++s) {
        const int rows = std::max(0, source->numberOfRowsInSection(*this, s));
        auto& section = sections_.emplace_back();
        section.reserve(static_cast<std::size_t>(rows));
        for (int r = 0; r < rows; ++r) {
            const IndexPath path{s, r};
            std::optional<double> asked;
            if (d) asked = d->heightForRowAt(*this, path);
            const double h = asked ? usableHeight(*asked) : rowHeight_;
            section.push_back({y, h});
            flat_.push_back(path);
            y += h;
            flatBottoms_.push_back(y);
        }
    }
    setContentSize({bounds().width(), y});
    tileRows();
}

const TableView::Row* TableView::row(const IndexPath& indexPath) const {
    if (indexPath.section < 0 || indexPath.section >= numberOfSections()) return nullptr;
    const auto& section = sections_[static_cast<std::size_t>(indexPath.section)];
    if (indexPath.row < 0 || indexPath.row >= static_cast<int>(section.size())) return nullptr;
    return &section[static_cast<std::size_t>(indexPath.row)];
}

Rect TableView::rectForRow(const IndexPath& indexPath) const {
    const Row* r = row(indexPath);
    return r ? Rect{0, r->y, bounds().width(), r->height} : Rect{};
}

std::vector<IndexPath> TableView::rowsIn(double top, double bottom) const {
    std::vector<IndexPath> rows;
    // The first row that ends below the top, then on while rows start above the bottom.
    auto i = static_cast<std::size_t>(std::upper_bound(flatBottoms_.begin(), flatBottoms_.end(), top) -
                                      flatBottoms_.begin());
    for (; i < flat_.size(); ++i) {
        const Row* r = row(flat_[i]);
        if (r->y >= bottom) break;
        rows.push_back(flat_[i]);
    }
    return rows;
}

std::optional<IndexPath> TableView::indexPathForRow(Point point) const {
    if (point.x < 0 || point.x >= bounds().width()) return std::nullopt;
    auto rows = rowsIn(point.y, std::nextafter(point.y, INFINITY));
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

void TableView::tileRows() {
    if (!loaded_ || tiling_) return;
    auto self = weak_from_this().lock();
    tiling_ = true;
    auto source = dataSource();
    visible_.update(
        *this, rowsIn(bounds().minY(), bounds().maxY()), queue_,
        [&](const IndexPath& path) { return source ? source->cellForRowAt(*this, path) : nullptr; },
        [&](const IndexPath& path) { return rectForRow(path); },
        [&](const IndexPath& path, TableViewCell& cell) {
            if (auto d = delegate()) d->willDisplayCell(*this, cell, path);
        });
    tiling_ = false;
}

void TableView::layoutSubviews() {
    ScrollView::layoutSubviews();
    if (!loaded_) return reloadData();
    // A change of width reaches the content and the rows on screen.
    if (contentSize().width != bounds().width()) {
        setContentSize({bounds().width(), contentSize().height});
        for (const auto& [path, cell] : visible_.cells()) cell->setFrame(rectForRow(path));
    }
    tileRows();
}

void TableView::contentOffsetDidChange() { tileRows(); }

void TableView::registerCell(const std::string& identifier, std::function<std::shared_ptr<TableViewCell>()> factory) {
    queue_.registerKind(identifier, std::move(factory));
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& identifier) {
    return queue_.dequeue(identifier);
}

std::shared_ptr<TableViewCell> TableView::cellForRow(const IndexPath& indexPath) const {
    return visible_.at(indexPath);
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const { return visible_.list(); }

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const { return visible_.paths(); }

void TableView::selectRow(const IndexPath& indexPath, bool) {
    if (row(indexPath)) visible_.select(indexPath);
}

void TableView::deselectRow(const IndexPath& indexPath, bool) { visible_.deselect(indexPath); }

void TableView::didTap(Point location) {
    if (!allowsSelection_) return;
    auto path = indexPathForRow(location);
    if (!path) return;
    auto self = weak_from_this().lock();
    auto d = delegate();
    visible_.tap(
        *path, [&](const IndexPath& old) { if (d) d->didDeselectRowAt(*this, old); },
        [&](const IndexPath& now) { if (d) d->didSelectRowAt(*this, now); });
}

}  // namespace platform::ui
