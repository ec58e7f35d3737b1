// The gallery: the history split into three tabs (the waiting list whole), swipes that settle on a tab, pages built
// once, cards (a card-sized photo, nothing of the record before, one star recogniser, the
// stars of records that are gone), favourites, the store's notifications, deleting, and how
// it is drawn; and what hosts' stores answer: shown, sent and let go.
#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <fstream>
#include <limits>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "peak_memory.hpp"
#include "platform/dispatch/dispatch_test_support.hpp"
#include "platform/graphics/image_fixtures.hpp"
#include "png_rows.hpp"
#include "progressive_jpeg.hpp"
#include "screen_fixture.hpp"
#include "scroll_offsets.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/platform/dispatch/group.hpp"
#include "vistrel/presentation/vistrel_image_view_model.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/screens/gallery/gallery_geometry.hpp"
#include "vistrel/store/store_notifications.hpp"

namespace {

using namespace screentest;
using vistrel::GalleryViewController;
using vistrel::LibraryOption;
using vistrel::tr;

struct GalleryTest : ScreenTest {
    // Edition mode, then a tap on the first card of the recents page: the confirmation,
    // presented from the page.
    std::shared_ptr<ui::AlertController> askAboutFirstCard(GalleryViewController& gallery) {
        gallery.toggleEdition();
        tap(card(gallery, LibraryOption::recents));
        time.advance(1s);
        return std::dynamic_pointer_cast<ui::AlertController>(gallery.contentControllers[0]->presentedViewController());
    }
};

TEST(GalleryGeometry, CardsAreTwoARowAndNeverNegative) {
    for (const auto& [page, width] : {std::pair{375.0, 172.5}, {320.0, 145.0}, {12.0, 0.0}, {NAN, 0.0}})
        EXPECT_EQ(vistrel::galleryCardSize(page), (ui::Size{width, 250}));
}

TEST(GalleryCells, DateReadsDayMonthYearHourMinuteInTheDeviceZone) {
    std::tm local{};
    local.tm_year = 124, local.tm_mon = 2, local.tm_mday = 5, local.tm_hour = 14, local.tm_min = 7, local.tm_isdst = -1;
    EXPECT_EQ(vistrel::galleryDateText(std::chrono::system_clock::from_time_t(std::mktime(&local))), "05/03/2024 - 14:07");
}

// The history's size bounds the recents and favourites, never the waiting list: a photo
// older than the newest scans can still be sent.
TEST_F(GalleryTest, TheLimitBoundsRecentsAndFavouritesButNeverTheWaitingList) {
    const std::string unsent = tr("gallery.image.unrecognized");
    waiting(0);
    recognised("old", 1, true);
    recognised("a", 2);
    recognised("b", 3, true);
    waiting(4);
    for (const auto& [limit, expected] : {
             std::pair<std::string, std::vector<Titles>>{
                 "", {{unsent, "b", "a", "old", unsent}, {"b", "old"}, {unsent, unsent}}},
             {"3", {{unsent, "b", "a"}, {"b"}, {unsent, unsent}}},
             {"1", {{unsent}, {}, {unsent, unsent}}}}) {
        store = makeStore(limit);
        EXPECT_EQ(tabs(*open()), expected) << limit;
        navigation->popViewController(false);
    }
}

TEST_F(GalleryTest, OpensOnFavoritesWithPlaceholdersAndSwipesSettleOnATab) {
    auto gallery = open(std::nullopt);
    auto scroll = gallery->scrollView();
    EXPECT_EQ(std::pair(scroll->contentOffset().x, gallery->favoriteButton()->isActivated()), std::pair(375.0, true));
    for (const auto& page : gallery->contentControllers) {
        auto grid = page->collectionView();
        EXPECT_EQ(std::tuple(grid->numberOfItems(0), grid->frameForItem({0, 0})->size == grid->frame().size,
                             page->shouldSelectItemAt(*grid, {0, 0})),
                  std::tuple(1, true, false));
    }
    scroll->dragBy({-250, 0});  // two thirds of a page left
    scroll->endDragging();
    time.advance(1s);
    EXPECT_EQ(std::tuple(scroll->contentOffset().x, gallery->option, gallery->waitingListButton()->isActivated()),
              std::tuple(750.0, LibraryOption::waitingList, true));
    // A scroll view of no width, or one whose offset shows a fourth page.
    for (double width : {0.0, 100.0}) {
        scroll->setFrame({0, 44, width, 500});
        gallery->scrollViewDidEndDecelerating(*scroll);
        EXPECT_EQ(gallery->option, LibraryOption::waitingList);
    }
    tap(gallery->favoriteButton());
    EXPECT_EQ(gallery->option, LibraryOption::favorites);
}

TEST_F(GalleryTest, PagesAreBuiltOnceWhateverTheAppearances) {
    auto gallery = GalleryViewController::instance();
    gallery->persistanceController = store;
    navigation->pushViewController(gallery, false);
    gallery->viewWillAppear(false);  // again, before the first load has run
    time.advance(1s);
    navigation->pushViewController(std::make_shared<ui::ViewController>(), false);
    navigation->popViewController(false);
    time.advance(1s);
    EXPECT_EQ(std::pair(gallery->contentControllers.size(), gallery->children().size()), std::pair(3ul, 3ul));
}

// Whatever its photo file holds, a card shows its placeholder, then, once the main queue
// runs, the photo at card size, never decoded whole: a PNG of 8192 x 8192 (256 MiB whole;
// read row by row, its decode holds a small part of that), a GIF, the kit's own JPEG. A
// progressive JPEG of 8000 x 8000 would need the coefficients of its whole picture, and a
// GIF is read whole: past the bound on pictures held whole, their cards keep the
// placeholder. Kept pictures are card-sized too; a card reused for another record never
// shows the photo of the one before, and a record without photo, title or date shows none
// of the record before.
TEST_F(GalleryTest, CardsShowTheirPlaceholderThenACardSizedPhotoOfTheirOwnRecord) {
    struct Row {
        const char* key;
        std::string file;   // empty: the kit's own JPEG of a 1600 x 1200 photo
        int width, height;  // 0 x 0: the placeholder stays
        // For a file read row by row, the most the process's peak memory may rise while
        // the card's photo is decoded, the sanitizers' own memory included (the PNG's: a
        // quarter of its whole picture).
        double maxRiseMiB = std::numeric_limits<double>::infinity();
    };
    namespace graphics = platform::graphics;
    const std::vector<std::uint8_t> green(1600 * 1200), wideGreen(8192 * 2048);  // the GIFs' one colour
    const Row rows[] = {
        {"png", imagetest::twoColourPng(8192, 8192, {255, 0, 0, 255}, {0, 0, 255, 255}), 376, 376, 64},
        {"gif", imagetest::encodeGif(1600, 1200, {{0, 160, 0, 255}}, {{0, 0, 1600, 1200, green}}), 501, 376},
        {"wide gif", imagetest::encodeGif(8192, 2048, {{0, 160, 0, 255}}, {{0, 0, 8192, 2048, wideGreen}}), 0, 0},
        {"progressive", imagetest::progressiveJpeg(8000, 8000), 0, 0},
        {"kit", "", 501, 376},
    };
    auto loader = std::make_shared<vistrel::CardPictureLoader>();
    auto cell = vistrel::makeImageCollectionViewCell();
    cell->persistanceController = store;
    cell->pictureLoader = loader;
    cell->setFrame({0, 0, 172.5, 250});  // as a 375-point page gives it: 345 x 376 pixels of photo
    const auto picture = [&] { return cell->imageView.lock()->image(); };
    const auto show = [&](const std::shared_ptr<vistrel::VistrelImage>& record) {
        cell->prepareForReuse();
        cell->configureWithVistrelImage(record, false);
    };
    std::vector<std::shared_ptr<vistrel::VistrelImage>> records;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        records.push_back(recognised(row.key, 1));
        if (row.file.empty())
            ASSERT_TRUE(store->savePicture(*graphics::Image::make(*graphics::Bitmap::make(1600, 1200)), row.key));
        else
            std::ofstream(store->picturePath(row.key), std::ios::binary | std::ios::trunc) << row.file;
        for (bool kept : {false, true}) {
            testsupport::resetPeak();
            const double before = testsupport::peakMiB();
            show(records.back());
            EXPECT_EQ(picture().has_value(), kept && row.width > 0);  // the placeholder until decoded
            ASSERT_TRUE(pumpUntil([&] { return loader->loading() == 0; }));
            EXPECT_LT(testsupport::peakMiB() - before, row.maxRiseMiB);
            EXPECT_EQ(picture() ? std::pair(picture()->pixelWidth(), picture()->pixelHeight()) : std::pair(0, 0),
                      std::pair(row.width, row.height));
        }
    }
    // The PNG's card reused at once for the kit's photo, which comes from the cache: the
    // PNG's decode ends later and is dropped.
    const auto kit = picture()->bitmap().data();
    show(records.front());
    show(records.back());
    ASSERT_TRUE(pumpUntil([&] { return loader->loading() == 0; }));
    EXPECT_EQ(picture()->bitmap().data(), kit);
    auto bare = vistrel::VistrelImage::insertInto(*store->layer->managedObjectContext());
    show(bare);
    EXPECT_EQ(std::tuple(picture().has_value(), cell->titleLabel.lock()->text(), cell->dateLabel.lock()->text()),
              std::tuple(false, std::optional<std::string>(), std::optional<std::string>()));
    // A title stored whole by an earlier version: the card shows its start.
    bare->setTitle(std::string(15 << 20, 'x'));
    show(bare);
    EXPECT_LE(cell->titleLabel.lock()->text().value_or("").size(), vistrel::VistrelImageViewModel::maxTitleBytes + 3);
}

// The photo an earlier version kept inside a record (here a megabyte that is no picture, which
// the migration leaves there) is no card's business: showing the cards, as a launch after
// that version does, leaves it in the file, unread; each card writes only its length to
// the console.
TEST_F(GalleryTest, CardsLeaveInTheStoreThePhotoAnEarlierVersionKeptInsideTheRecord) {
    for (int i = 0; i < 4; ++i) {
        auto record = recognised("r" + std::to_string(i), i);
        record->setPicture(std::string((1u << 20) + i, char('a' + i)));
    }
    ASSERT_TRUE(store->saveContext());
    store = makeStore();  // a new launch
    auto gallery = open();
    auto& page = *gallery->contentControllers[0];
    ASSERT_TRUE(pumpUntil([&] { return page.pictureLoader->loading() == 0; }));
    ASSERT_EQ(page.collectionView()->visibleCells().size(), 4u);
    for (const auto& record : page.vistrelImages()) EXPECT_TRUE(record->isUnread("picture")) << *record->identifier();
    for (unsigned i = 0; i < 4; ++i) EXPECT_TRUE(log.contains(std::to_string((1u << 20) + i))) << i;
}

// The star of a card: one recogniser through reloads and editing; a tap saves the
// record's new state and moves it in or out of the favourites tab, opening nothing.
TEST_F(GalleryTest, EachCardKeepsOneStarRecogniserWhoseTapsAreSaved) {
    for (int i = 0; i < 5; ++i) recognised(std::string("r").append(std::to_string(i)), i);
    auto gallery = open();
    for (bool editing : {true, false, true, false}) {
        gallery->editionBarButtonItem()->sendAction();
        gallery->reloadData();
        for (const auto& page : gallery->contentControllers) EXPECT_EQ(page->inEditionMode(), editing);
        EXPECT_EQ(card(*gallery, LibraryOption::recents)->trashLabel.lock()->isHidden(), !editing);
    }
    auto cells = gallery->contentControllers[0]->collectionView()->visibleCells();
    ASSERT_EQ(cells.size(), 5u);
    for (const auto& cell : cells)
        EXPECT_EQ(std::static_pointer_cast<vistrel::ImageCollectionViewCell>(cell)->favoriteLabel.lock()->gestureRecognizers().size(), 1u);
    for (bool favorite : {true, false}) {
        tap(card(*gallery, LibraryOption::recents)->favoriteLabel.lock());
        time.advance(1s);
        EXPECT_EQ(std::tuple(makeStore()->retrieveImages()->front()->isFavorite(), tabs(*gallery)[1], gallery->isResending()),
                  std::tuple(favorite, favorite ? Titles{"r4"} : Titles{}, false));
    }
}

TEST_F(GalleryTest, StarOfARecordThatIsGoneIsIgnored) {
    struct CountingDelegate : vistrel::ImageCollectionViewCellDelegate {
        int taps = 0;
        void toggleFavoriteWithImage(const std::shared_ptr<vistrel::VistrelImage>&) override { ++taps; }
    };
    for (int fate = 0; fate < 3; ++fate) {  // kept, deleted, deleted and let go by the store
        auto record = recognised(std::string("r").append(std::to_string(fate)), fate);
        auto delegate = std::make_shared<CountingDelegate>();
        auto cell = vistrel::makeImageCollectionViewCell();
        cell->persistanceController = store;
        cell->configureWithVistrelImage(record, false);
        cell->delegate = delegate;
        if (fate > 0) store->layer->managedObjectContext()->deleteObject(record);
        if (fate > 1) {
            store->saveContext();
            record.reset();
        }
        cell->didTapFavoriteLabel();
        EXPECT_EQ(delegate->taps, fate == 0 ? 1 : 0) << fate;
    }
}

TEST_F(GalleryTest, CardPhotosAreKeptUntilTheirFileChangesAndNoMoreThanFit) {
    auto loader = std::make_shared<vistrel::CardPictureLoader>(2);
    auto view = std::make_shared<ui::ImageView>();
    const auto shown = [&](const char* key) {
        view->setImage(std::nullopt);
        auto request = loader->show(view, store, key, 10, 10);
        pumpUntil([&] { return loader->loading() == 0; });
        return view->image();
    };
    for (const char* key : {"a", "b", "c"}) recognised(key, 1);
    const auto first = shown("a");
    EXPECT_TRUE(first && shown("a")->bitmap().data() == first->bitmap().data());
    ASSERT_TRUE(store->savePicture(photo(Color::red()), "a"));  // a new file for "a"
    EXPECT_NE(shown("a")->bitmap().data(), first->bitmap().data());
    shown("b");
    shown("c");
    EXPECT_EQ(loader->cache().count(), 2u);
    EXPECT_FALSE(shown("missing"));
}

// A card's photo waits behind what the user waits for: with every worker busy, a block
// queued after the card's decode still starts first once a worker is free.
TEST_F(GalleryTest, ACardsPhotoGoesBehindABlockTheUserWaitsFor) {
    namespace dispatch = platform::dispatch;
    recognised("a", 1);
    const int size = dispatch_test::poolSize();
    std::mutex mutex;
    std::condition_variable changed;
    int held = 0, permits = 0;
    std::optional<std::size_t> keptWhenTheUsersBlockRan;
    dispatch::Group holders;
    for (int i = 0; i < size; ++i)
        holders.async(dispatch::global(), [&] {
            std::unique_lock lock(mutex);
            ++held;
            changed.notify_all();
            changed.wait(lock, [&] { return permits > 0; });
            --permits;
        });
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, dispatch_test::kPatience, [&] { return held == size; }));
    lock.unlock();
    auto loader = std::make_shared<vistrel::CardPictureLoader>();
    auto view = std::make_shared<ui::ImageView>();
    const auto request = loader->show(view, store, "a", 10, 10);
    holders.async(dispatch::global(), [&] {
        std::lock_guard guard(mutex);
        keptWhenTheUsersBlockRan = loader->cache().count();
        changed.notify_all();
    });
    lock.lock();
    ++permits;
    changed.notify_all();
    EXPECT_TRUE(changed.wait_for(lock, dispatch_test::kPatience, [&] { return keptWhenTheUsersBlockRan.has_value(); }));
    EXPECT_EQ(keptWhenTheUsersBlockRan, std::size_t{0});  // the card's decode had not run
    permits += size;
    changed.notify_all();
    lock.unlock();
    ASSERT_TRUE(holders.wait(dispatch_test::kPatience));
    ASSERT_TRUE(pumpUntil([&] { return loader->loading() == 0; }));
    EXPECT_TRUE(view->image());
}

// A host's store may give a card's photo at any size (its getPicture gives it whole): the
// loader brings it to the card's size off the main thread before it shows or keeps it, and
// shows it again from the cache without asking the store. The cache itself keeps no
// picture larger than the size it was asked for (the smallest size covering it), nor an
// animation.
TEST_F(GalleryTest, PicturesLargerThanTheirCardAreScaledDownBeforeTheyAreShownOrKept) {
    namespace graphics = platform::graphics;
    const auto still = [](int width, int height) {
        return *graphics::Image::make(*graphics::Bitmap::make(width, height));
    };
    struct HostStore : vistrel::PersistanceController {
        using PersistanceController::PersistanceController;
        graphics::Image whole = *graphics::Image::make(*graphics::Bitmap::make(1600, 1200));
        int asked = 0;
        std::optional<graphics::Image> getPicture(std::string_view) override {
            ++asked;
            return whole;
        }
    };
    const auto host = std::make_shared<HostStore>(store->layer, nullptr);
    auto loader = std::make_shared<vistrel::CardPictureLoader>();
    auto view = std::make_shared<ui::ImageView>();
    for (int shown = 0; shown < 2; ++shown) {
        view->setImage(std::nullopt);
        const auto request = loader->show(view, host, "big", 345, 376);
        EXPECT_EQ(std::pair(view->image().has_value(), request != nullptr), std::pair(shown == 1, shown == 0));
        ASSERT_TRUE(pumpUntil([&] { return loader->loading() == 0; }));
        ASSERT_TRUE(view->image());
        EXPECT_EQ(std::pair(view->image()->pixelWidth(), view->image()->pixelHeight()), std::pair(501, 376));
        EXPECT_EQ(std::pair(loader->cache().count(), host->asked), std::pair(std::size_t{1}, 1));
    }

    struct Kept {
        const char* key;
        graphics::Image picture;
        bool kept;
    };
    const Kept rows[] = {
        {"card-sized", still(10, 10), true},
        {"as small as covers the card at its aspect", still(20, 10), true},
        {"larger", still(11, 11), false},
        {"twice the covering size", still(40, 20), false},
        {"animated", *graphics::Image::animated({*graphics::Bitmap::make(10, 10), *graphics::Bitmap::make(10, 10)}, 1),
         false},
    };
    vistrel::CardPictureCache cache;
    const vistrel::CardPictureCache::FileStamp stamp{1, {}};
    for (const Kept& row : rows) {
        cache.keep(row.key, 10, 10, stamp, row.picture);
        EXPECT_EQ(cache.find(row.key, 10, 10, stamp).has_value(), row.kept) << row.key;
    }
}

// A host's store that keeps its photos itself is asked for each card once, however often
// the card shows while its picture is kept (scrolled down and back); the picture comes
// card-sized through the main queue. A save drops what it answered: a record that changed
// asks again, and a record made anew under the identifier of a deleted one shows its own
// photo, not the one before.
TEST_F(GalleryTest, AHostsStoreIsAskedOncePerCardUntilItsRecordsChange) {
    namespace graphics = platform::graphics;
    struct OwnPhotos : vistrel::PersistanceController {
        using PersistanceController::PersistanceController;
        std::map<std::string, graphics::Image, std::less<>> photos;
        std::map<std::string, int, std::less<>> asked;
        bool savePicture(const graphics::Image& picture, std::string_view key) override {
            photos.insert_or_assign(std::string(key), picture);
            return true;
        }
        std::optional<graphics::Image> getPicture(std::string_view key) override {
            ++asked[std::string(key)];
            const auto found = photos.find(key);
            return found == photos.end() ? std::nullopt : std::optional(found->second);
        }
    };
    const auto filled = [](Color color) {
        auto bitmap = *graphics::Bitmap::make(800, 600);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) bitmap.setPixel(x, y, color);
        return *graphics::Image::make(std::move(bitmap));
    };
    auto host = std::make_shared<OwnPhotos>(store->layer);
    store = host;
    const auto grey = filled(Color::gray());
    constexpr int kRecords = 16;  // within the gallery's cache
    for (int i = 0; i < kRecords; ++i)
        ASSERT_TRUE(host->loadOrCreateVistrelImage("doc", "r" + std::to_string(i), "t", grey, at(kRecords - i)));
    auto gallery = open();
    auto& page = *gallery->contentControllers[0];
    const auto settle = [&] { ASSERT_TRUE(pumpUntil([&] { return page.pictureLoader->loading() == 0; })); };
    settle();
    auto grid = page.collectionView();
    const std::size_t firstScreen = grid->visibleCells().size();
    host->asked.clear();
    for (double y : testsupport::screensDown(*grid, true)) {
        grid->setContentOffset({0, y});
        grid->layoutIfNeeded();
        settle();
        for (const auto& cell : grid->visibleCells()) {
            auto photo = std::static_pointer_cast<vistrel::ImageCollectionViewCell>(cell)->imageView.lock();
            ASSERT_TRUE(photo->image());
            EXPECT_LE(photo->image()->pixelWidth(), 501);  // brought to card size
        }
    }
    int asks = 0;
    for (const auto& [key, count] : host->asked) {
        EXPECT_EQ(count, 1) << key;
        asks += count;
    }
    EXPECT_EQ(asks, kRecords - int(firstScreen));

    const auto cardOf = [&](const std::string& key) -> std::shared_ptr<vistrel::ImageCollectionViewCell> {
        for (const auto& cell : grid->visibleCells()) {
            auto card = std::static_pointer_cast<vistrel::ImageCollectionViewCell>(cell);
            if (card->vistrelImage() && card->vistrelImage()->identifier() == key) return card;
        }
        return nullptr;
    };
    // r0, on screen again, is deleted and made anew under its identifier with a green
    // photo; then r1 becomes a favourite: the cards on screen ask once more after a save.
    host->deleteImage(host->loadVistrelImages({"r0"})->front());
    time.advance(1s);
    ASSERT_TRUE(host->loadOrCreateVistrelImage("doc", "r0", "t", filled(Color::green()), at(100)));
    time.advance(1s);
    settle();
    ASSERT_TRUE(cardOf("r0") && cardOf("r0")->imageView.lock()->image());
    EXPECT_TRUE(cardOf("r0")->imageView.lock()->image()->bitmap().pixel(10, 10).isClose(Color::green(), 0.02));
    host->asked.clear();
    tap(cardOf("r1")->favoriteLabel.lock());
    time.advance(1s);
    settle();
    EXPECT_EQ(host->asked.size(), grid->visibleCells().size());  // (r1 also for its card among the favourites)
    EXPECT_TRUE(host->asked.contains("r1"));
}

// Hosts' stores, each answering the six cards and the tapped record its own way. One
// answers a fresh full-size picture at every call, as a host reading its own files does:
// once a card's picture is made, the answer is let go, so at most two answers are alive at
// once (one being brought to card size, one just returned: when the store is asked, at
// most one other), none once the cards show, none once the gallery has closed. One answers
// the photo the kit keeps under another key: that photo is what the cards show and what a
// tap sends. One throws: the cards keep their placeholder, nothing is sent, and the log
// says what the store did.
TEST_F(GalleryTest, WhatAHostsStoreAnswersIsShownSentAndLetGo) {
    namespace graphics = platform::graphics;
    struct HostAnswers : vistrel::PersistanceController {
        enum class Kind { freshWhole, otherKey, throws };
        HostAnswers(std::shared_ptr<vistrel::CoreDataLayer> layer, Kind kind)
            : PersistanceController(std::move(layer)), kind(kind) {
            std::fill_n(whole.data(), 1600 * 1200, graphics::premultipliedPixel(255, 0, 0, 255));
        }
        const Kind kind;
        graphics::Bitmap whole = *graphics::Bitmap::make(1600, 1200);  // red, copied at every answer
        std::vector<std::weak_ptr<const graphics::Image::GreyValues>> answers;  // live while a copy lives
        std::size_t mostAliveWhenAsked = 0;
        std::size_t alive() const {
            return std::size_t(
                std::count_if(answers.begin(), answers.end(), [](const auto& answer) { return !answer.expired(); }));
        }
        std::optional<graphics::Image> getPicture(std::string_view key) override {
            mostAliveWhenAsked = std::max(mostAliveWhenAsked, alive());
            switch (kind) {
            case Kind::freshWhole: {
                auto answer = graphics::Image::make(graphics::Bitmap(whole));
                answers.push_back(answer->greyValues());
                return answer;
            }
            case Kind::otherKey: return PersistanceController::getPicture(std::string(key).append("-v2"));
            case Kind::throws: throw std::runtime_error("the photo\nis away");
            }
            return std::nullopt;
        }
    };
    // The colour at the middle of a picture, and of the photo a recognition request carries.
    const auto middle = [](const graphics::Image& picture) {
        return picture.bitmap().pixel(picture.pixelWidth() / 2, picture.pixelHeight() / 2);
    };
    const auto sent = [&](const testsupport::CapturedRequest& request) -> std::optional<Color> {
        const std::string_view body = request.body, mark = "Content-Type: image/jpeg\r\n\r\n";
        const auto start = body.find(mark), end = body.rfind("\r\n--");
        if (start == body.npos || end == body.npos || end < start) return std::nullopt;
        auto photo = graphics::Image::decode(body.substr(start + mark.size(), end - start - mark.size()));
        return photo ? std::optional(middle(*photo)) : std::nullopt;
    };
    const struct {
        const char* name;
        HostAnswers::Kind kind;
        std::optional<Color> shown;  // on every card and in the tapped record's request; none: nothing
        const char* logged;
    } rows[] = {
        {"a fresh full-size answer at every call", HostAnswers::Kind::freshWhole, Color::red(), nullptr},
        {"another key's photo", HostAnswers::Kind::otherKey, Color::green(), nullptr},
        {"a getPicture that throws", HostAnswers::Kind::throws, std::nullopt,
         "the store's getPicture threw: the photo\\nis away"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store->deleteAllImages();
        auto host = std::make_shared<HostAnswers>(store->layer, row.kind);
        store = host;
        for (int i = 0; i < 6; ++i) {
            const std::string key = "r" + std::to_string(i);
            recognised(key, i);  // its own photo, blue, under its key
            ASSERT_TRUE(host->savePicture(photo(Color::green()), key + "-v2"));
        }
        log.clear();
        std::weak_ptr<GalleryViewController> closed;
        {
            auto gallery = open();
            closed = gallery;
            auto& page = *gallery->contentControllers[0];
            ASSERT_TRUE(pumpUntil([&] { return page.pictureLoader->loading() == 0; }));
            const auto cards = page.collectionView()->visibleCells();
            ASSERT_EQ(cards.size(), 6u);
            for (const auto& cell : cards) {
                const auto card = std::static_pointer_cast<vistrel::ImageCollectionViewCell>(cell);
                const auto shown = card->imageView.lock()->image();
                ASSERT_EQ(shown.has_value(), row.shown.has_value());
                if (shown) {
                    EXPECT_TRUE(middle(*shown).isClose(*row.shown, 0.03));
                }
            }
            EXPECT_LE(host->mostAliveWhenAsked, 1u);
            EXPECT_EQ(host->alive(), 0u);
            const auto before = service.server.requests().size();
            tap(card(*gallery, LibraryOption::recents));
            ASSERT_TRUE(pumpUntil([&] { return !gallery->isResending(); }));
            const auto requests = service.server.requests();
            ASSERT_EQ(requests.size() - before, row.shown ? 1u : 0u);
            if (row.shown) {
                EXPECT_TRUE(sent(requests.back()).value_or(Color::black()).isClose(*row.shown, 0.05));
            }
            time.advance(3s);
            navigation->popToRootViewController(false);
            time.advance(1s);
        }
        ASSERT_TRUE(pumpUntil([&] { return closed.expired(); }));
        EXPECT_EQ(host->alive(), 0u);
        if (row.logged) {
            EXPECT_TRUE(log.contains(row.logged));
        }
        EXPECT_FALSE(log.contains("could not be decoded"));
    }
}

TEST_F(GalleryTest, SavesPostedFromAnotherThreadReloadOnTheMainQueue) {
    recognised("a", 1);
    auto gallery = open();
    gallery->viewWillDisappear(false);  // not listening while another controller adds "b"
    makeStore()->loadOrCreateVistrelImage("doc-b", "b", "b", photo(), at(2));
    time.advance(1s);
    gallery->viewWillAppear(false);
    std::thread([] {
        ui::NotificationCenter::defaultCenter().post(std::string(vistrel::managedObjectContextDidSaveNotification));
    }).join();
    EXPECT_EQ(tabs(*gallery)[0], Titles{"a"});  // nothing ran on the poster's thread
    RunLoop::runUntilIdle();
    EXPECT_EQ(tabs(*gallery)[0], (Titles{"b", "a"}));
}

TEST_F(GalleryTest, YesDeletesTheRecordAskedAboutOnlyWhileItIsListed) {
    // While the question is open, a newer record arrives, or the record asked about goes.
    for (const auto& [arrives, left] : {std::pair{true, Titles{"c", "a"}}, {false, Titles{"a"}}}) {
        store->deleteAllImages();
        recognised("a", 1);
        auto b = recognised("b", 2);
        auto gallery = open();
        auto alert = askAboutFirstCard(*gallery);
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->message(), tr("gallery.delete_photo"));
        if (arrives)
            recognised("c", 3);
        else
            store->deleteImage(b);
        time.advance(1s);
        EXPECT_TRUE(alert->tapAction(tr("general.yes")));
        time.advance(1s);
        EXPECT_EQ(std::pair(stored(), tabs(*gallery)[0]), std::pair(left, left));
        navigation->popViewController(false);
    }
}

TEST_F(GalleryTest, NoOnlyClosesTheAlertOfAGalleryPresentedModally) {
    auto host = std::make_shared<ui::ViewController>();
    window->setRootViewController(host);
    host->present(navigation, false);
    recognised("a", 1);
    auto gallery = open();
    auto alert = askAboutFirstCard(*gallery);  // from the page, over the host's presentation
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->tapAction(tr("general.no")));
    time.advance(1s);
    EXPECT_EQ(std::tuple(host->presentedViewController(), navigation->topViewController(),
                         navigation->presentedViewController(), stored()),
              std::tuple(navigation, gallery, nullptr, Titles{"a"}));
}

TEST_F(GalleryTest, PagesDropTheRecordAtOnceAndTheStoreDeletesEvenUnlistedOnes) {
    recognised("old", 1);
    recognised("a", 2);
    store = makeStore("1");  // only the newest is listed
    auto gallery = open();
    gallery->deleteImage(store->loadVistrelImages({"a"})->front());
    EXPECT_EQ(std::pair(tabs(*gallery)[0], stored()), std::pair(Titles{}, Titles{"a", "old"}));  // the store not yet
    auto old = store->loadVistrelImages({"old"})->front();
    gallery->deleteImage(old);
    gallery->deleteImage(old);  // twice: the store's deletion is idempotent
    time.advance(1s);
    EXPECT_EQ(stored(), Titles{});
}

TEST_F(GalleryTest, IndicatorFollowsTheTabAndEditionShowsTheBadge) {
    vistrel::SdkConfiguration::resetShared();  // the bundle's colours
    const auto green = Color::rgba(0.1, 0.8, 0.3, 1);
    store->loadOrCreateVistrelImage("doc-a", "a", "a", photo(green), at(1));
    auto gallery = open(LibraryOption::favorites);
    const int bar = 64 + 44 - 2;  // the indicator's rows, under the tab buttons
    const auto near = [](Color a, Color b) { return testsupport::closeColor(a, b, 0.012); };
    EXPECT_TRUE(near(ui::render(*window, 1.0)->pixel(187, bar), vistrel::vistrelPrimary()));
    gallery->showLastScans();
    gallery->toggleEdition();
    time.advance(1s);
    auto photoView = card(*gallery, LibraryOption::recents)->imageView.lock();
    ASSERT_TRUE(pumpUntil([&] { return photoView->image().has_value(); }));  // decoded off the main thread
    const auto frame = photoView->convertRect(photoView->bounds(), nullptr);
    auto bitmap = ui::render(*window, 1.0);
    EXPECT_TRUE(near(bitmap->pixel(60, bar), vistrel::vistrelPrimary()));
    EXPECT_TRUE(near(bitmap->pixel(int(frame.minX() + 10), int(frame.maxY() - 10)), green));
    EXPECT_TRUE(near(bitmap->pixel(int(frame.midX() - 24), int(frame.midY())), vistrel::vistrelRed()));  // left of the glyph
}

}  // namespace
