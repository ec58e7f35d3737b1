// The gallery's tabs: one fetch split three ways, the tab it opens on, swipes that
// settle on a tab, the edit button, and pages built once.
#include "screens/gallery_geometry.hpp"
#include "screens/gallery_test_support.hpp"

namespace gallerytest {
namespace {

using Titles = std::vector<std::vector<std::string>>;
const std::string unsent = "Photo not sent";

TEST(GalleryGeometry, CardsAreTwoARowAndNeverNegative) {
    const std::pair<double, double> rows[] = {{375, 172.5}, {320, 145}, {30, 0}, {12, 0}, {-5, 0}, {NAN, 0}};
    for (const auto& [page, width] : rows) {
        SCOPED_TRACE(page);
        EXPECT_EQ(vistrel::galleryCardSize(page), (platform::ui::Size{width, 250}));
    }
}

TEST(GalleryGeometry, OnlyTheThreeTabsComeFromAnOffset) {
    struct Row {
        double offset, width;
        std::optional<LibraryOption> tab;
    };
    const Row rows[] = {
        {0, 375, LibraryOption::recents},      {374, 375, LibraryOption::recents},
        {375, 375, LibraryOption::favorites},  {750, 375, LibraryOption::waitingList},
        {1125, 375, std::nullopt},             {-400, 375, std::nullopt},
        {750, 0, std::nullopt},                {750, -375, std::nullopt},
        {NAN, 375, std::nullopt},              {750, INFINITY, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.offset);
        EXPECT_EQ(vistrel::galleryTabAtOffset(row.offset, row.width), row.tab);
    }
}

TEST_F(GalleryTest, OneFetchFillsTheThreeTabsAndTheLimitComesFirst) {
    struct Row {
        std::string limit;
        Titles tabs;
    };
    // Newest first: a waiting photo, "b" (favourite), "a", "old" (favourite).
    const Row rows[] = {
        {"", {{unsent, "b", "a", "old"}, {"b", "old"}, {unsent}}},
        {"3", {{unsent, "b", "a"}, {"b"}, {unsent}}},
        {"1", {{unsent}, {}, {unsent}}},
    };
    recognised("old", 1, true);
    recognised("a", 2);
    recognised("b", 3, true);
    waiting(4);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.limit);
        store = makeStore(row.limit);
        auto gallery = open();
        EXPECT_EQ(tabs(*gallery), row.tabs);
        navigation->popViewController(false);
    }
}

TEST_F(GalleryTest, OpensOnItsTabAndEmptyTabsShowTheirPlaceholder) {
    struct Row {
        std::optional<LibraryOption> option;
        std::string title;
    };
    const Row rows[] = {{std::nullopt, "FAVOURITES"}, {LibraryOption::recents, "RECENT"}};
    for (const auto& row : rows) {
        auto gallery = open(row.option);
        const auto tab = row.option.value_or(LibraryOption::favorites);
        EXPECT_EQ(gallery->option, tab);
        EXPECT_EQ(gallery->navigationItem().title(), row.title);
        EXPECT_EQ(gallery->scrollView()->contentOffset().x, vistrel::rawValue(tab) * 375);
        EXPECT_EQ(gallery->indicatorLeadingConstraint()->constant(), vistrel::rawValue(tab) * 125);
        EXPECT_EQ(gallery->recentsButton()->isActivated(), tab == LibraryOption::recents);
        EXPECT_EQ(gallery->favoriteButton()->isActivated(), tab == LibraryOption::favorites);
        EXPECT_FALSE(gallery->waitingListButton()->isActivated());
        EXPECT_EQ(gallery->recentsButton()->title(), "RECENT");
        ASSERT_EQ(gallery->contentControllers.size(), 3u);
        for (const auto& page : gallery->contentControllers) {
            auto grid = page->collectionView();
            ASSERT_EQ(grid->numberOfItems(0), 1);
            EXPECT_EQ(grid->frameForItem({0, 0})->size, grid->frame().size);  // the whole page, no inset
            EXPECT_FALSE(page->shouldSelectItemAt(*grid, {0, 0}));
        }
        navigation->popViewController(false);
    }
}

TEST_F(GalleryTest, SwipesSettleOnATabAndOddWidthsAreIgnored) {
    waiting(1);
    auto gallery = open();
    auto scroll = gallery->scrollView();
    // A finger drags two thirds of a page left, twice: the view settles on the third page.
    for (int i = 0; i < 2; ++i) {
        scroll->dragBy({-250, 0});
        scroll->endDragging();
    }
    time.advance(1s);
    EXPECT_EQ(scroll->contentOffset().x, 750);
    EXPECT_EQ(gallery->option, LibraryOption::waitingList);
    EXPECT_EQ(gallery->navigationItem().title(), "NOT SENT");
    EXPECT_EQ(gallery->indicatorLeadingConstraint()->constant(), 250);
    EXPECT_FALSE(gallery->recentsButton()->isActivated());
    EXPECT_FALSE(gallery->favoriteButton()->isActivated());
    EXPECT_TRUE(gallery->waitingListButton()->isActivated());

    // A scroll view of no width, or one that shows a fourth page, changes nothing.
    for (platform::ui::Rect frame : {platform::ui::Rect{0, 44, 0, 500}, platform::ui::Rect{0, 44, 100, 500}}) {
        scroll->setFrame(frame);
        scroll->setContentOffset({750, 0});
        gallery->scrollViewDidEndDecelerating(*scroll);
        EXPECT_EQ(gallery->option, LibraryOption::waitingList);
    }

    // The tab buttons scroll to their page.
    tap(*gallery->favoriteButton());
    EXPECT_EQ(gallery->option, LibraryOption::favorites);
}

TEST_F(GalleryTest, EditButtonFlipsEveryPageAndItsTitle) {
    recognised("a", 1);
    auto gallery = open();
    auto edit = gallery->editionBarButtonItem();
    EXPECT_EQ(edit->title(), "Edit");
    for (bool editing : {true, false, true}) {
        edit->sendAction();
        EXPECT_EQ(edit->title(), editing ? "Done" : "Edit");
        for (const auto& page : gallery->contentControllers) EXPECT_EQ(page->inEditionMode(), editing);
        auto shown = card(*gallery->contentControllers[0], 0);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->trashLabel.lock()->isHidden(), !editing);
    }
}

TEST_F(GalleryTest, PagesAreBuiltOnceWhateverTheAppearances) {
    recognised("a", 1);
    auto gallery = GalleryViewController::instance();
    gallery->persistanceController = store;
    navigation->pushViewController(gallery, false);
    // A second appearance before the first load has run.
    gallery->viewWillAppear(false);
    time.advance(1s);
    EXPECT_EQ(gallery->contentControllers.size(), 3u);
    EXPECT_EQ(gallery->children().size(), 3u);

    // Back from a screen pushed above it: the same pages, the same tab.
    gallery->showFavorites();
    navigation->pushViewController(std::make_shared<platform::ui::ViewController>(), false);
    navigation->popViewController(false);
    time.advance(1s);
    EXPECT_EQ(gallery->children().size(), 3u);
    EXPECT_EQ(gallery->option, LibraryOption::favorites);
}

}  // namespace
}  // namespace gallerytest
