#pragma once
// A table: a vertical scroll view of rows in sections. `reloadData` asks the data source
// for the counts and the delegate for every row's height; then only the rows that the
// bounds show (the offset and inset move them) get a cell: the data source's cell, then
// its frame, then the delegate's will-display. A cell that leaves the view waits in a
// queue under its reuse identifier until `dequeueReusableCell` hands it out again. A tap
// on a row selects it (and deselects the one before) and tells the delegate.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/ui/index_path.hpp"
#include "vistrel/platform/ui/list_cells.hpp"
#include "vistrel/platform/ui/scroll_view.hpp"
#include "vistrel/platform/ui/table_view_cell.hpp"

namespace platform::ui {

class TableView;

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSections(TableView& tableView) {
        (void)tableView;
        return 1;
    }
    virtual int numberOfRowsInSection(TableView& tableView, int section) = 0;
    // None leaves the row empty (with a log line).
    virtual std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, const IndexPath& indexPath) = 0;
};

// Every call is optional.
class TableViewDelegate : public ScrollViewDelegate {
public:
    // None: the table's row height.
    virtual std::optional<double> heightForRowAt(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
        return std::nullopt;
    }
    virtual void willDisplayCell(TableView& tableView, TableViewCell& cell, const IndexPath& indexPath) {
        (void)tableView, (void)cell, (void)indexPath;
    }
    virtual void didSelectRowAt(TableView& tableView, const IndexPath& indexPath) { (void)tableView, (void)indexPath; }
    virtual void didDeselectRowAt(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
    }
};

class TableView : public ScrollView {
public:
    static constexpr double defaultRowHeight = 44;

    explicit TableView(const Rect& frame = {});

    // Both held weakly. Setting the delegate also makes it the scroll view's delegate.
    std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
    // A new data source is asked again at the next layout.
    void setDataSource(const std::shared_ptr<TableViewDataSource>& dataSource);
    std::shared_ptr<TableViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<TableViewDelegate>& delegate);

    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);

    // Asks everything again, drops the selection and the cells on screen (to the reuse
    // queue), then shows the rows in view.
    void reloadData();
    int numberOfSections() const { return static_cast<int>(sections_.size()); }
    // 0 for a section that does not exist.
    int numberOfRows(int section) const;

    // A queued cell of that identifier, else one of the kind registered for it, else a
    // plain cell carrying the identifier.
    void registerCell(const std::string& identifier, std::function<std::shared_ptr<TableViewCell>()> factory);
    std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& identifier);
    std::size_t queuedCellCount() const { return queue_.queuedCount(); }

    // The rectangle of a row in the content (empty for a row that does not exist).
    Rect rectForRow(const IndexPath& indexPath) const;
    // The row under a point of the bounds space.
    std::optional<IndexPath> indexPathForRow(Point point) const;
    // The cell on screen for the row, if any.
    std::shared_ptr<TableViewCell> cellForRow(const IndexPath& indexPath) const;
    std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleRows() const;

    // Selection by code tells the delegate nothing. One row at most is selected.
    void selectRow(const IndexPath& indexPath, bool animated);
    void deselectRow(const IndexPath& indexPath, bool animated);
    std::optional<IndexPath> indexPathForSelectedRow() const { return visible_.selected(); }
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }

    void layoutSubviews() override;

protected:
    void contentOffsetDidChange() override;
    void didTap(Point location) override;

private:
    struct Row {
        double y = 0;
        double height = 0;
    };

    // The rows in view get cells; the others give theirs back.
    void tileRows();
    std::vector<IndexPath> rowsIn(double top, double bottom) const;
    const Row* row(const IndexPath& indexPath) const;

    std::weak_ptr<TableViewDataSource> dataSource_;
    std::weak_ptr<TableViewDelegate> delegate_;
    double rowHeight_ = defaultRowHeight;
    // Row geometry by section, and the index of each section's first row in `flat_`.
    std::vector<std::vector<Row>> sections_;
    std::vector<IndexPath> flat_;
    std::vector<double> flatBottoms_;
    bool loaded_ = false;
    bool tiling_ = false;
    bool allowsSelection_ = true;
    detail::ReuseQueue<TableViewCell> queue_;
    detail::VisibleCells<TableViewCell> visible_;
};

}  // namespace platform::ui
