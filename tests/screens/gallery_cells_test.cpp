// The gallery's cards: a card-sized photo, nothing left over from the record a reused
// card showed before, one star recogniser for the card's life, stars of records that
// are gone, and the date text.
#include <ctime>

#include "screens/gallery_test_support.hpp"

namespace gallerytest {
namespace {

struct CountingDelegate : vistrel::ImageCollectionViewCellDelegate {
    int taps = 0;
    void toggleFavoriteWithImage(const std::shared_ptr<VistrelImage>&) override { ++taps; }
};

std::shared_ptr<vistrel::ImageCollectionViewCell> cardOver(const std::shared_ptr<vistrel::PersistanceController>& store) {
    auto cell = vistrel::makeImageCollectionViewCell();
    cell->persistanceController = store;
    cell->setFrame({0, 0, 172.5, 250});  // as a 375-point page gives it
    return cell;
}

TEST_F(GalleryTest, CardsShowACardSizedPhotoAndNothingOfTheRecordBefore) {
    auto page = recognised("page", 1);
    ASSERT_TRUE(store->savePicture(*platform::graphics::Image::make(*platform::graphics::Bitmap::make(1600, 1200)), "page"));
    auto cell = cardOver(store);
    cell->configureWithVistrelImage(page, false);
    // 345 x 376 pixels asked for: three eighths of the photo is the smallest scale that covers.
    EXPECT_EQ(cell->imageView.lock()->image()->pixelWidth(), 600);
    EXPECT_EQ(cell->titleLabel.lock()->text(), "page");
    EXPECT_EQ(cell->dateLabel.lock()->text(), vistrel::galleryDateText(at(1)));

    auto bare = VistrelImage::insertInto(*store->layer->managedObjectContext());  // no identifier, title or date
    cell->configureWithVistrelImage(bare, false);
    EXPECT_FALSE(cell->imageView.lock()->image());
    EXPECT_FALSE(cell->titleLabel.lock()->text());
    EXPECT_FALSE(cell->dateLabel.lock()->text());
}

TEST_F(GalleryTest, EachCardKeepsOneStarRecogniserThroughReloads) {
    for (int i = 0; i < 5; ++i) recognised(std::string("r").append(std::to_string(i)), i);
    auto gallery = open();
    for (int round = 0; round < 3; ++round) {
        gallery->toggleEdition();
        gallery->reloadData();
    }
    auto cells = gallery->contentControllers[0]->collectionView()->visibleCells();
    ASSERT_EQ(cells.size(), 5u);
    for (const auto& cell : cells)
        EXPECT_EQ(std::static_pointer_cast<vistrel::ImageCollectionViewCell>(cell)->favoriteLabel.lock()->gestureRecognizers().size(), 1u);
}

TEST_F(GalleryTest, StarOfARecordThatIsGoneIsIgnored) {
    auto context = store->layer->managedObjectContext();
    for (int fate = 0; fate < 3; ++fate) {  // kept, deleted, deleted and let go by the store
        auto record = recognised(std::string("r").append(std::to_string(fate)), fate);
        auto delegate = std::make_shared<CountingDelegate>();
        auto cell = cardOver(store);
        cell->configureWithVistrelImage(record, false);
        cell->delegate = delegate;
        if (fate > 0) context->deleteObject(record);
        if (fate > 1) {
            store->saveContext();
            record.reset();
        }
        cell->didTapFavoriteLabel();
        EXPECT_EQ(delegate->taps, fate == 0 ? 1 : 0) << fate;
    }
}

TEST_F(GalleryTest, CardPhotosAreKeptUntilTheirFileChangesAndNoMoreThanFit) {
    vistrel::CardPictureCache cache(2);
    for (const char* key : {"a", "b", "c"}) recognised(key, 1);
    const auto first = cache.picture(*store, "a", 10, 10);
    EXPECT_TRUE(first && cache.picture(*store, "a", 10, 10)->bitmap().data() == first->bitmap().data());
    ASSERT_TRUE(store->savePicture(photo(platform::graphics::Color::red()), "a"));  // a new file for "a"
    EXPECT_NE(cache.picture(*store, "a", 10, 10)->bitmap().data(), first->bitmap().data());
    cache.picture(*store, "b", 10, 10);
    cache.picture(*store, "c", 10, 10);
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_FALSE(cache.picture(*store, "missing", 10, 10));
}

TEST(GalleryCells, DateReadsDayMonthYearHourMinuteInTheDeviceZone) {
    std::tm local{};
    local.tm_year = 124, local.tm_mon = 2, local.tm_mday = 5, local.tm_hour = 14, local.tm_min = 7, local.tm_isdst = -1;
    EXPECT_EQ(vistrel::galleryDateText(std::chrono::system_clock::from_time_t(std::mktime(&local))), "05/03/2024 - 14:07");
}

}  // namespace
}  // namespace gallerytest
