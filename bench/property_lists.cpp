// Binary property lists of many distinct values, as hosts keep them: read, written back
// and read again equal. Files: an array of 400,000 distinct texts of 16 characters,
// 400,000 keys of 30-character texts, an array of 1,000,000 texts of 64 characters,
// 1,500,000 keys of 30 characters with texts of 20, 300,000 keys of 30 characters whose
// values are one shared true, and 450,000 keys of 200-character texts. And two values set
// into a binary defaults file: an array of 300,000 distinct texts, and one of 2,000,000
// zeros. Counters: the seconds of the read and of the write (of the set), the file's size
// and the size written, whether each step gave its value and the value read back equals
// the one written, and the peak resident memory of the read and the write (of the set),
// the file's own bytes included.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "binary_plist_bytes.hpp"
#include "peak_memory.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

namespace {

namespace fs = std::filesystem;
using platform::Value;

enum Shape { texts16, keysOfTexts30, texts64, keys30OfTexts20, keys30OfTrue, keysOfTexts200 };

std::string shapeFile(Shape shape) {
    switch (shape) {
    case texts16: return plisttest::arrayOfDistinctTexts(400'000, 16);
    case keysOfTexts30: return plisttest::dictionaryOfDistinctKeys(400'000, 10, 30);
    case texts64: return plisttest::arrayOfDistinctTexts(1'000'000, 64);
    case keys30OfTexts20: return plisttest::dictionaryOfDistinctKeys(1'500'000, 30, 20);
    case keys30OfTrue: return plisttest::dictionaryOfDistinctKeys(300'000, 30, 0);
    case keysOfTexts200: return plisttest::dictionaryOfDistinctKeys(450'000, 10, 200);
    }
    return {};
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Arguments: the shape.
void BM_ReadAndWriteBack(benchmark::State& state) {
    const std::string file = shapeFile(static_cast<Shape>(state.range(0)));
    double read = 0, write = 0, peak = 0;
    bool readOk = false, writtenOk = false, equal = false;
    std::size_t written = 0;
    for (auto _ : state) {
        testsupport::resetPeak();
        auto start = std::chrono::steady_clock::now();
        std::optional<Value> value = platform::readPropertyList(file);
        read += secondsSince(start);
        start = std::chrono::steady_clock::now();
        std::optional<std::string> bytes = value ? platform::writePropertyListBinary(*value) : std::nullopt;
        write += secondsSince(start);
        peak = testsupport::peakMiB();
        state.PauseTiming();
        readOk = value.has_value();
        writtenOk = bytes.has_value();
        written = bytes ? bytes->size() : 0;
        equal = bytes && platform::readPropertyList(*bytes) == value;
        state.ResumeTiming();
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["read_s"] = read / runs;
    state.counters["write_s"] = write / runs;
    state.counters["file_MB"] = double(file.size()) / 1e6;
    state.counters["written_MB"] = double(written) / 1e6;
    state.counters["read"] = readOk ? 1 : 0;
    state.counters["written"] = writtenOk ? 1 : 0;
    state.counters["equal"] = equal ? 1 : 0;
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_ReadAndWriteBack)
    ->DenseRange(texts16, keysOfTexts200)
    ->ArgName("shape")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// Arguments: 0 for an array of 300,000 distinct texts of 20 characters, 1 for one of
// 2,000,000 zeros, set into a binary defaults file of one key; read at the next start.
void BM_SetIntoBinaryDefaults(benchmark::State& state) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    std::string pattern = (fs::temp_directory_path() / "vistrel-property-lists-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        state.SkipWithError("no folder");
        return;
    }
    const fs::path folder = pattern, file = folder / "defaults.plist";
    platform::Array items;
    for (std::uint64_t i = 0; i < (state.range(0) == 0 ? 300'000u : 2'000'000u); ++i)
        items.push_back(state.range(0) == 0 ? Value(plisttest::distinctText(i, 20, 't')) : Value(platform::Number::fromInt(0)));
    const Value value(std::move(items));
    double set = 0, peak = 0;
    bool stored = false, readNext = false;
    for (auto _ : state) {
        state.PauseTiming();
        plisttest::BinaryPlistBuilder small(1);
        plisttest::appendMarker(small.next(), 0xD, 1);
        small.ref(1);
        small.ref(2);
        small.text("apiKey");
        small.text("the kit's");
        std::ofstream(file, std::ios::binary | std::ios::trunc) << std::move(small).file();
        platform::UserDefaults defaults(file);
        testsupport::resetPeak();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        stored = defaults.set("values", value);
        set += secondsSince(start);
        peak = testsupport::peakMiB();
        state.PauseTiming();
        readNext = platform::UserDefaults(file).object("values") == value;
        state.ResumeTiming();
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    state.counters["set_s"] = set / static_cast<double>(state.iterations());
    state.counters["stored"] = stored ? 1 : 0;
    state.counters["read_at_next_start"] = readNext ? 1 : 0;
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_SetIntoBinaryDefaults)->DenseRange(0, 1)->ArgName("zeros")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
