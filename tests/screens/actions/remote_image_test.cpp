#include "vistrel/screens/actions/remote_image.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "loopback_server.hpp"
#include "png_rows.hpp"
#include "screens/common/gif_files.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/screens/common/load_gif.hpp"

namespace {

using namespace std::chrono_literals;
using platform::dispatch::RunLoop;
using platform::graphics::Image;
using platform::ui::ImageView;
using testsupport::CannedAnswer;

// What a completion saw: that it ran, and whether on the main thread. The completion
// holds it in shared ownership: a load may end after the test that started it.
struct Finish {
    struct Seen {
        std::atomic<int> calls{0};
        std::atomic<bool> onMain{false};
    };
    std::shared_ptr<Seen> seen = std::make_shared<Seen>();
    std::atomic<int>& calls = seen->calls;
    std::atomic<bool>& onMain = seen->onMain;

    vistrel::RemoteImageCompletion completion() const {
        return [seen = seen] {
            seen->onMain = platform::dispatch::isMainThread();
            ++seen->calls;
        };
    }
    // The bound only catches a hang: a sanitizer build on a loaded machine is slow.
    bool wait() const {
        return RunLoop::runUntil([seen = seen] { return seen->calls > 0; }, 2min);
    }
};

// Waits for a condition that other threads make true while the main queue runs nothing;
// the bound only catches a hang.
bool waitWithoutTheMainQueue(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 2min;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Until no download or decode is under way and what they handed the main queue has run.
bool finishLoadsInFlight() {
    const bool ended = RunLoop::runUntil([] { return vistrel::remoteImageCacheState().loading == 0; }, 2min);
    RunLoop::runUntilIdle();
    return ended;
}

// The bytes are shared by every answer made of them, never copied per request.
CannedAnswer body(std::string bytes, std::chrono::milliseconds delay = 0ms) {
    CannedAnswer answer;
    answer.sharedBody = testsupport::sharedBody(std::move(bytes));
    answer.delay = delay;
    return answer;
}

std::string png(int width) { return imagetest::encodePng(imagetest::Picture(width, 2, uitest::kPalette[0])); }

class RemoteImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        vistrel::clearRemoteImageCache();  // a port used before may come back with other pictures
        server.answerWith([this](const testsupport::CapturedRequest& request) {
            auto found = answers.find(request.target);
            return found == answers.end() ? body("<html>not found</html>") : found->second;
        });
    }
    // No load of the test is left to end after it: its server and views go with it.
    void TearDown() override { EXPECT_TRUE(finishLoadsInFlight()); }

    std::shared_ptr<ImageView> viewWith(int width) {
        auto view = std::make_shared<ImageView>();
        view->setImage(Image::decode(png(width)));
        return view;
    }

    std::map<std::string, CannedAnswer> answers;
    testsupport::LoopbackServer server;
};

TEST_F(RemoteImageTest, AnimatedImagesArriveOnTheMainThread) {
    answers["/moving.gif"] = body(uitest::gifWithDelays({10, 15}));
    auto view = std::make_shared<ImageView>();
    Finish moving;
    vistrel::gifFromServerURL(view, server.url("/moving.gif"), moving.completion());
    ASSERT_TRUE(moving.wait() && moving.onMain && view->image());
    EXPECT_NEAR(view->image()->duration(), 0.25, 1e-9);

    // The still loader shows the same picture's first frame, standing still.
    auto still = std::make_shared<ImageView>();
    Finish first;
    vistrel::imageFromServerURL(still, server.url("/moving.gif"), first.completion());
    ASSERT_TRUE(first.wait() && still->image());
    EXPECT_EQ(std::tuple(still->image()->isAnimated(), still->image()->duration()), std::tuple(false, 0.0));

    // A page that is no picture clears the view.
    Finish page;
    vistrel::gifFromServerURL(view, server.url("/missing"), page.completion());
    ASSERT_TRUE(page.wait());
    EXPECT_TRUE(page.onMain && !view->image());
}

TEST_F(RemoteImageTest, FailuresKeepTheImageAndCompleteOffTheMainThread) {
    answers["/reset"].reset = true;
    answers["/elsewhere"].status = 302;
    answers["/elsewhere"].headers = {{"Location", "ftp://127.0.0.1/picture.png"}};
    answers["/huge.png"] = body(std::string(vistrel::kMaxRemoteImageBytes + 1, 'x'));
    for (const char* path : {"/reset", "/elsewhere", "/huge.png"}) {
        SCOPED_TRACE(path);
        auto view = viewWith(4);
        platform::LogCapture log;
        Finish finish;
        vistrel::imageFromServerURL(view, server.url(path), finish.completion());
        ASSERT_TRUE(finish.wait());
        EXPECT_FALSE(finish.onMain);
        RunLoop::runUntilIdle();
        ASSERT_TRUE(view->image());
        EXPECT_EQ(std::tuple(view->image()->pixelWidth(), log.lines().size()), std::tuple(4, 1u));
    }
}

TEST_F(RemoteImageTest, AddressesOtherThanHttpAreNotFetched) {
    auto view = viewWith(4);
    Finish finish;
    for (const char* address : {"", "not a url", "ftp://127.0.0.1/a.png", "file:///etc/passwd"})
        vistrel::imageFromServerURL(view, address, finish.completion());
    RunLoop::runUntilIdle();
    EXPECT_EQ(std::tuple(finish.calls.load(), server.requests().size(), view->image()->pixelWidth()),
              std::tuple(0, 0u, 4));
}

TEST_F(RemoteImageTest, AnOvertakenLoadIsDropped) {
    answers["/slow.png"] = body(png(5), 150ms);
    answers["/fast.png"] = body(png(6));
    answers["/later.png"] = body(png(7), 300ms);
    auto raced = std::make_shared<ImageView>();
    Finish slow, fast, probe;
    vistrel::imageFromServerURL(raced, server.url("/slow.png"), slow.completion());
    vistrel::imageFromServerURL(raced, server.url("/fast.png"), fast.completion());
    vistrel::imageFromServerURL(std::make_shared<ImageView>(), server.url("/later.png"), probe.completion());
    ASSERT_TRUE(probe.wait());
    // Every load has ended, the slow one too, whatever order the machine ended them in.
    ASSERT_TRUE(finishLoadsInFlight());
    EXPECT_EQ(std::tuple(fast.calls.load(), slow.calls.load(), raced->image()->pixelWidth()), std::tuple(1, 0, 6));
}

std::size_t requestsFor(const testsupport::LoopbackServer& server, const std::string& target) {
    std::size_t count = 0;
    for (const auto& request : server.requests()) count += request.target == target;
    return count;
}

TEST_F(RemoteImageTest, AHugePngIsDecodedOffTheMainThreadAtTheSizeShown) {
    // 8192 x 4096 pixels (128 MB decoded whole) in a few hundred kilobytes.
    answers["/huge.png"] = body(imagetest::twoColourPng(8192, 4096, {255, 0, 0, 255}, {0, 0, 255, 255}));
    auto view = std::make_shared<ImageView>(platform::ui::Rect{0, 0, 48, 48});
    Finish finish;
    vistrel::imageFromServerURL(view, server.url("/huge.png"), finish.completion(), vistrel::RemoteImagePixelSize{96, 96});
    // The download and the decode end while the main thread runs nothing...
    waitWithoutTheMainQueue([] { return vistrel::remoteImageCacheState().entries > 0; });
    ASSERT_EQ(vistrel::remoteImageCacheState().entries, 1u);
    EXPECT_FALSE(view->image());
    // ...and the main queue only hands the picture over: covering 96 x 96, aspect kept.
    ASSERT_TRUE(finish.wait() && finish.onMain && view->image());
    EXPECT_EQ(std::pair(view->image()->pixelWidth(), view->image()->pixelHeight()), std::pair(192, 96));
    EXPECT_TRUE(view->image()->bitmap().pixel(10, 50).isClose(platform::graphics::Color::rgba(1, 0, 0), 2.0 / 255));
}

TEST_F(RemoteImageTest, ViewsOfOneAddressShareOneDownloadAndLaterLoadsUseTheCache) {
    answers["/icon.png"] = body(png(30), 50ms);
    // A GIF of a 4096 x 4096 screen with four dots: over the limits of a row picture.
    std::vector<imagetest::GifFrame> dots(4, {0, 0, 1, 1, {1}, 10, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR});
    answers["/dots.gif"] = body(imagetest::encodeGif(4096, 4096, uitest::kPalette, dots));
    // An error page is not kept: it may be a picture next time.
    answers["/gone.png"] = body("<html>gone</html>");
    answers["/gone.png"].status = 404;
    for (int appearance = 0; appearance < 2; ++appearance) {
        SCOPED_TRACE(appearance);
        std::vector<std::shared_ptr<ImageView>> icons, gifs;
        platform::LogCapture log;
        auto gone = viewWith(4);
        vistrel::imageFromServerURL(gone, server.url("/gone.png"));
        for (int row = 0; row < 9; ++row) {
            icons.push_back(viewWith(4));
            gifs.push_back(viewWith(4));
            vistrel::imageFromServerURL(icons.back(), server.url("/icon.png"), {}, vistrel::RemoteImagePixelSize{48, 48});
            vistrel::gifFromServerURL(gifs.back(), server.url("/dots.gif"), {}, vistrel::RemoteImagePixelSize{48, 48});
        }
        ASSERT_TRUE(RunLoop::runUntil(
            [&] {
                return icons.back()->image()->pixelWidth() == 30 && !gifs.back()->image() && !gone->image() &&
                       vistrel::remoteImageCacheState().loading == 0;
            },
            2min));  // catches a hang only
        RunLoop::runUntilIdle();
        for (int row = 0; row < 9; ++row) {
            // One decode: every row shows the same pixels; the refused GIF cleared every row.
            EXPECT_EQ(&icons[row]->image()->bitmap(), &icons[0]->image()->bitmap());
            EXPECT_FALSE(gifs[row]->image());
        }
        // One download of each address for both appearances; the GIF's refusal said once.
        EXPECT_EQ(std::tuple(requestsFor(server, "/icon.png"), requestsFor(server, "/dots.gif"), log.lines().size(),
                             requestsFor(server, "/gone.png")),
                  std::tuple(std::size_t{1}, std::size_t{1}, std::size_t(appearance == 0 ? 1 : 0),
                             std::size_t(appearance + 1)));
    }
}

// A row's picture is decoded behind what the user waits for, at utility quality: the
// refusal of a GIF over the limits is said from a block of the utility global queue.
TEST_F(RemoteImageTest, PicturesAreDecodedBehindWhatTheUserWaitsFor) {
    std::vector<imagetest::GifFrame> dots(4, {0, 0, 1, 1, {1}, 10, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR});
    answers["/dots.gif"] = body(imagetest::encodeGif(4096, 4096, uitest::kPalette, dots));
    std::atomic<int> said{0}, onUtility{0};
    const auto previous = platform::setLogSink([&](std::string_view line) {
        if (line.find("GlintGif") == std::string_view::npos) return;
        ++said;
        onUtility += platform::dispatch::global(platform::dispatch::QualityOfService::utility).isCurrent();
    });
    Finish finish;
    vistrel::gifFromServerURL(std::make_shared<ImageView>(), server.url("/dots.gif"), finish.completion(),
                              vistrel::RemoteImagePixelSize{48, 48});
    const bool finished = finish.wait();
    platform::setLogSink(previous);
    ASSERT_TRUE(finished);
    EXPECT_EQ(std::pair(said.load(), onUtility.load()), std::pair(1, 1));
}

TEST_F(RemoteImageTest, TheCacheStaysWithinItsBoundAndDropsTheLeastRecentlyUsed) {
    // Ten pictures of 4 MB each (1024 x 1024) against a bound of 32 MB.
    for (int i = 0; i < 10; ++i) {
        const std::string path = "/big" + std::to_string(i) + ".png";
        answers[path] = body(imagetest::twoColourPng(1024, 1024, {0, 0, 0, 255}, {255, 255, 255, 255}));
        Finish finish;
        vistrel::imageFromServerURL(std::make_shared<ImageView>(), server.url(path), finish.completion());
        ASSERT_TRUE(finish.wait());
        EXPECT_LE(vistrel::remoteImageCacheState().bytes, vistrel::kRemoteImageCacheBytes);
    }
    EXPECT_LT(vistrel::remoteImageCacheState().entries, 10u);
    for (const char* path : {"/big9.png", "/big0.png"}) {
        Finish finish;
        vistrel::imageFromServerURL(std::make_shared<ImageView>(), server.url(path), finish.completion());
        ASSERT_TRUE(finish.wait());
    }
    // The latest came from the cache; the first had gone and was downloaded again.
    EXPECT_EQ(std::pair(requestsFor(server, "/big9.png"), requestsFor(server, "/big0.png")), std::pair(std::size_t{1}, std::size_t{2}));
}

TEST(LoadGifTest, AMissingNameClearsTheView) {
    auto view = std::make_shared<ImageView>();
    view->setImage(Image::decode(png(3)));
    platform::LogCapture log;
    vistrel::loadGif(view, "no such picture");
    ASSERT_TRUE(RunLoop::runUntil([&] { return !view->image(); }, 2min));  // catches a hang only
    EXPECT_TRUE(log.contains("GlintGif: This image named \"no such picture\" does not exist"));
}

}  // namespace
