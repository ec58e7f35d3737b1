#include "vistrel/platform/ui/collection_view.hpp"

#include <gtest/gtest.h>

using namespace platform::ui;

namespace {

// Two sections: 400 items of 100 x 100 in lines of three, and 5 wide items; section 1
// gets its own inset.
class Cards : public CollectionViewDataSource, public CollectionViewDelegate {
public:
    int numberOfSections(CollectionView&) override { return 2; }
    int numberOfItemsInSection(CollectionView&, int s) override { return s ? 5 : 400; }
    std::shared_ptr<CollectionViewCell> cellForItemAt(CollectionView& view, const IndexPath& p) override {
        return view.dequeueReusableCell(p.section ? "wide" : "card", p);
    }
    std::optional<Size> sizeForItemAt(CollectionView&, const CollectionViewFlowLayout&, const IndexPath& p) override {
        if (p.section == 1) return Size{200, 40 + 10.0 * p.row};
        return std::nullopt;
    }
    std::optional<EdgeInsets> insetForSectionAt(CollectionView&, const CollectionViewFlowLayout&, int s) override {
        if (s == 1) return EdgeInsets{20, 30, 20, 30};
        return std::nullopt;
    }
};

}  // namespace

TEST(CollectionViewTest, FlowLayoutPlacesSectionsInLinesWithInsetsAndSpacing) {
    auto cards = std::make_shared<Cards>();
    auto layout = std::make_shared<CollectionViewFlowLayout>();
    layout->setItemSize({100, 100});
    layout->setSectionInset({10, 10, 10, 10});
    layout->setMinimumInteritemSpacing(5);
    layout->setMinimumLineSpacing(10);
    auto view = std::make_shared<CollectionView>(Rect{0, 0, 330, 480}, layout);
    view->setDataSource(cards);
    view->setDelegate(cards);
    view->layoutIfNeeded();
    // Three of 100 fit in 330 - 20 with 5 between; a fourth does not.
    EXPECT_EQ(view->frameForItem({0, 2}), (Rect{220, 10, 100, 100}));
    EXPECT_EQ(view->frameForItem({0, 3}), (Rect{10, 120, 100, 100}));
    // 134 lines of 100 with 10 between, within insets of 10.
    const double section0 = 10 + 134 * 100 + 133 * 10 + 10;
    EXPECT_EQ(view->frameForItem({1, 0}), (Rect{30, section0 + 20, 200, 40}));
    // One wide item a line (a second does not fit 330 - 60).
    EXPECT_EQ(view->frameForItem({1, 1}), (Rect{30, section0 + 20 + 50, 200, 50}));
    EXPECT_EQ(view->contentSize().height, section0 + 20 + (40 + 50 + 60 + 70 + 80) + 4 * 10 + 20);
}
