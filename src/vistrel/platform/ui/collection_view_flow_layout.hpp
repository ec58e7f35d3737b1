#pragma once
// A flow layout: the items of each section in lines from left to right, a new line when
// the next item does not fit the width, each item centred in the height of its line.
// Sections follow each other down, each within its insets. Item sizes, insets and
// spacings are the layout's own unless the collection's delegate gives them.
#include <vector>

#include "vistrel/platform/ui/index_path.hpp"
#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

class CollectionView;
class CollectionViewDelegate;

class CollectionViewFlowLayout {
public:
    Size itemSize() const { return itemSize_; }
    void setItemSize(Size size) { itemSize_ = size; }
    EdgeInsets sectionInset() const { return sectionInset_; }
    void setSectionInset(const EdgeInsets& inset) { sectionInset_ = inset; }
    // Between lines, and between items of a line.
    double minimumLineSpacing() const { return lineSpacing_; }
    void setMinimumLineSpacing(double spacing) { lineSpacing_ = spacing; }
    double minimumInteritemSpacing() const { return itemSpacing_; }
    void setMinimumInteritemSpacing(double spacing) { itemSpacing_ = spacing; }

    struct Result {
        // By section, then item.
        std::vector<std::vector<Rect>> frames;
        Size contentSize;
    };
    // The frames of `itemCounts` items per section in a collection of `width`. Sizes,
    // insets and spacings that are not finite numbers or are negative count as 0.
    Result layout(CollectionView& collectionView, CollectionViewDelegate* delegate,
                  const std::vector<int>& itemCounts, double width) const;

private:
    Size itemSize_{50, 50};
    EdgeInsets sectionInset_;
    double lineSpacing_ = 10;
    double itemSpacing_ = 10;
};

}  // namespace platform::ui
