#pragma once
// A collection: a vertical scroll view of items in sections, placed by a flow layout.
// `reloadData` asks for the counts and lays every item out; only the items that the
// bounds show get a cell (the data source's cell, then its frame, then will-display),
// and a cell that leaves the view waits for reuse under its identifier. A tap selects
// the item under it when the delegate allows, deselecting the one before.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/ui/collection_view_cell.hpp"
#include "vistrel/platform/ui/collection_view_flow_layout.hpp"
#include "vistrel/platform/ui/index_path.hpp"
#include "vistrel/platform/ui/list_cells.hpp"
#include "vistrel/platform/ui/scroll_view.hpp"

namespace platform::ui {

class CollectionViewDataSource {
public:
    virtual ~CollectionViewDataSource() = default;
    virtual int numberOfSections(CollectionView& collectionView) {
        (void)collectionView;
        return 1;
    }
    virtual int numberOfItemsInSection(CollectionView& collectionView, int section) = 0;
    // None leaves the place empty (with a log line).
    virtual std::shared_ptr<CollectionViewCell> cellForItemAt(CollectionView& collectionView,
                                                              const IndexPath& indexPath) = 0;
};

// Every call is optional; the flow layout's questions answered with none take the
// layout's own values.
class CollectionViewDelegate : public ScrollViewDelegate {
public:
    virtual bool shouldSelectItemAt(CollectionView& collectionView, const IndexPath& indexPath) {
        (void)collectionView, (void)indexPath;
        return true;
    }
    virtual void didSelectItemAt(CollectionView& collectionView, const IndexPath& indexPath) {
        (void)collectionView, (void)indexPath;
    }
    virtual void didDeselectItemAt(CollectionView& collectionView, const IndexPath& indexPath) {
        (void)collectionView, (void)indexPath;
    }
    virtual void willDisplayCell(CollectionView& collectionView, CollectionViewCell& cell, const IndexPath& indexPath) {
        (void)collectionView, (void)cell, (void)indexPath;
    }

    virtual std::optional<Size> sizeForItemAt(CollectionView& collectionView, const CollectionViewFlowLayout& layout,
                                              const IndexPath& indexPath) {
        (void)collectionView, (void)layout, (void)indexPath;
        return std::nullopt;
    }
    virtual std::optional<EdgeInsets> insetForSectionAt(CollectionView& collectionView,
                                                        const CollectionViewFlowLayout& layout, int section) {
        (void)collectionView, (void)layout, (void)section;
        return std::nullopt;
    }
    virtual std::optional<double> minimumLineSpacingForSectionAt(CollectionView& collectionView,
                                                                 const CollectionViewFlowLayout& layout, int section) {
        (void)collectionView, (void)layout, (void)section;
        return std::nullopt;
    }
    virtual std::optional<double> minimumInteritemSpacingForSectionAt(CollectionView& collectionView,
                                                                      const CollectionViewFlowLayout& layout,
                                                                      int section) {
        (void)collectionView, (void)layout, (void)section;
        return std::nullopt;
    }
};

class CollectionView : public ScrollView {
public:
    // A new flow layout when none is given.
    explicit CollectionView(const Rect& frame = {}, std::shared_ptr<CollectionViewFlowLayout> layout = nullptr);

    CollectionViewFlowLayout& collectionViewLayout() const { return *layout_; }

    // Both held weakly. Setting the delegate also makes it the scroll view's delegate.
    std::shared_ptr<CollectionViewDataSource> dataSource() const { return dataSource_.lock(); }
    // A new data source is asked again at the next layout.
    void setDataSource(const std::shared_ptr<CollectionViewDataSource>& dataSource);
    std::shared_ptr<CollectionViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<CollectionViewDelegate>& delegate);

    // Asks everything again, drops the selection and the cells on screen (to the reuse
    // queue), then shows the items in view.
    void reloadData();
    // The items of these sections are asked again; as every item below them may move,
    // this reloads the whole collection.
    void reloadSections(const std::vector<int>& sections);
    int numberOfSections() const { return static_cast<int>(frames_.size()); }
    int numberOfItems(int section) const;

    // A queued cell of that identifier, else one of the kind registered for it, else a
    // plain cell carrying the identifier.
    void registerCell(const std::string& identifier, std::function<std::shared_ptr<CollectionViewCell>()> factory);
    std::shared_ptr<CollectionViewCell> dequeueReusableCell(const std::string& identifier, const IndexPath& indexPath);
    std::size_t queuedCellCount() const { return queue_.queuedCount(); }

    // The item's frame in the content (none for an item that does not exist).
    std::optional<Rect> frameForItem(const IndexPath& indexPath) const;
    std::optional<IndexPath> indexPathForItem(Point point) const;
    std::shared_ptr<CollectionViewCell> cellForItem(const IndexPath& indexPath) const;
    std::vector<std::shared_ptr<CollectionViewCell>> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleItems() const;

    // Selection by code tells the delegate nothing. One item at most is selected.
    void selectItem(const IndexPath& indexPath, bool animated);
    void deselectItem(const IndexPath& indexPath, bool animated);
    std::vector<IndexPath> indexPathsForSelectedItems() const;

    void layoutSubviews() override;

protected:
    void contentOffsetDidChange() override;
    void didTap(Point location) override;

private:
    void relayout();
    void tileItems();

    std::shared_ptr<CollectionViewFlowLayout> layout_;
    std::weak_ptr<CollectionViewDataSource> dataSource_;
    std::weak_ptr<CollectionViewDelegate> delegate_;
    std::vector<int> counts_;
    std::vector<std::vector<Rect>> frames_;
    double laidOutWidth_ = -1;
    bool loaded_ = false;
    bool tiling_ = false;
    detail::ReuseQueue<CollectionViewCell> queue_;
    detail::VisibleCells<CollectionViewCell> visible_;
};

}  // namespace platform::ui
