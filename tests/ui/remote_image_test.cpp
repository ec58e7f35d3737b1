#include "ui/remote_image.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>

#include "platform/dispatch/main_thread.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "platform/foundation/log.hpp"
#include "support/loopback_server.hpp"
#include "ui/gif_files.hpp"
#include "ui/load_gif.hpp"

namespace {

using namespace std::chrono_literals;
using platform::dispatch::RunLoop;
using platform::graphics::Image;
using platform::ui::ImageView;
using testsupport::CannedAnswer;

// What a completion saw: that it ran, and whether on the main thread.
struct Finish {
    std::atomic<int> calls{0};
    std::atomic<bool> onMain{false};
    vistrel::RemoteImageCompletion completion() {
        return [this] {
            onMain = platform::dispatch::isMainThread();
            ++calls;
        };
    }
    bool wait() {
        return RunLoop::runUntil([this] { return calls > 0; }, 10s);
    }
};

CannedAnswer body(std::string bytes, std::chrono::milliseconds delay = 0ms) {
    CannedAnswer answer;
    answer.body = std::move(bytes);
    answer.delay = delay;
    return answer;
}

std::string png(int width) { return imagetest::encodePng(imagetest::Picture(width, 2, uitest::kPalette[0])); }

class RemoteImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.answerWith([this](const testsupport::CapturedRequest& request) {
            auto found = answers.find(request.target);
            return found == answers.end() ? body("<html>not found</html>") : found->second;
        });
    }
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
    // Answers complete in the order they end, so once the later one is in, the slow one is too.
    vistrel::imageFromServerURL(std::make_shared<ImageView>(), server.url("/later.png"), probe.completion());
    ASSERT_TRUE(probe.wait());
    EXPECT_EQ(std::tuple(fast.calls.load(), slow.calls.load(), raced->image()->pixelWidth()), std::tuple(1, 0, 6));
}

TEST(LoadGifTest, AMissingNameClearsTheView) {
    auto view = std::make_shared<ImageView>();
    view->setImage(Image::decode(png(3)));
    platform::LogCapture log;
    vistrel::loadGif(view, "no such picture");
    ASSERT_TRUE(RunLoop::runUntil([&] { return !view->image(); }, 10s));
    EXPECT_TRUE(log.contains("GlintGif: This image named \"no such picture\" does not exist"));
}

}  // namespace
