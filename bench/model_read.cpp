// Reading recognition answers into Image (nested style and content texts included),
// beside a plain simdjson parse of the same outer document and nested texts, and the
// memory one reading takes.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <simdjson.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "answers.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/log.hpp"

// ---- Allocation accounting: every operator new of the process, the kit's included ----

namespace {
// Counting runs only while one reading is measured, so timings carry none of its cost.
// Bytes allocated before and freed during a measurement make the count dip below its
// start, never above, so the peak is not overstated.
std::atomic<bool> counting{false};
std::atomic<std::ptrdiff_t> liveBytes{0};
std::atomic<std::ptrdiff_t> peakBytes{0};
std::atomic<std::size_t> allocations{0};

[[gnu::noinline]] void* counted(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    if (counting.load(std::memory_order_relaxed)) {
        auto bytes = static_cast<std::ptrdiff_t>(malloc_usable_size(p));
        std::ptrdiff_t now = liveBytes.fetch_add(bytes, std::memory_order_relaxed) + bytes;
        std::ptrdiff_t peak = peakBytes.load(std::memory_order_relaxed);
        while (now > peak && !peakBytes.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
        }
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    return p;
}

[[gnu::noinline]] void released(void* p) noexcept {
    if (!p) return;
    if (counting.load(std::memory_order_relaxed))
        liveBytes.fetch_sub(static_cast<std::ptrdiff_t>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

struct Memory {
    std::size_t peak = 0;      // most bytes alive at once during the reading
    std::size_t kept = 0;      // bytes the resulting image holds
    std::size_t count = 0;     // allocations made
};

// One reading of the answer, counted.
Memory measureReading(const std::string& bytes) {
    liveBytes = 0;
    peakBytes = 0;
    allocations = 0;
    Memory memory;
    counting = true;
    {
        vistrel::Image image = vistrel::Image::fromData(bytes);
        memory.kept = static_cast<std::size_t>(std::max<std::ptrdiff_t>(liveBytes.load(), 0));
        benchmark::DoNotOptimize(image);
    }
    counting = false;
    memory.peak = static_cast<std::size_t>(peakBytes.load());
    memory.count = allocations.load();
    return memory;
}
}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept { released(p); }
void operator delete[](void* p) noexcept { released(p); }
void operator delete(void* p, std::size_t) noexcept { released(p); }
void operator delete[](void* p, std::size_t) noexcept { released(p); }

namespace {

// An answer of many small actions (60 bytes each): what a reader must bound by count, as
// its size alone is modest (200,000 of them make 12 MB).
std::string manySmallActions(int actions) {
    std::string out = R"j({"Id":"many","Actions":[)j";
    for (int i = 0; i < actions; ++i) {
        if (i > 0) out += ',';
        out.append(R"j({"Id":"a)j").append(std::to_string(i)).append(R"j(","Type":"TEXT","Content":"{}","Name":"x"})j");
    }
    out.append("]}");
    return out;
}

// The answers, made once.
const std::string& answer(const benchmark::State& state) {
    if (state.range(0) == 200000) {
        static const std::string many = manySmallActions(200000);
        return many;
    }
    static const std::string small = bench_answers::make(10, false);
    static const std::string large = bench_answers::make(1000, false);
    static const std::string smallOwn = bench_answers::make(10, true);
    static const std::string largeOwn = bench_answers::make(1000, true);
    const bool own = state.range(1) != 0;
    if (state.range(0) == 10) return own ? smallOwn : small;
    return own ? largeOwn : large;
}

// The sink while measuring: the log discarded (nobody listens, so the reader skips
// writing the document out), or a listener that drops each line once it is made, so
// that the cost of the diagnostic dump stays visible beside it.
struct LogDuring {
    explicit LogDuring(bool listening) {
        previous = listening ? platform::setLogSink([](std::string_view line) { benchmark::DoNotOptimize(line); })
                             : platform::setLogSink(platform::discardLine);
    }
    ~LogDuring() { platform::setLogSink(std::move(previous)); }
    LogDuring(const LogDuring&) = delete;
    LogDuring& operator=(const LogDuring&) = delete;
    platform::LogSink previous;
};

void readModel(benchmark::State& state, bool listening) {
    const std::string& bytes = answer(state);
    LogDuring log(listening);

    // One reading outside the timing, for its memory.
    Memory memory = measureReading(bytes);
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.counters["peak_mem"] = static_cast<double>(memory.peak);
    state.counters["peak_per_byte"] = static_cast<double>(memory.peak) / static_cast<double>(bytes.size());
    state.counters["kept_mem"] = static_cast<double>(memory.kept);
    state.counters["allocs"] = static_cast<double>(memory.count);

    for (auto _ : state) {
        vistrel::Image image = vistrel::Image::fromData(bytes);
        benchmark::DoNotOptimize(image);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// Reading into Image with the log discarded.
void BM_ModelRead(benchmark::State& state) { readModel(state, false); }

// The same with a listening sink: the reader writes the document out line by line.
void BM_ModelReadLogged(benchmark::State& state) { readModel(state, true); }

// The JSON value's reading of the same outer document and nested texts, without the
// model: what the readers build on.
void BM_JsonOuterAndNested(benchmark::State& state) {
    const std::string& bytes = answer(state);
    for (auto _ : state) {
        vistrel::JSON doc = vistrel::JSON::fromData(bytes);
        std::size_t total = vistrel::JSON::parseJSON(doc["TitleStyle"].stringValue()).type() == vistrel::Type::null;
        for (const vistrel::JSON& action : doc["Actions"].arrayValue()) {
            vistrel::JSON content = vistrel::JSON::parseJSON(action["Content"].stringValue());
            vistrel::JSON style = vistrel::JSON::parseJSON(action["Style"].stringValue());
            total += (content.type() == vistrel::Type::null) + (style.type() == vistrel::Type::null);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// The plain DOM parse of the outer document and of every nested text (the title
// style, each action's content and style), with parsers kept between documents.
void BM_SimdjsonOuterAndNested(benchmark::State& state) {
    const std::string& bytes = answer(state);
    simdjson::dom::parser outer;
    simdjson::dom::parser nested;
    auto parseNested = [&](simdjson::dom::element object, const char* key) -> std::size_t {
        std::string_view text;
        if (object[key].get(text)) return 0;
        simdjson::padded_string padded(text);
        auto doc = nested.parse(padded);
        return doc.error() ? 0 : 1;
    };
    for (auto _ : state) {
        simdjson::dom::element doc = outer.parse(bytes.data(), bytes.size(), true).value();
        std::size_t total = parseNested(doc, "TitleStyle");
        simdjson::dom::array actions;
        if (!doc["Actions"].get(actions)) {
            for (simdjson::dom::element action : actions) {
                total += parseNested(action, "Content");
                total += parseNested(action, "Style");
            }
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

}  // namespace

// Arguments: the number of actions, and whether every row has a style text of its own.
void answers(benchmark::internal::Benchmark* b) {
    b->ArgNames({"actions", "ownStyles"});
    for (int own : {0, 1})
        for (int actions : {10, 1000}) b->Args({actions, own});
}

BENCHMARK(BM_ModelRead)->Apply(answers);
// 200,000 small actions, of which the reader converts and keeps the first
// Image::maxActions: peak_mem is what such an answer costs (mostly the parser's buffers).
BENCHMARK(BM_ModelRead)->ArgNames({"actions", "ownStyles"})->Args({200000, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelReadLogged)->Apply(answers);
BENCHMARK(BM_JsonOuterAndNested)->Apply(answers);
BENCHMARK(BM_SimdjsonOuterAndNested)->Apply(answers);

BENCHMARK_MAIN();
