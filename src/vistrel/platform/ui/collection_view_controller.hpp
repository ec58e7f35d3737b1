#pragma once
// A screen whose view is a collection view with a flow layout, and which is that
// collection's data source and delegate. Subclasses answer the questions they need.
#include <memory>

#include "vistrel/platform/ui/collection_view.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::ui {

class CollectionViewController : public ViewController,
                                 public CollectionViewDataSource,
                                 public CollectionViewDelegate {
public:
    // A new flow layout when none is given.
    explicit CollectionViewController(std::shared_ptr<CollectionViewFlowLayout> layout = nullptr);

    // Loads the view.
    const std::shared_ptr<CollectionView>& collectionView();
    const std::shared_ptr<CollectionView>& collectionViewIfLoaded() const { return collectionView_; }
    CollectionViewFlowLayout& collectionViewLayout() const { return *layout_; }

    void loadView() override;

    // No items unless a subclass says otherwise.
    int numberOfItemsInSection(CollectionView& collectionView, int section) override;
    std::shared_ptr<CollectionViewCell> cellForItemAt(CollectionView& collectionView,
                                                      const IndexPath& indexPath) override;

private:
    std::shared_ptr<CollectionViewFlowLayout> layout_;
    std::shared_ptr<CollectionView> collectionView_;
};

}  // namespace platform::ui
