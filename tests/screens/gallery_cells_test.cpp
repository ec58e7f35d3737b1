// The gallery's cards and tab buttons: a card-sized photo, nothing left over from the
// record a reused card showed before, one star recogniser for the card's life, stars of
// records that are gone, the date text, and the tab buttons' colours.
#include <ctime>

#include "core/palette.hpp"
#include "platform/graphics/jpeg_encoding.hpp"
#include "screens/empty_collection_view_cell.hpp"
#include "screens/gallery_test_support.hpp"
#include "screens/library_button.hpp"

namespace gallerytest {
namespace {

using vistrel::ImageCollectionViewCell;

struct CountingDelegate : vistrel::ImageCollectionViewCellDelegate {
    int taps = 0;
    void toggleFavoriteWithImage(const std::shared_ptr<VistrelImage>&) override { ++taps; }
};

// A card laid out at the size a 375-point page gives it.
std::shared_ptr<ImageCollectionViewCell> cardOf(const std::shared_ptr<vistrel::PersistanceController>& store) {
    auto cell = vistrel::makeImageCollectionViewCell();
    cell->persistanceController = store;
    cell->setFrame({0, 0, 172.5, 250});
    return cell;
}

TEST_F(GalleryTest, CardsShowACardSizedPhotoAndNothingOfTheRecordBefore) {
    auto page = recognised("page", 1);
    // The stored photo is large; the card asks for 345 x 376 pixels (172.5 x 188 points at scale 2).
    auto big = *platform::graphics::Bitmap::make(1600, 1200);
    ASSERT_TRUE(store->savePicture(*platform::graphics::Image::make(std::move(big)), "page"));
    auto cell = cardOf(store);
    cell->configureWithVistrelImage(page, false);
    auto shown = cell->imageView.lock()->image();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->pixelWidth(), 600);  // three eighths: the smallest scale that covers
    EXPECT_EQ(shown->pixelHeight(), 450);
    EXPECT_EQ(cell->titleLabel.lock()->text(), "page");
    EXPECT_EQ(cell->dateLabel.lock()->text(), vistrel::galleryDateText(at(1)));
    EXPECT_FALSE(cell->dateLabel.lock()->text()->empty());

    // A record with no identifier, title or date: the card shows none of the page's.
    auto bare = VistrelImage::insertInto(*store->layer->managedObjectContext());
    cell->configureWithVistrelImage(bare, false);
    EXPECT_FALSE(cell->imageView.lock()->image());
    EXPECT_FALSE(cell->titleLabel.lock()->text());
    EXPECT_FALSE(cell->dateLabel.lock()->text());
    EXPECT_EQ(cell->vistrelImage(), bare);
}

TEST_F(GalleryTest, EachCardKeepsOneStarRecogniserThroughReloads) {
    for (int i = 0; i < 5; ++i) recognised(std::string("r").append(std::to_string(i)), i);
    auto gallery = open();
    for (int round = 0; round < 4; ++round) {
        gallery->toggleEdition();
        gallery->reloadData();
    }
    auto page = gallery->contentControllers[0];
    page->collectionView()->layoutIfNeeded();
    const auto cells = page->collectionView()->visibleCells();
    ASSERT_FALSE(cells.empty());
    for (const auto& cell : cells) {
        auto card = std::dynamic_pointer_cast<ImageCollectionViewCell>(cell);
        ASSERT_TRUE(card);
        EXPECT_EQ(card->favoriteLabel.lock()->gestureRecognizers().size(), 1u);
    }
}

TEST_F(GalleryTest, StarOfARecordThatIsGoneIsIgnored) {
    struct Row {
        const char* name;
        std::function<void(std::shared_ptr<VistrelImage>&)> fate;
        int taps;
    };
    const Row rows[] = {
        {"kept", [](std::shared_ptr<VistrelImage>&) {}, 1},
        {"deleted", [this](std::shared_ptr<VistrelImage>& r) { store->layer->managedObjectContext()->deleteObject(r); }, 0},
        {"released",
         [this](std::shared_ptr<VistrelImage>& r) {
             store->layer->managedObjectContext()->deleteObject(r);
             store->saveContext();
             r.reset();
         },
         0},
    };
    int second = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto record = recognised(row.name, ++second);
        auto delegate = std::make_shared<CountingDelegate>();
        auto cell = cardOf(store);
        cell->configureWithVistrelImage(record, false);
        cell->delegate = delegate;
        row.fate(record);
        cell->didTapFavoriteLabel();
        EXPECT_EQ(delegate->taps, row.taps);
    }
}

TEST(GalleryCells, DateReadsDayMonthYearHourMinuteInTheDeviceZone) {
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 14;
    local.tm_min = 7;
    local.tm_isdst = -1;
    const auto date = std::chrono::system_clock::from_time_t(std::mktime(&local));
    EXPECT_EQ(vistrel::galleryDateText(date), "05/03/2024 - 14:07");
}

TEST(GalleryCells, TabButtonColoursItsTitleOnEveryAssignment) {
    vistrel::LibraryButton button;
    for (bool activated : {true, false, false, true, true}) {
        button.setIsActivated(activated);
        EXPECT_EQ(button.titleColor(), activated ? vistrel::vistrelPrimary() : vistrel::vistrelBlack());
    }
}

}  // namespace
}  // namespace gallerytest
