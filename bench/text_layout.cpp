// Laying out text as a text page shows it: measured at a phone's width, then drawn into
// a screen-sized picture, for 10 KB, 100 KB and 1 MB of words and of text without a
// single break opportunity. Both kinds grow linearly with the length (the fitted
// complexity is printed after each family); 1 MB takes well under a second.
#include <benchmark/benchmark.h>

#include <string>

#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/graphics/image_context.hpp"
#include "vistrel/platform/graphics/text.hpp"

namespace {

using namespace platform::graphics;

constexpr double kWidth = 343;
const Size kScreen{375, 667};

// `bytes` of lower-case letters, with a space after every sixth letter for words.
std::string sample(std::size_t bytes, bool words) {
    std::string text(bytes, 'a');
    for (std::size_t i = 0; i < bytes; ++i) text[i] = words && i % 7 == 6 ? ' ' : char('a' + i % 26);
    return text;
}

void layOut(benchmark::State& state, bool words) {
    useIsolatedFontConfiguration();
    const auto bytes = static_cast<std::size_t>(state.range(0));
    const AttributedString text = makeAttributedString(sample(bytes, words), FontRegistry::shared().defaultFont(17));
    const TextLayoutOptions options{.maxWidth = kWidth};
    ImageContext context(kScreen, true, 2);
    Size measured;
    for (auto _ : state) {
        measured = measureText(text, options);
        context.canvas().drawText(text, Rect{16, 16, kWidth, measured.height}, options);
        benchmark::ClobberMemory();
    }
    if (!(measured.width > 0 && measured.width <= kWidth && measured.height > 0))
        state.SkipWithError("the text measured nothing, or wider than its width");
    state.counters["height_points"] = measured.height;
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_LayOutWords(benchmark::State& state) { layOut(state, true); }
void BM_LayOutUnbreakableText(benchmark::State& state) { layOut(state, false); }

BENCHMARK(BM_LayOutWords)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_LayOutUnbreakableText)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
