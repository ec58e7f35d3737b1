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

#include "model/image.hpp"
#include "platform/foundation/log.hpp"

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

// ---- The answers ----

std::string asJsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string contentFor(int i) {
    std::string n = std::to_string(i);
    switch (i % 10) {
    case 0:
        return R"j({"Url":"https://example.com/spring/catalogue/item/)j" + n +
               R"j(?ref=scan&lang=fr","IsEmbeddedWebView":true,"IsAnonymousURL":false,"ContentType":"text/html"})j";
    case 1:
        return R"j({"VCalendar":"BEGIN:VEVENT\nSUMMARY:Spring fair )j" + n +
               R"j(\nDTSTART:20250321T090000Z\nDTEND:20250321T180000Z\nRRULE:FREQ=YEARLY\nEND:VEVENT"})j";
    case 2:
        return R"j({"VCard":"BEGIN:VCARD\nVERSION:3.0\nFN:Atelier )j" + n +
               R"j(\nTEL:+33 1 23 45 67 89\nEMAIL:hello@example.com\nEND:VCARD"})j";
    case 3: return R"j({"Content":"Have a look at the spring catalogue","Url":"https://example.com/share/)j" + n + "\"}";
    case 4:
        return R"j({"Address":"hello@example.com","Subject":"Spring catalogue )j" + n +
               R"j(","Content":"Hello, I would like to know more about the collection."})j";
    case 5: return R"j({"Number":"+33612345678","Content":"SPRING )j" + n + "\"}";
    case 6: return R"j({"Latitude":45.764,"Longitude":4.8357,"SearchAddress":"Place Bellecour, Lyon"})j";
    case 7: return R"j({"Number":"+33 4 78 00 00 )j" + n + "\"}";
    case 8: return R"j({"Text":"Forty pieces, designed and made in Lyon, with prices valid until May. )j" + n + "\"}";
    default: return R"j({"Text":"campaign=spring-2025; item=)j" + n + "\"}";
    }
}

// The style with a radius of its own for row i.
std::string rowStyle(const std::string& style, int i) {
    const std::string radius = R"j("radius":"8")j";
    std::string own = style;
    own.replace(own.find(radius), radius.size(), R"j("radius":")j" + std::to_string(i) + "\"");
    return own;
}

const char* kinds[] = {"URL", "CALENDAR", "VCARD", "SHARE", "EMAIL", "SMS", "MAP", "PHONE", "TEXT", "DATA"};

// An answer in the shape the recognition service sends, about 1 KB per action. The
// service gives the rows of an image one style text; with `ownStyles` every row gets a
// text of its own instead (its radius differs), so no reading can be shared.
std::string makeAnswer(int actions, bool ownStyles) {
    const std::string style =
        R"j({"model":"default","icon":{"display":"true","size":"24","hposition":"left","vposition":"middle"},)j"
        R"j("text":{"color":"rgba(255, 255, 255, 0.9)","opacity":"0.8","font-size":"16","font-weight":"bold",)j"
        R"j("font-style":"normal","display":"true","hposition":"center","vposition":"middle",)j"
        R"j("background-color":"rgba(0, 0, 0, 0)"},"button":{"background-color":"#1A2B3C","opacity":"0.9",)j"
        R"j("radius":"8","height":"16x9","display":"true","image-size":"cover","image-position":"center"}})j";
    std::string out = R"j({"Id":"5f1c2a9e-4b7d-4e2a-9c1f-image","Order":2,"Title":"Spring catalogue",)j"
                      R"j("SessionId":"b7d4e0c2-1111-4222-8333-session","DocumentId":"doc-42",)j"
                      R"j("AutoTrigger":false,"LanguageCode":"fr",)j"
                      R"j("BigThumbnailUrl":"https://example.com/thumbs/big/5f1c2a9e.jpg",)j"
                      R"j("TitleStyle":)j" +
                      asJsonString(style) + R"j(,"Actions":[)j";
    for (int i = 0; i < actions; ++i) {
        if (i > 0) out += ',';
        std::string n = std::to_string(i);
        out += R"j({"Id":"action-)j" + n + R"j(-7c1e-4f7a-9d2b","Order":)j" + n +
               R"j(,"Icon":"https://example.com/icons/spring-2025/action-)j" + n + R"j(.png","Priority":)j" +
               std::to_string(i % 3) + R"j(,"Name":"Action number )j" + n + R"j(: see the spring collection online, with the new shirts, jackets and shoes)j" +
               R"j(","LanguageCode":"fr","BackgroundImage":"https://example.com/backgrounds/spring-2025/rows/)j" + n +
               R"j(.png","Type":")j" + kinds[i % 10] + R"j(","Content":)j" + asJsonString(contentFor(i)) +
               R"j(,"Style":)j" + asJsonString(ownStyles ? rowStyle(style, i) : style) + "}";
    }
    return out + "]}";
}

const std::string& answer(const benchmark::State& state) {
    static const std::string small = makeAnswer(10, false);
    static const std::string large = makeAnswer(1000, false);
    static const std::string smallOwn = makeAnswer(10, true);
    static const std::string largeOwn = makeAnswer(1000, true);
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
BENCHMARK(BM_ModelReadLogged)->Apply(answers);
BENCHMARK(BM_JsonOuterAndNested)->Apply(answers);
BENCHMARK(BM_SimdjsonOuterAndNested)->Apply(answers);

BENCHMARK_MAIN();
