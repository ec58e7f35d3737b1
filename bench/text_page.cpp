// Opening the text page of a TEXT action as long as an answer may be (15 MB), of each
// make-up a hostile answer may choose, beside a short text: the page presented in a shown
// window and drawn once, all on the main thread as on a phone. The time is what the main
// thread is held; the counters give the peak resident memory while the page opens
// (above what was resident before: the text itself is already there) and the bytes the
// page's label shows. The page lays out only the start of a long text (32 KB, 2,000
// lines), so each make-up costs what that start costs: from about 20 ms (line breaks,
// marks) to 0.1 to 0.2 s (a direction or a script changing at every letter), against 10 to
// 75 s and 0.7 to 2.5 GB when the whole text was laid out.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "peak_memory.hpp"
#include "text_samples.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/actions/action_text_view_controller.hpp"

namespace {

constexpr std::size_t kLong = 15'000'000;
using bench::repeated;

enum class Kind {
    shortText,
    words,
    unbreakable,
    rightToLeftMarks,
    latinAndHebrew,
    lineSeparators,
    lineFeeds,
    scripts,
    marks,
};

std::string sample(Kind kind) {
    switch (kind) {
        case Kind::shortText: return "Opening hours: Monday to Friday, 9:00 to 18:00. Closed on public holidays.";
        case Kind::rightToLeftMarks: return repeated("", "\u200Fa", kLong);
        case Kind::latinAndHebrew: return repeated("", "a\u05D0", kLong);
        case Kind::lineSeparators: return repeated("", "\u2028", kLong);
        case Kind::lineFeeds: return repeated("", "\n", kLong);
        // Latin, Greek, Cyrillic, Hebrew, Arabic, Devanagari, Thai, Han: a new script at
        // every letter.
        case Kind::scripts: return repeated("", "a\u03B1\u0431\u05D0\u0628\u0915\u0E01\u4E00", kLong);
        case Kind::marks: return repeated("a", "\u0301", kLong);
        default: break;
    }
    return bench::letters(kLong, kind == Kind::words);
}

void openTextPage(benchmark::State& state, Kind kind) {
    platform::setLogSink(platform::discardLine);
    const std::string text = sample(kind);
    auto window = std::make_shared<platform::ui::Window>();
    auto root = std::make_shared<platform::ui::ViewController>();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    platform::dispatch::RunLoop::runUntilIdle();
    double peakRise = 0;
    std::size_t shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::resetPeak();
        const double before = testsupport::peakMiB();
        state.ResumeTiming();
        auto page = vistrel::ActionTextViewController::instance();
        page->text = text;
        root->present(std::make_shared<platform::ui::NavigationController>(page), false);
        platform::dispatch::RunLoop::runUntilIdle();
        auto shot = platform::ui::render(*window);
        benchmark::DoNotOptimize(shot);
        state.PauseTiming();
        peakRise = std::max(peakRise, testsupport::peakMiB() - before);
        const auto label = page->actionTextLabel();
        shown = label && label->text() ? label->text()->size() : 0;
        if (!shot || !label || label->frame().height() <= 0) state.SkipWithError("the page showed no text");
        root->dismiss(false);
        platform::dispatch::RunLoop::runUntilIdle();
        state.ResumeTiming();
    }
    state.counters["peak_rise_MiB"] = peakRise;
    state.counters["text_bytes"] = double(text.size());
    state.counters["shown_bytes"] = double(shown);
    platform::setLogSink({});
}

void BM_OpenTextPageShortText(benchmark::State& state) { openTextPage(state, Kind::shortText); }
void BM_OpenTextPageWords(benchmark::State& state) { openTextPage(state, Kind::words); }
void BM_OpenTextPageUnbreakableText(benchmark::State& state) { openTextPage(state, Kind::unbreakable); }
void BM_OpenTextPageLettersAfterRightToLeftMarks(benchmark::State& state) {
    openTextPage(state, Kind::rightToLeftMarks);
}
void BM_OpenTextPageLatinAndHebrewInTurn(benchmark::State& state) { openTextPage(state, Kind::latinAndHebrew); }
void BM_OpenTextPageLineSeparators(benchmark::State& state) { openTextPage(state, Kind::lineSeparators); }
void BM_OpenTextPageLineFeeds(benchmark::State& state) { openTextPage(state, Kind::lineFeeds); }
void BM_OpenTextPageScriptAtEveryLetter(benchmark::State& state) { openTextPage(state, Kind::scripts); }
void BM_OpenTextPageMarksOnOneLetter(benchmark::State& state) { openTextPage(state, Kind::marks); }

BENCHMARK(BM_OpenTextPageShortText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTextPageWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTextPageUnbreakableText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTextPageLettersAfterRightToLeftMarks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTextPageLatinAndHebrewInTurn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTextPageLineSeparators)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTextPageLineFeeds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTextPageScriptAtEveryLetter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTextPageMarksOnOneLetter)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
