// The action list over hostile remote pictures, served from a loopback HTTP server:
// (a) eight rows, each with an icon of its own that is an 8192 x 8192 PNG of a few
// hundred kilobytes, and (b) nine rows whose icons all point at one GIF of about a
// hundred bytes that claims a 4096 x 4096 screen with four frames. Each run shows the
// list, waits until every load has ended, takes it away and shows it again (the second
// time from the cache). Counters: the peak resident memory of the run, the longest
// single turn of the main thread (the appearance itself, or any block or update pass
// the main loop ran) for each appearance, in processor and in real time, the time until
// each appearance showed its pictures, and the downloads made. A run fails at 300 MiB
// or at a turn of 50 ms. For comparison, the full-size decode on the main
// thread of one such PNG, as a row did it before.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <thread>

#include "answers.hpp"
#include "main_thread_turns.hpp"
#include "peak_memory.hpp"
#include "platform/graphics/image_fixtures.hpp"
#include "png_rows.hpp"
#include "vistrel/core/icon_image.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/actions/image_action_table_view_cell.hpp"
#include "vistrel/screens/actions/remote_image.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using platform::dispatch::RunLoop;

// The hostile pictures, made once.
const std::string& hugePng() {
    static const std::string bytes = imagetest::twoColourPng(8192, 8192, {30, 60, 90, 255}, {200, 100, 50, 255});
    return bytes;
}

const std::string& dotsGif() {
    static const std::string bytes = [] {
        std::vector<imagetest::GifFrame> dots(4, {0, 0, 1, 1, {1}, 10, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR});
        return imagetest::encodeGif(4096, 4096, {{0, 0, 0, 255}, {255, 255, 255, 255}}, dots);
    }();
    return bytes;
}

// A loopback server of the two kinds of picture, counting what it serves.
struct PictureServer {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::atomic<long> requests{0};

    PictureServer() {
        server.Get(R"(/icons/.*\.png)", [this](const httplib::Request&, httplib::Response& response) {
            ++requests;
            response.set_content(hugePng(), "image/png");
        });
        server.Get("/dots.gif", [this](const httplib::Request&, httplib::Response& response) {
            ++requests;
            response.set_content(dotsGif(), "image/gif");
        });
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~PictureServer() {
        server.stop();
        thread.join();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }
};

// An answer of `rows` actions without background pictures, each icon's address made by
// `icon`. Rows are an eighth of their width high, so that every one is on screen.
std::shared_ptr<vistrel::ImageViewModel> answer(int rows, const std::function<std::string(int)>& icon) {
    platform::LogCapture quiet;  // the kit prints whole answers
    std::string text = bench_answers::make(rows);
    text = std::regex_replace(text, std::regex(R"j("BackgroundImage":"[^"]*")j"), R"j("BackgroundImage":"")j");
    text = std::regex_replace(text, std::regex("16x9"), "8x1");
    for (int i = 0; i < rows; ++i) {
        const std::string from = "https://example.com/icons/spring-2025/action-" + std::to_string(i) + ".png";
        text.replace(text.find(from), from.size(), icon(i));
    }
    return std::make_shared<vistrel::ImageViewModel>(vistrel::Image::fromData(text));
}

struct Appearance {
    double longestTurnMs = 0;     // real time
    double longestTurnCpuMs = 0;  // the main thread's processor time
    double shownMs = 0;
    double appearanceMs = 0;  // the push of the screen itself
    int icons = 0;  // rows on screen whose icon has arrived
    int rows = 0;   // rows on screen
};

struct Screens {
    std::filesystem::path home;
    std::shared_ptr<platform::ui::Window> window = std::make_shared<platform::ui::Window>();
    std::shared_ptr<platform::ui::NavigationController> navigation =
        std::make_shared<platform::ui::NavigationController>(std::make_shared<platform::ui::ViewController>());
    std::shared_ptr<vistrel::PersistanceController> store;

    Screens() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-remote-images-XXXXXX").string();
        home = mkdtemp(pattern.data());
        setenv("VISTREL_HOME", home.c_str(), 1);
        store = std::make_shared<vistrel::PersistanceController>();
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
    }
    // The first list of the process also opens the history store and loads the fonts of
    // the rows: done once here, before any figure is taken, with a list without pictures.
    void warmUp() {
        platform::LogCapture quiet;
        auto image = std::make_shared<vistrel::ImageViewModel>(vistrel::Image::fromData(bench_answers::make(3)));
        auto screen = vistrel::DisplayActionsViewController::instance();
        screen->imageViewModel = image;
        screen->picture = vistrel::imageWithColor(platform::graphics::Color::white());
        screen->historyStore = store;
        navigation->pushViewController(screen, false);
        RunLoop::runUntil([&] { return screen->tableView() && !screen->tableView()->isHidden(); }, std::chrono::seconds(10));
        navigation->popViewController(false);
        RunLoop::runUntilIdle();
    }
    ~Screens() {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }

    // Shows the list, runs the main loop until no load is under way and every delivery
    // ran (the time the pictures took to show), then takes the list away.
    Appearance show(const std::shared_ptr<vistrel::ImageViewModel>& image) {
        platform::LogCapture quiet;  // the kit prints the refused GIF and the store its files
        auto screen = vistrel::DisplayActionsViewController::instance();
        screen->imageViewModel = image;
        screen->picture = vistrel::imageWithColor(platform::graphics::Color::white());
        screen->historyStore = store;
        Appearance result;
        bench::Turns turns;
        const auto start = turns.last;
        navigation->pushViewController(screen, false);
        turns.mark();
        result.appearanceMs = turns.longestMs;
        bool listed = false;
        RunLoop::runUntil(
            [&] {
                turns.mark();
                if (!listed) {
                    listed = screen->tableView() && !screen->tableView()->isHidden();
                    return false;
                }
                return vistrel::remoteImageCacheState().loading == 0;
            },
            std::chrono::seconds(60));
        // The deliveries of the last loads, queued already, as one turn.
        turns.mark();
        RunLoop::runUntilIdle();
        turns.mark();
        result.shownMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        result.longestTurnMs = turns.longestMs;
        result.longestTurnCpuMs = turns.longestCpuMs;
        for (const auto& cell : screen->tableView()->visibleCells()) {
            auto row = std::dynamic_pointer_cast<vistrel::ImageActionTableViewCell>(cell);
            if (!row) continue;
            ++result.rows;
            auto icon = row->iconImageView.lock();
            result.icons += icon && icon->image() ? 1 : 0;
        }
        navigation->popViewController(false);
        RunLoop::runUntilIdle();
        return result;
    }
};

Screens& screens() {
    static Screens& made = []() -> Screens& {
        static Screens screens;
        screens.warmUp();
        return screens;
    }();
    return made;
}

void runList(benchmark::State& state, const std::shared_ptr<vistrel::ImageViewModel>& image, PictureServer& server) {
    Appearance first, second;
    long downloads = 0;
    double peak = 0, firstLongest = 0, secondLongest = 0, firstLongestCpu = 0, secondLongestCpu = 0;
    for (auto _ : state) {
        vistrel::clearRemoteImageCache();
        testsupport::resetPeak();
        const long before = server.requests;
        first = screens().show(image);
        second = screens().show(image);
        downloads = server.requests - before;
        peak = std::max(peak, testsupport::peakMiB());
        firstLongest = std::max(firstLongest, first.longestTurnMs);
        secondLongest = std::max(secondLongest, second.longestTurnMs);
        firstLongestCpu = std::max(firstLongestCpu, first.longestTurnCpuMs);
        secondLongestCpu = std::max(secondLongestCpu, second.longestTurnCpuMs);
    }
    // The worst of all runs for memory and turns; the last run for the rest.
    state.counters["peak_MiB"] = peak;
    state.counters["first_longest_turn_ms"] = firstLongest;
    state.counters["second_longest_turn_ms"] = secondLongest;
    state.counters["first_longest_turn_cpu_ms"] = firstLongestCpu;
    state.counters["second_longest_turn_cpu_ms"] = secondLongestCpu;
    state.counters["first_appearance_ms"] = first.appearanceMs;
    state.counters["first_shown_ms"] = first.shownMs;
    state.counters["second_shown_ms"] = second.shownMs;
    state.counters["rows"] = first.rows;
    state.counters["icons_first"] = first.icons;
    state.counters["icons_second"] = second.icons;
    state.counters["downloads"] = double(downloads);
    if (peak >= 300) state.SkipWithError("peak resident memory of 300 MiB or more");
    // The target holds for the turn's own work; its real time is given beside it.
    if (std::max(firstLongestCpu, secondLongestCpu) >= 50)
        state.SkipWithError("a main-thread turn of 50 ms or more");
}

PictureServer& pictureServer() {
    static PictureServer made;
    return made;
}

void BM_EightRowsWithHugePngIcons(benchmark::State& state) {
    auto& server = pictureServer();
    hugePng();
    runList(state, answer(8, [&](int i) { return server.url() + "icons/action-" + std::to_string(i) + ".png"; }),
            server);
    state.counters["png_bytes"] = double(hugePng().size());
}
BENCHMARK(BM_EightRowsWithHugePngIcons)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_NineRowsWithOneHostileGif(benchmark::State& state) {
    auto& server = pictureServer();
    runList(state, answer(9, [&](int) { return server.url() + "dots.gif"; }), server);
    state.counters["gif_bytes"] = double(dotsGif().size());
}
BENCHMARK(BM_NineRowsWithOneHostileGif)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// What one row paid before for one such icon: the whole picture decoded at full size.
void BM_FullSizeDecodeOfOneIcon(benchmark::State& state) {
    hugePng();
    testsupport::resetPeak();
    for (auto _ : state) benchmark::DoNotOptimize(platform::graphics::Image::decode(hugePng()));
    state.counters["peak_MiB"] = testsupport::peakMiB();
}
BENCHMARK(BM_FullSizeDecodeOfOneIcon)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
