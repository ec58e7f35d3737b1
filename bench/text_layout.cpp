// Laying out text as a text page shows it: measured at a phone's width, then drawn into
// a screen-sized picture, for 10 KB, 100 KB and 1 MB of words and of text without a
// single break opportunity, and for 100 KB and 1 MB of what a hostile answer sends to
// make layout costly: accents on one letter, bidi overrides (half right-to-left, then half
// left-to-right), letters joined by zero-width joiners, emoji joined by them into one
// endless character, and text whose direction changes at every letter (Latin and Hebrew
// letters in turn, the same with a space after every sixth letter, and Latin letters each
// after a right-to-left mark). Every kind grows linearly with the length (the fitted
// complexity is printed after each family). 1 MB of any kind but the last three takes well
// under a second; those take about 2 to 3 s per MB, most of it the engine's own work for
// each run of one script and direction (itemising and shaping one letter at a time).
#include <benchmark/benchmark.h>

#include <string>

#include "text_samples.hpp"
#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/graphics/image_context.hpp"
#include "vistrel/platform/graphics/text.hpp"

namespace {

using namespace platform::graphics;
using bench::repeated;

constexpr double kWidth = 343;
const Size kScreen{375, 667};

enum class Kind {
    words,
    unbreakable,
    marks,
    bidiControls,
    joinedLetters,
    joinedEmoji,
    alternatingDirections,
    alternatingDirectionWords,
    rightToLeftMarks,
};

// `bytes` of the kind: lower-case letters (with a space after every sixth letter for
// words), or one of the hostile kinds.
std::string sample(std::size_t bytes, Kind kind) {
    switch (kind) {
        case Kind::marks: return repeated("a", "\u0301", bytes);
        case Kind::bidiControls: return repeated(repeated("", "\u202E", bytes / 2), "\u202D", bytes);
        case Kind::joinedLetters: return repeated("a", "\u200Db", bytes);
        case Kind::joinedEmoji: return repeated("\U0001F468", "\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466", bytes);
        case Kind::alternatingDirections: return repeated("", "a\u05D0", bytes);
        case Kind::alternatingDirectionWords: return repeated("", "a\u05D0b\u05D1c\u05D2 ", bytes);
        case Kind::rightToLeftMarks: return repeated("", "\u200Fa", bytes);
        default: break;
    }
    return bench::letters(bytes, kind == Kind::words);
}

void layOut(benchmark::State& state, Kind kind) {
    useIsolatedFontConfiguration();
    const auto bytes = static_cast<std::size_t>(state.range(0));
    const AttributedString text = makeAttributedString(sample(bytes, kind), FontRegistry::shared().defaultFont(17));
    const TextLayoutOptions options{.maxWidth = kWidth};
    ImageContext context(kScreen, true, 2);
    Size measured;
    for (auto _ : state) {
        measured = measureText(text, options);
        context.canvas().drawText(text, Rect{16, 16, kWidth, measured.height}, options);
        benchmark::ClobberMemory();
    }
    // Bidi controls alone show nothing: one empty line.
    const bool shows = kind == Kind::bidiControls || measured.width > 0;
    if (!(shows && measured.width <= kWidth && measured.height > 0))
        state.SkipWithError("the text measured nothing, or wider than its width");
    state.counters["height_points"] = measured.height;
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_LayOutWords(benchmark::State& state) { layOut(state, Kind::words); }
void BM_LayOutUnbreakableText(benchmark::State& state) { layOut(state, Kind::unbreakable); }
void BM_LayOutMarksOnOneLetter(benchmark::State& state) { layOut(state, Kind::marks); }
void BM_LayOutBidiControls(benchmark::State& state) { layOut(state, Kind::bidiControls); }
void BM_LayOutLettersJoinedByZeroWidthJoiners(benchmark::State& state) { layOut(state, Kind::joinedLetters); }
void BM_LayOutEmojiJoinedIntoOneCharacter(benchmark::State& state) { layOut(state, Kind::joinedEmoji); }
void BM_LayOutAlternatingDirections(benchmark::State& state) { layOut(state, Kind::alternatingDirections); }
void BM_LayOutAlternatingDirectionWords(benchmark::State& state) { layOut(state, Kind::alternatingDirectionWords); }
void BM_LayOutLettersAfterRightToLeftMarks(benchmark::State& state) { layOut(state, Kind::rightToLeftMarks); }

// Ordinary sizes, and the sizes of a hostile answer's name (100 KB) and text (1 MB).
void withShortText(benchmark::internal::Benchmark* b) { b->Arg(10'000); }
void withHostileSizes(benchmark::internal::Benchmark* b) {
    b->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Complexity();
}

BENCHMARK(BM_LayOutWords)->Apply(withShortText)->Apply(withHostileSizes);
BENCHMARK(BM_LayOutUnbreakableText)->Apply(withShortText)->Apply(withHostileSizes);
BENCHMARK(BM_LayOutMarksOnOneLetter)->Apply(withHostileSizes);
BENCHMARK(BM_LayOutBidiControls)->Apply(withHostileSizes);
BENCHMARK(BM_LayOutLettersJoinedByZeroWidthJoiners)->Apply(withHostileSizes);
BENCHMARK(BM_LayOutEmojiJoinedIntoOneCharacter)->Apply(withHostileSizes);
BENCHMARK(BM_LayOutAlternatingDirections)->Apply(withHostileSizes);
BENCHMARK(BM_LayOutAlternatingDirectionWords)->Apply(withHostileSizes);
BENCHMARK(BM_LayOutLettersAfterRightToLeftMarks)->Apply(withHostileSizes);

}  // namespace

BENCHMARK_MAIN();
