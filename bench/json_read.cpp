// Reading recognition answers into JSON and walking every member by path, beside a
// plain simdjson DOM parse (and walk) of the same bytes.
#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <array>
#include <string>

#include "answers.hpp"
#include "vistrel/core/json/json.hpp"

namespace {

using vistrel::JSON;
using vistrel::JSONKey;

struct Key {
    const char* name;
    bool text;  // a string member; otherwise a number
};
const std::array<Key, 8> imageKeys = {{{"Id", true},
                                       {"Order", false},
                                       {"Title", true},
                                       {"SessionId", true},
                                       {"DocumentId", true},
                                       {"LanguageCode", true},
                                       {"BigThumbnailUrl", true},
                                       {"TitleStyle", true}}};
const std::array<Key, 10> actionKeys = {{{"Id", true},
                                         {"Order", false},
                                         {"Icon", true},
                                         {"Priority", false},
                                         {"Name", true},
                                         {"LanguageCode", true},
                                         {"BackgroundImage", true},
                                         {"Type", true},
                                         {"Content", true},
                                         {"Style", true}}};

// Reads one member as the answer readers do: the optional text or integer of a
// one-step path read.
std::size_t readMember(const JSON& json, const Key& key) {
    if (key.text) {
        auto text = json[key.name].string();
        return text ? text->size() : 0;
    }
    return static_cast<std::size_t>(json[key.name].int_().value_or(0));
}

const std::string& answer(int actions) {
    static const std::string small = bench_answers::make(10);
    static const std::string large = bench_answers::make(1000);
    return actions == 10 ? small : large;
}

// Reads the answer and every member of the image and of each action, as the answer
// readers do: "Actions" as an array, then each action's members by one-step paths.
void BM_JsonReadAndWalk(benchmark::State& state) {
    const std::string& bytes = answer(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        JSON doc = JSON::fromData(bytes);
        std::size_t total = 0;
        for (const Key& key : imageKeys) total += readMember(doc, key);
        total += doc["AutoTrigger"].bool_().value_or(false);
        for (const JSON& action : doc["Actions"].arrayValue()) {
            for (const Key& key : actionKeys) total += readMember(action, key);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

// The same walk with every member read by its full path from the top.
void BM_JsonReadAndWalkFullPaths(benchmark::State& state) {
    const std::string& bytes = answer(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        JSON doc = JSON::fromData(bytes);
        std::size_t total = 0;
        for (const Key& key : imageKeys) total += readMember(doc, key);
        total += doc["AutoTrigger"].bool_().value_or(false);
        std::size_t count = doc["Actions"].arrayValue().size();
        for (std::size_t i = 0; i < count; ++i) {
            for (const Key& key : actionKeys) {
                if (key.text) {
                    auto text = doc[{"Actions", i, key.name}].string();
                    total += text ? text->size() : 0;
                } else {
                    total += static_cast<std::size_t>(doc[{"Actions", i, key.name}].int_().value_or(0));
                }
            }
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// Reading alone.
void BM_JsonRead(benchmark::State& state) {
    const std::string& bytes = answer(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        JSON doc = JSON::fromData(bytes);
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// The plain DOM parse of the same bytes, with a parser kept between documents.
void BM_SimdjsonDomParse(benchmark::State& state) {
    const std::string& bytes = answer(static_cast<int>(state.range(0)));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        auto doc = parser.parse(bytes.data(), bytes.size(), true);
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

std::size_t readMember(simdjson::dom::element object, const Key& key) {
    auto member = object[key.name];
    if (key.text) {
        std::string_view text;
        return member.get(text) ? 0 : text.size();
    }
    std::int64_t number = 0;
    return member.get(number) ? 0 : static_cast<std::size_t>(number);
}

// The DOM parse plus the same walk as BM_JsonReadAndWalk, by key lookups.
void BM_SimdjsonDomParseAndWalk(benchmark::State& state) {
    const std::string& bytes = answer(static_cast<int>(state.range(0)));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element doc = parser.parse(bytes.data(), bytes.size(), true).value();
        std::size_t total = 0;
        for (const Key& key : imageKeys) total += readMember(doc, key);
        bool autoTrigger = false;
        total += doc["AutoTrigger"].get(autoTrigger) ? 0 : autoTrigger;
        simdjson::dom::array actions;
        if (!doc["Actions"].get(actions)) {
            for (simdjson::dom::element action : actions) {
                for (const Key& key : actionKeys) total += readMember(action, key);
            }
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

}  // namespace

BENCHMARK(BM_JsonReadAndWalk)->Arg(10)->Arg(1000);
BENCHMARK(BM_JsonReadAndWalkFullPaths)->Arg(10)->Arg(1000);
BENCHMARK(BM_JsonRead)->Arg(10)->Arg(1000);
BENCHMARK(BM_SimdjsonDomParse)->Arg(10)->Arg(1000);
BENCHMARK(BM_SimdjsonDomParseAndWalk)->Arg(10)->Arg(1000);

BENCHMARK_MAIN();
