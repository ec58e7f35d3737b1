#include "platform/ui/collection_view.hpp"
#include "platform/ui/collection_view_controller.hpp"

#include <gtest/gtest.h>

#include "platform/ui/touch_delivery.hpp"
#include "ui_test_support.hpp"

using namespace platform::ui;
using uitest::Lines;

namespace {

std::string name(const IndexPath& p) { return std::to_string(p.section) + "." + std::to_string(p.row); }

// Two sections: 400 items of 100 x 100 in lines of three, and 5 wide items (or what
// `items` says); section 1 gets its own inset and spacing.
class Cards : public CollectionViewDataSource, public CollectionViewDelegate {
public:
    std::vector<int> items{400, 5};
    Lines calls;
    int configured = 0;
    bool selectable = true;

    int numberOfSections(CollectionView&) override { return int(items.size()); }
    int numberOfItemsInSection(CollectionView&, int s) override { return items[std::size_t(s)]; }
    std::shared_ptr<CollectionViewCell> cellForItemAt(CollectionView& view, const IndexPath& p) override {
        ++configured;
        calls.push_back("cell " + name(p));
        return view.dequeueReusableCell(p.section ? "wide" : "card", p);
    }
    void willDisplayCell(CollectionView&, CollectionViewCell& cell, const IndexPath& p) override {
        calls.push_back("display " + name(p) + " at " + std::to_string(int(cell.frame().minX())) + "," +
                        std::to_string(int(cell.frame().minY())));
    }
    bool shouldSelectItemAt(CollectionView&, const IndexPath&) override { return selectable; }
    void didSelectItemAt(CollectionView&, const IndexPath& p) override { calls.push_back("select " + name(p)); }
    void didDeselectItemAt(CollectionView&, const IndexPath& p) override { calls.push_back("deselect " + name(p)); }
    std::optional<Size> sizeForItemAt(CollectionView&, const CollectionViewFlowLayout&, const IndexPath& p) override {
        if (p.section == 1) return Size{200, 40 + 10.0 * p.row};
        return std::nullopt;
    }
    std::optional<EdgeInsets> insetForSectionAt(CollectionView&, const CollectionViewFlowLayout&, int s) override {
        if (s == 1) return EdgeInsets{20, 30, 20, 30};
        return std::nullopt;
    }
    std::optional<double> minimumLineSpacingForSectionAt(CollectionView&, const CollectionViewFlowLayout&,
                                                         int s) override {
        if (s == 1) return 5;
        return std::nullopt;
    }
};

std::shared_ptr<CollectionView> makeCollection(const std::shared_ptr<Cards>& cards) {
    auto layout = std::make_shared<CollectionViewFlowLayout>();
    layout->setItemSize({100, 100});
    layout->setSectionInset({10, 10, 10, 10});
    layout->setMinimumInteritemSpacing(5);
    layout->setMinimumLineSpacing(10);
    auto view = std::make_shared<CollectionView>(Rect{0, 0, 330, 480}, layout);
    view->setDataSource(cards);
    view->setDelegate(cards);
    view->layoutIfNeeded();
    return view;
}

}  // namespace

TEST(CollectionViewTest, FlowLayoutPlacesSectionsInLinesWithInsetsAndSpacing) {
    auto cards = std::make_shared<Cards>();
    auto view = makeCollection(cards);
    // Three of 100 fit in 330 - 20 with 5 between; a fourth does not.
    EXPECT_EQ(view->frameForItem({0, 2}), (Rect{220, 10, 100, 100}));
    EXPECT_EQ(view->frameForItem({0, 3}), (Rect{10, 120, 100, 100}));
    // 134 lines of 100 with 10 between, within insets of 10.
    const double section0 = 10 + 134 * 100 + 133 * 10 + 10;
    EXPECT_EQ(view->frameForItem({1, 0}), (Rect{30, section0 + 20, 200, 40}));
    // One wide item a line (a second does not fit 330 - 60), 5 apart.
    EXPECT_EQ(view->frameForItem({1, 1}), (Rect{30, section0 + 20 + 45, 200, 50}));
    EXPECT_EQ(view->contentSize().height, section0 + 20 + (40 + 50 + 60 + 70 + 80) + 4 * 5 + 20);
    EXPECT_EQ(view->frameForItem({2, 0}), std::nullopt);

    // Items of different heights in one line are centred in it.
    cards->items = {2};
    view->collectionViewLayout().setItemSize({100, 100});
    struct Mixed : Cards {
        std::optional<Size> sizeForItemAt(CollectionView&, const CollectionViewFlowLayout&,
                                          const IndexPath& p) override {
            return Size{100, p.row ? 60.0 : 100.0};
        }
    };
    auto mixed = std::make_shared<Mixed>();
    mixed->items = {2};
    auto other = makeCollection(mixed);
    EXPECT_EQ(other->frameForItem({0, 1}), (Rect{115, 30, 100, 60}));
}

TEST(CollectionViewTest, OnlyItemsInViewGetCellsAndCellsAreReused) {
    auto cards = std::make_shared<Cards>();
    auto view = makeCollection(cards);
    // Lines at 10, 120, 230, 340 and 450 show in 480 points: 15 items.
    EXPECT_EQ(view->indexPathsForVisibleItems().size(), 15u);
    EXPECT_EQ(cards->configured, 15);
    EXPECT_EQ((Lines{cards->calls.begin(), cards->calls.begin() + 4}),
              (Lines{"cell 0.0", "display 0.0 at 10,10", "cell 0.1", "display 0.1 at 115,10"}));

    // Down by two lines: six items leave, six come and take their cells.
    cards->configured = 0;
    view->setContentOffset({0, 220});
    EXPECT_EQ(cards->configured, 6);
    EXPECT_EQ(view->indexPathsForVisibleItems().front(), (IndexPath{0, 6}));
    EXPECT_EQ(view->subviews().size(), 15u);
    EXPECT_EQ(view->queuedCellCount(), 0u);

    // To the end: only the wide items and the last cards; the other kind is made fresh.
    view->setContentOffset(view->maximumContentOffset());
    for (const auto& p : view->indexPathsForVisibleItems())
        EXPECT_EQ(view->cellForItem(p)->reuseIdentifier(), p.section ? "wide" : "card");
    EXPECT_EQ(view->indexPathsForVisibleItems().back(), (IndexPath{1, 4}));
}

TEST(CollectionViewTest, TapSelectsWhenTheDelegateAllows) {
    auto cards = std::make_shared<Cards>();
    auto window = std::make_shared<Window>(Rect{0, 0, 330, 480});
    auto view = makeCollection(cards);
    window->addSubview(view);
    window->makeKeyAndVisible();
    cards->calls.clear();

    tap(window, {50, 50});
    tap(window, {160, 160});
    tap(window, {112, 50});  // between two items
    EXPECT_EQ(cards->calls, (Lines{"select 0.0", "deselect 0.0", "select 0.4"}));
    EXPECT_TRUE(view->cellForItem({0, 4})->isSelected());
    EXPECT_FALSE(view->cellForItem({0, 0})->isSelected());

    cards->selectable = false;
    tap(window, {50, 50});
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<IndexPath>{{0, 4}}));
    // A reload drops the selection.
    view->reloadData();
    EXPECT_TRUE(view->indexPathsForSelectedItems().empty());
}

TEST(CollectionViewTest, AControllerServesItsOwnCollection) {
    struct Grid : CollectionViewController {
        Lines selected;
        int numberOfItemsInSection(CollectionView&, int) override { return 3; }
        void didSelectItemAt(CollectionView&, const IndexPath& p) override { selected.push_back(name(p)); }
    };
    auto grid = std::make_shared<Grid>();
    auto window = std::make_shared<Window>(Rect{0, 0, 320, 480});
    window->setRootViewController(grid);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
    EXPECT_EQ(grid->collectionView()->visibleCells().size(), 3u);
    tap(window, {80, 25});
    EXPECT_EQ(grid->selected, (Lines{"0.1"}));
}
