// The gallery's tabs: one fetch split three ways under the history limit, the tab it
// opens on, swipes that settle on a tab (and offsets of no tab), the edit button, and
// pages built once.
#include "platform/graphics/text_case.hpp"
#include "screens/gallery_geometry.hpp"
#include "screens/gallery_test_support.hpp"

namespace gallerytest {
namespace {

const std::string unsent = vistrel::tr("gallery.image.unrecognized");

std::string tabTitle(const char* key) { return platform::graphics::uppercased(vistrel::tr(key)); }

TEST(GalleryGeometry, CardsAreTwoARowAndNeverNegative) {
    const std::pair<double, double> rows[] = {{375, 172.5}, {320, 145}, {12, 0}, {NAN, 0}};
    for (const auto& [page, width] : rows) EXPECT_EQ(vistrel::galleryCardSize(page), (platform::ui::Size{width, 250}));
}

TEST_F(GalleryTest, OneFetchFillsTheThreeTabsAndTheLimitComesFirst) {
    const std::pair<std::string, std::vector<Titles>> rows[] = {
        {"", {{unsent, "b", "a", "old"}, {"b", "old"}, {unsent}}},
        {"3", {{unsent, "b", "a"}, {"b"}, {unsent}}},
    };
    recognised("old", 1, true);
    recognised("a", 2);
    recognised("b", 3, true);
    waiting(4);
    for (const auto& [limit, expected] : rows) {
        store = makeStore(limit);
        EXPECT_EQ(tabs(*open()), expected) << limit;
        navigation->popViewController(false);
    }
}

TEST_F(GalleryTest, OpensOnItsTabWithPlaceholdersForEmptyTabs) {
    const std::pair<std::optional<LibraryOption>, std::string> rows[] = {{std::nullopt, tabTitle("gallery.favorites")},
                                                                        {LibraryOption::recents, tabTitle("gallery.recents")}};
    for (const auto& [option, title] : rows) {
        auto gallery = open(option);
        const auto tab = option.value_or(LibraryOption::favorites);
        EXPECT_EQ(gallery->navigationItem().title(), title);
        EXPECT_EQ(gallery->scrollView()->contentOffset().x, vistrel::rawValue(tab) * 375);
        EXPECT_EQ(gallery->recentsButton()->isActivated(), tab == LibraryOption::recents);
        EXPECT_EQ(gallery->favoriteButton()->isActivated(), tab == LibraryOption::favorites);
        for (const auto& page : gallery->contentControllers) {
            auto grid = page->collectionView();
            ASSERT_EQ(grid->numberOfItems(0), 1);
            EXPECT_EQ(grid->frameForItem({0, 0})->size, grid->frame().size);
            EXPECT_FALSE(page->shouldSelectItemAt(*grid, {0, 0}));
        }
        navigation->popViewController(false);
    }
}

TEST_F(GalleryTest, SwipesSettleOnATabAndOffsetsOfNoTabAreIgnored) {
    auto gallery = open();
    auto scroll = gallery->scrollView();
    for (int i = 0; i < 2; ++i) {  // two thirds of a page left, twice
        scroll->dragBy({-250, 0});
        scroll->endDragging();
    }
    time.advance(1s);
    EXPECT_EQ(scroll->contentOffset().x, 750);
    EXPECT_EQ(gallery->navigationItem().title(), tabTitle("gallery.not_send"));
    EXPECT_EQ(gallery->indicatorLeadingConstraint()->constant(), 250);
    EXPECT_FALSE(gallery->recentsButton()->isActivated());
    EXPECT_TRUE(gallery->waitingListButton()->isActivated());
    // A scroll view of no width, or one whose offset shows a fourth page.
    for (double width : {0.0, 100.0}) {
        scroll->setFrame({0, 44, width, 500});
        gallery->scrollViewDidEndDecelerating(*scroll);
        EXPECT_EQ(gallery->option, LibraryOption::waitingList);
    }
    tap(gallery->favoriteButton());
    EXPECT_EQ(gallery->option, LibraryOption::favorites);
}

TEST_F(GalleryTest, EditButtonFlipsEveryPageAndItsTitle) {
    recognised("a", 1);
    auto gallery = open();
    auto edit = gallery->editionBarButtonItem();
    for (bool editing : {true, false}) {
        edit->sendAction();
        EXPECT_EQ(edit->title(), vistrel::tr(editing ? "general.done" : "general.edit"));
        for (const auto& page : gallery->contentControllers) EXPECT_EQ(page->inEditionMode(), editing);
        EXPECT_EQ(card(*gallery, LibraryOption::recents)->trashLabel.lock()->isHidden(), !editing);
    }
}

TEST_F(GalleryTest, PagesAreBuiltOnceWhateverTheAppearances) {
    auto gallery = GalleryViewController::instance();
    gallery->persistanceController = store;
    navigation->pushViewController(gallery, false);
    gallery->viewWillAppear(false);  // again, before the first load has run
    time.advance(1s);
    navigation->pushViewController(std::make_shared<platform::ui::ViewController>(), false);
    navigation->popViewController(false);
    time.advance(1s);
    EXPECT_EQ(gallery->contentControllers.size(), 3u);
    EXPECT_EQ(gallery->children().size(), 3u);
}

}  // namespace
}  // namespace gallerytest
