// Reading recognition answers into JSON and walking every member by path, beside a
// plain simdjson DOM parse (and walk) of the same bytes.
#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <array>
#include <string>

#include "core/json/json.hpp"

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

// A JSON string literal holding the given JSON text.
std::string asJsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// An answer in the shape the recognition service sends: image members, a style text,
// and the actions with their content and style texts, about 800 bytes each.
std::string makeAnswer(int actions) {
    const std::string style =
        R"j({"model":"default","icon":{"display":"true","color":"#FFFFFF","size":"24",)j"
        R"j("position":"left"},"text":{"color":"#FFFFFF","font-size":"16","font-weight":)j"
        R"j("bold","font-style":"normal","hposition":"center","vposition":"middle"},)j"
        R"j("button":{"background-color":"rgba(0, 0, 0, 0.5)","opacity":"0.9","radius":"8",)j"
        R"j("height":"16x9","display":"true","image-size":"cover"}})j";
    std::string out = R"j({"Id":"5f1c2a9e-4b7d-4e2a-9c1f-image","Order":2,"Title":"Spring catalogue",)j"
                      R"j("SessionId":"b7d4e0c2-1111-4222-8333-session","DocumentId":"doc-42",)j"
                      R"j("AutoTrigger":false,"LanguageCode":"fr",)j"
                      R"j("BigThumbnailUrl":"https://example.com/thumbs/big/5f1c2a9e.jpg",)j"
                      R"j("TitleStyle":)j" +
                      asJsonString(style) + R"j(,"Actions":[)j";
    for (int i = 0; i < actions; ++i) {
        if (i > 0) out += ',';
        std::string n = std::to_string(i);
        std::string content = R"j({"Url":"https://example.com/spring/catalogue/item/)j" + n +
                              R"j(?ref=scan&lang=fr","IsEmbeddedWebView":true,)j"
                              R"j("Text":"Browse the new spring collection: jackets, shirts )j"
                              R"j(and shoes, with prices valid until the end of May.",)j"
                              R"j("IsAnonymousURL":false,"ContentType":"text/html"})j";
        out += R"j({"Id":"action-)j" + n + R"j(-7c1e","Order":)j" + n + R"j(,"Icon":)j" +
               R"j("https://example.com/icons/web-)j" + n + R"j(.png","Priority":)j" +
               std::to_string(i % 3) + R"j(,"Name":"Visit our site )j" + n +
               R"j(","LanguageCode":"fr","BackgroundImage":"https://example.com/bg/)j" + n +
               R"j(.png","Type":"URL","Content":)j" + asJsonString(content) +
               R"j(,"Style":)j" + asJsonString(style) + "}";
    }
    return out + "]}";
}

const std::string& answer(int actions) {
    static const std::string small = makeAnswer(10);
    static const std::string large = makeAnswer(1000);
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
