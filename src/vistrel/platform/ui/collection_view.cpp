#include "vistrel/platform/ui/collection_view.hpp"

#include <algorithm>


namespace platform::ui {

CollectionView::CollectionView(const Rect& frame, std::shared_ptr<CollectionViewFlowLayout> layout)
    : ScrollView(frame), layout_(layout ? std::move(layout) : std::make_shared<CollectionViewFlowLayout>()) {}

void CollectionView::setDataSource(const std::shared_ptr<CollectionViewDataSource>& dataSource) {
    dataSource_ = dataSource;
    loaded_ = false;
    setNeedsLayout();
}

void CollectionView::setDelegate(const std::shared_ptr<CollectionViewDelegate>& delegate) {
    delegate_ = delegate;
    ScrollView::setDelegate(delegate);
}

int CollectionView::numberOfItems(int section) const {
    if (section < 0 || section >= numberOfSections()) return 0;
    return static_cast<int>(frames_[static_cast<std::size_t>(section)].size());
}

void CollectionView::reloadData() {
    auto self = weak_from_this().lock();
    auto source = dataSource();
    loaded_ = true;
    visible_.clear(*this, queue_);
    counts_.clear();
    const int sections = source ? std::max(0, source->numberOfSections(*this)) : 0;
    for (int s = 0; s < sections; ++s) counts_.push_back(std::max(0, source->numberOfItemsInSection(*this, s)));
    relayout();
    tileItems();
}

void CollectionView::reloadSections(const std::vector<int>&) { reloadData(); }

void CollectionView::relayout() {
    auto d = delegate();
    auto result = layout_->layout(*this, d.get(), counts_, bounds().width());
    frames_ = std::move(result.frames);
    laidOutWidth_ = bounds().width();
    setContentSize(result.contentSize);
    for (const auto& [path, cell] : visible_.cells())
        if (auto frame = frameForItem(path)) cell->setFrame(*frame);
}

std::optional<Rect> CollectionView::frameForItem(const IndexPath& p) const {
    if (p.section < 0 || p.section >= numberOfSections() || p.row < 0 || p.row >= numberOfItems(p.section))
        return std::nullopt;
    return frames_[static_cast<std::size_t>(p.section)][static_cast<std::size_t>(p.row)];
}

std::optional<IndexPath> CollectionView::indexPathForItem(Point point) const {
    for (int s = 0; s < numberOfSections(); ++s)
        for (int i = 0; i < numberOfItems(s); ++i)
            if (frames_[static_cast<std::size_t>(s)][static_cast<std::size_t>(i)].contains(point))
                return IndexPath{s, i};
    return std::nullopt;
}

void CollectionView::tileItems() {
    if (!loaded_ || tiling_) return;
    auto self = weak_from_this().lock();
    tiling_ = true;
    const Rect b = bounds();
    std::vector<IndexPath> wanted;
    for (int s = 0; s < numberOfSections(); ++s)
        for (int i = 0; i < numberOfItems(s); ++i) {
            const Rect& f = frames_[static_cast<std::size_t>(s)][static_cast<std::size_t>(i)];
            if (f.maxX() > b.minX() && f.minX() < b.maxX() && f.maxY() > b.minY() && f.minY() < b.maxY())
                wanted.push_back({s, i});
        }
    auto source = dataSource();
    visible_.update(
        *this, wanted, queue_,
        [&](const IndexPath& path) { return source ? source->cellForItemAt(*this, path) : nullptr; },
        [&](const IndexPath& path) { return *frameForItem(path); },
        [&](const IndexPath& path, CollectionViewCell& cell) {
            if (auto d = delegate()) d->willDisplayCell(*this, cell, path);
        });
    tiling_ = false;
}

void CollectionView::layoutSubviews() {
    ScrollView::layoutSubviews();
    if (!loaded_) return reloadData();
    if (laidOutWidth_ != bounds().width()) relayout();
    tileItems();
}

void CollectionView::contentOffsetDidChange() { tileItems(); }

void CollectionView::registerCell(const std::string& identifier,
                                  std::function<std::shared_ptr<CollectionViewCell>()> factory) {
    queue_.registerKind(identifier, std::move(factory));
}

std::shared_ptr<CollectionViewCell> CollectionView::dequeueReusableCell(const std::string& identifier,
                                                                        const IndexPath&) {
    return queue_.dequeue(identifier);
}

std::shared_ptr<CollectionViewCell> CollectionView::cellForItem(const IndexPath& indexPath) const {
    return visible_.at(indexPath);
}

std::vector<std::shared_ptr<CollectionViewCell>> CollectionView::visibleCells() const { return visible_.list(); }

std::vector<IndexPath> CollectionView::indexPathsForVisibleItems() const { return visible_.paths(); }

std::vector<IndexPath> CollectionView::indexPathsForSelectedItems() const {
    auto selected = visible_.selected();
    return selected ? std::vector<IndexPath>{*selected} : std::vector<IndexPath>{};
}

void CollectionView::selectItem(const IndexPath& indexPath, bool) {
    if (frameForItem(indexPath)) visible_.select(indexPath);
}

void CollectionView::deselectItem(const IndexPath& indexPath, bool) { visible_.deselect(indexPath); }

void CollectionView::didTap(Point location) {
    auto path = indexPathForItem(location);
    if (!path) return;
    auto self = weak_from_this().lock();
    auto d = delegate();
    if (d && !d->shouldSelectItemAt(*this, *path)) return;
    visible_.tap(
        *path, [&](const IndexPath& old) { if (d) d->didDeselectItemAt(*this, old); },
        [&](const IndexPath& now) { if (d) d->didSelectItemAt(*this, now); });
}

}  // namespace platform::ui
