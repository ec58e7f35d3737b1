#include "vistrel/platform/ui/collection_view_controller.hpp"

#include "vistrel/platform/ui/screen.hpp"

namespace platform::ui {

CollectionViewController::CollectionViewController(std::shared_ptr<CollectionViewFlowLayout> layout)
    : layout_(layout ? std::move(layout) : std::make_shared<CollectionViewFlowLayout>()) {}

const std::shared_ptr<CollectionView>& CollectionViewController::collectionView() {
    loadViewIfNeeded();
    return collectionView_;
}

void CollectionViewController::loadView() {
    collectionView_ = std::make_shared<CollectionView>(Screen::main().bounds(), layout_);
    if (auto self = std::dynamic_pointer_cast<CollectionViewController>(shared_from_this())) {
        collectionView_->setDataSource(self);
        collectionView_->setDelegate(self);
    }
    setView(collectionView_);
}

int CollectionViewController::numberOfItemsInSection(CollectionView&, int) { return 0; }

std::shared_ptr<CollectionViewCell> CollectionViewController::cellForItemAt(CollectionView& collectionView,
                                                                            const IndexPath& indexPath) {
    return collectionView.dequeueReusableCell("", indexPath);
}

}  // namespace platform::ui
