// Opening a stored record sends its photo again over the loopback recognition service:
// the action list with the gallery as its delegate, the waiting record deleted once the
// answer is in the history, taps ignored while a photo is away, no request offline, the
// error alert, the automatic action, a record deleted while its photo was away, and the
// photo read off the main thread within its bound.
#include <fstream>
#include <map>
#include <stdexcept>

#include "model/answer_fixtures.hpp"
#include "png_rows.hpp"
#include "screen_fixture.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"

namespace {

using namespace screentest;
using platform::net::ReachabilityFlags::reachable;
using vistrel::GalleryViewController;
using vistrel::LibraryOption;
using vistrel::tr;

// Answers that keep the photo away long enough for what the tests do meanwhile; the
// recognised page is "Spring catalogue", identifier 5f1c2a9e-img-0001.
testsupport::CannedAnswer canned(int status, std::string body) { return {status, std::move(body), {}, 150ms}; }
testsupport::CannedAnswer recognisedPage() { return canned(200, modeltest::fixtureText("full_answer.json")); }

// A page's delegate that only keeps the photo of the record opened.
struct Recorder : vistrel::GalleryContentProtocol {
    std::optional<platform::graphics::Image> picture;
    void didSelectImagePicture(const platform::graphics::Image& photo, std::shared_ptr<vistrel::VistrelImage>,
                               LibraryOption) override {
        picture = photo;
    }
    void deleteImage(std::shared_ptr<vistrel::VistrelImage>) override {}
    void didChangeFavorites() override {}
};

struct ResendTest : ScreenTest {
    testsupport::CannedAnswer answer = recognisedPage();

    void SetUp() override {
        ScreenTest::SetUp();
        service.server.answerWith([this](const testsupport::CapturedRequest&) { return answer; });
    }
    std::shared_ptr<vistrel::DisplayActionsViewController> actionList() {
        return std::dynamic_pointer_cast<vistrel::DisplayActionsViewController>(navigation->topViewController());
    }
    static bool waitFor(const std::function<bool()>& done) { return RunLoop::runUntil(done, 2min); }
    static bool spinning(GalleryViewController& gallery) {
        return gallery.view()->viewWithTag(vistrel::VistrelViewController::loadingViewTag) != nullptr;
    }
};

TEST_F(ResendTest, WaitingPhotoGoesOutOnceAndLeavesTheListAfterItsAnswerIsRecorded) {
    waiting(1);
    std::weak_ptr<GalleryViewController> weak;
    {
        auto gallery = open(LibraryOption::waitingList);
        weak = gallery;
        tap(card(*gallery, LibraryOption::waitingList));
        EXPECT_TRUE(pumpUntil([&] { return spinning(*gallery); }));
        tap(card(*gallery, LibraryOption::waitingList));  // again while the photo is away
        ASSERT_TRUE(waitFor([&] { return actionList() != nullptr; }));
        EXPECT_EQ(std::pair(service.server.requests().size(), spinning(*gallery)), std::pair(1ul, false));
        auto actions = actionList();
        EXPECT_EQ(std::dynamic_pointer_cast<GalleryViewController>(actions->delegate), gallery);
        time.advance(1s);
        EXPECT_EQ(stored(), Titles{"Spring catalogue"});  // the answer in, the waiting photo out
        actions->noFavoriteButton()->sendActions(ui::ControlEvents::touchUpInside);
        navigation->popViewController(false);
        time.advance(1s);
        EXPECT_EQ(tabs(*gallery), (std::vector<Titles>{{"Spring catalogue"}, {"Spring catalogue"}, {}}));
    }
    navigation->popViewController(false);
    time.advance(1s);
    EXPECT_TRUE(weak.expired());  // leaving frees it: neither the action list nor its pages hold it
}

TEST_F(ResendTest, OutcomesOfASelection) {
    const std::string automatic =
        R"({"Id": "auto-1", "Title": "Auto page", "DocumentId": "doc-auto", "AutoTrigger": true, "Actions": [)"
        R"({"Id": "go", "Name": "Go", "Type": "URL", "Content": "{\"Url\": \"https://example.com/auto\"}"}]})";
    const std::string unsent = tr("gallery.image.unrecognized");
    const struct {
        const char* name;
        bool online, recognisedRecord;
        testsupport::CannedAnswer answer;
        std::optional<std::string> alert;  // the timed alert's message
        bool pushed, opened;
        Titles left;
    } rows[] = {
        {"offline", false, false, recognisedPage(), tr("camera.network.no_internet"), false, false, {unsent}},
        {"not recognised", true, false, canned(204, ""), tr("actions.list.error.not_enriched_image"), false, false,
         {unsent}},
        {"service failed", true, false, canned(500, ""), tr("actions.list.error.service_unavailable"), false, false,
         {unsent}},
        {"automatic action", true, false, canned(200, automatic), std::nullopt, false, true, {"Auto page"}},
        {"recognised record", true, true, recognisedPage(), std::nullopt, true, false, {"Spring catalogue"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store->deleteAllImages();
        platform::net::setSimulatedNetwork(row.online ? reachable : 0);
        ui::Application::shared().clearOpenedURLs();
        const std::size_t before = service.server.requests().size();
        answer = row.answer;
        if (row.recognisedRecord)
            store->loadOrCreateVistrelImage("doc-42", "5f1c2a9e-img-0001", "Spring catalogue", photo(), at(1));
        else
            waiting(1);
        auto gallery = open();
        tap(card(*gallery, LibraryOption::recents));
        // Read off the main thread: handed on (a spinner, or the offline alert) once it is read.
        EXPECT_TRUE(pumpUntil([&] { return spinning(*gallery) || gallery->alertController(); }));
        EXPECT_EQ(spinning(*gallery), row.online);
        ASSERT_TRUE(waitFor([&] { return !gallery->isResending(); }));
        EXPECT_EQ(service.server.requests().size() - before, row.online ? 1u : 0u);
        EXPECT_EQ(gallery->alertController() ? gallery->baseMessage() : std::nullopt, row.alert);
        time.advance(3s);
        EXPECT_EQ(std::tuple(actionList() != nullptr, ui::Application::shared().openedURLs().size(), stored()),
                  std::tuple(row.pushed, row.opened ? 1ul : 0ul, row.left));
        navigation->popToRootViewController(false);
        time.advance(1s);
    }
}

TEST_F(ResendTest, RecordDeletedWhileItsPhotoIsAwayIsNotReadAgain) {
    auto record = waiting(1);
    auto gallery = open(LibraryOption::waitingList);
    tap(card(*gallery, LibraryOption::waitingList));
    ASSERT_TRUE(pumpUntil([&] { return gallery->isResending(); }));
    gallery->deleteImage(record);
    time.advance(1s);
    ASSERT_TRUE(waitFor([&] { return actionList() != nullptr; }));
    EXPECT_FALSE(gallery->needToReload);  // nothing more to delete
    time.advance(1s);
    EXPECT_EQ(stored(), Titles{"Spring catalogue"});  // recorded by the action list itself
}

// The answer to a waiting photo that comes as a host's savePicture runs the main loop is
// recorded once that save ends, and the photo leaves the waiting list then.
TEST_F(ResendTest, AnAnswerThatComesDuringAHostsSaveIsRecordedOnceItEnds) {
    auto host = std::make_shared<HostsStore>(store->layer);
    store = host;
    waiting(1);
    auto gallery = open(LibraryOption::waitingList);
    tap(card(*gallery, LibraryOption::waitingList));
    ASSERT_TRUE(pumpUntil([&] { return gallery->isResending(); }));
    static bool putOff;
    putOff = false;
    platform::setFileStepObserver([](std::string_view step) {
        putOff = putOff || step == "store: put off until the main thread's write ends";
    });
    host->meanwhile = [&] { waitFor([&] { return putOff || !gallery->isResending(); }); };
    EXPECT_TRUE(host->loadOrCreateVistrelImage("doc-2", "other", "Another page", photo(), at(2)));
    platform::setFileStepObserver(nullptr);
    ASSERT_TRUE(waitFor([&] { return actionList() != nullptr; }));
    time.advance(1s);
    EXPECT_EQ(stored(), (Titles{"Spring catalogue", "Another page"}));
}

// A tapped record's photo is read off the main thread (a second tap meanwhile is
// ignored) at its own size up to the camera's bound: a 6000 x 4000 PNG put in its file,
// and the kit's own photo of a phone camera's size.
TEST_F(ResendTest, TappedPhotoIsReadOffTheMainThreadAtItsOwnSize) {
    const auto camera = *platform::graphics::Image::make(*platform::graphics::Bitmap::make(4032, 3024));
    for (const auto& [replaced, width, height] : {std::tuple(true, 6000, 4000), std::tuple(false, 4032, 3024)}) {
        SCOPED_TRACE(replaced ? "6000 x 4000 PNG" : "the kit's photo");
        store->deleteAllImages();
        auto record = store->createRandomVistrelImage(camera, at(1));
        if (replaced)
            std::ofstream(store->picturePath(*record->identifier()), std::ios::binary | std::ios::trunc)
                << imagetest::twoColourPng(width, height, {255, 0, 0, 255}, {0, 0, 255, 255});
        auto gallery = open();
        auto recorder = std::make_shared<Recorder>();
        gallery->contentControllers[0]->contentDelegate = recorder;
        const auto where = centreInWindow(*card(*gallery, LibraryOption::recents));
        log.clear();
        for (int i = 0; i < 2; ++i) ui::tap(window, where);  // the main queue does not run between them
        EXPECT_EQ(std::pair(recorder->picture.has_value(), log.count("a photo is being read")), std::pair(false, 1ul));
        ASSERT_TRUE(pumpUntil([&] { return recorder->picture.has_value(); }));
        EXPECT_EQ(std::pair(recorder->picture->pixelWidth(), recorder->picture->pixelHeight()), std::pair(width, height));
        navigation->popToRootViewController(false);
        time.advance(1s);
    }
}

// Every store is asked for the photo of a card and of the opened record through its
// getPicture, on the main thread, and only what a host's own getPicture answers is taken
// there: a card brings it to its size off the main thread, the opened record has it at
// once. Where the kit's own getPicture is reached (the kit's store, a subclass that leaves
// it alone or calls it), nothing is decoded on the main thread: a card's photo is decoded
// at card size, the opened one read whole, off it.
TEST_F(ResendTest, EveryStoreIsAskedOnTheMainThreadAndOnlyAHostsOwnAnswerIsTakenThere) {
    using platform::graphics::Image;
    using Asked = std::vector<std::pair<std::string, bool>>;  // the key, and whether on the main thread
    struct Plain : vistrel::PersistanceController {
        using PersistanceController::PersistanceController;
    };
    struct SavesItsWay : vistrel::PersistanceController {
        using PersistanceController::PersistanceController;
        bool savePicture(const Image& picture, std::string_view key) override {
            return PersistanceController::savePicture(picture, key);
        }
    };
    struct Forwards : vistrel::PersistanceController {
        using PersistanceController::PersistanceController;
        Asked asked;
        std::optional<Image> getPicture(std::string_view key) override {
            asked.emplace_back(key, platform::dispatch::isMainThread());
            return PersistanceController::getPicture(key);
        }
    };
    struct OwnPhotos : Forwards {
        using Forwards::Forwards;
        std::map<std::string, Image, std::less<>> photos;
        bool savePicture(const Image& picture, std::string_view key) override {
            photos.insert_or_assign(std::string(key), picture);
            return true;
        }
        std::optional<Image> getPicture(std::string_view key) override {
            asked.emplace_back(key, platform::dispatch::isMainThread());
            const auto found = photos.find(key);
            return found == photos.end() ? std::nullopt : std::optional(found->second);
        }
    };
    // One that reaches the kit's getPicture, then fails: nothing is answered.
    struct Throws : Forwards {
        using Forwards::Forwards;
        std::optional<Image> getPicture(std::string_view key) override {
            Forwards::getPicture(key);
            throw std::runtime_error("the photo is away");
        }
    };
    enum class Answer { kits, hosts, none };
    const auto layer = store->layer;
    const struct {
        const char* name;
        std::function<std::shared_ptr<vistrel::PersistanceController>()> make;
        Answer answer;
    } rows[] = {
        {"the kit's store", [&] { return std::make_shared<vistrel::PersistanceController>(layer); }, Answer::kits},
        {"a subclass overriding nothing", [&] { return std::make_shared<Plain>(layer); }, Answer::kits},
        {"a subclass overriding savePicture", [&] { return std::make_shared<SavesItsWay>(layer); }, Answer::kits},
        {"a getPicture calling the kit's", [&] { return std::make_shared<Forwards>(layer); }, Answer::kits},
        {"a host keeping its photos", [&] { return std::make_shared<OwnPhotos>(layer); }, Answer::hosts},
        {"a getPicture that throws", [&] { return std::make_shared<Throws>(layer); }, Answer::none},
    };
    const auto still = *Image::make(*platform::graphics::Bitmap::make(2000, 1500));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store->deleteAllImages();
        std::filesystem::remove(store->picturePath("page-1"));
        store = row.make();
        auto* asked = dynamic_cast<Forwards*>(store.get());
        auto record = store->loadOrCreateVistrelImage("doc-1", "page-1", "Page", still, at(2));
        ASSERT_TRUE(record);

        auto cell = vistrel::makeImageCollectionViewCell();
        cell->persistanceController = store;
        cell->pictureLoader = std::make_shared<vistrel::CardPictureLoader>();
        cell->setFrame({0, 0, 172.5, 250});
        cell->configureWithVistrelImage(record, false);
        const auto photo = cell->imageView.lock();
        EXPECT_FALSE(photo->image());  // nothing decoded, nothing scaled on the main thread
        ASSERT_TRUE(pumpUntil([&] { return cell->pictureLoader->loading() == 0; }));
        EXPECT_EQ(photo->image() ? std::pair(photo->image()->pixelWidth(), photo->image()->pixelHeight()) : std::pair(0, 0),
                  row.answer == Answer::none ? std::pair(0, 0) : std::pair(501, 376));
        if (asked) {
            EXPECT_EQ(asked->asked, (Asked{{"page-1", true}}));
        }

        auto gallery = open();
        auto recorder = std::make_shared<Recorder>();
        gallery->contentControllers[0]->contentDelegate = recorder;
        if (asked) asked->asked.clear();
        ui::tap(window, centreInWindow(*card(*gallery, LibraryOption::recents)));
        EXPECT_EQ(recorder->picture.has_value(), row.answer == Answer::hosts);  // the host's answer at once
        if (row.answer == Answer::none) {
            EXPECT_FALSE(pumpUntil([&] { return recorder->picture.has_value(); }, 5));
            EXPECT_TRUE(log.contains("the photo of the record could not be read"));
        } else {  // the kit's file read off the main thread
            ASSERT_TRUE(pumpUntil([&] { return recorder->picture.has_value(); }));
            EXPECT_EQ(std::pair(recorder->picture->pixelWidth(), recorder->picture->pixelHeight()), std::pair(2000, 1500));
        }
        if (asked) {
            EXPECT_EQ(asked->asked, (Asked{{"page-1", true}}));
        }
        EXPECT_EQ(std::filesystem::exists(store->picturePath("page-1")), row.answer != Answer::hosts);
        navigation->popToRootViewController(false);
        time.advance(1s);
    }
}

}  // namespace
