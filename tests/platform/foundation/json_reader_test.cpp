// The JSON reader: what it accepts and refuses, and why.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "vistrel/platform/foundation/json_reader.hpp"

namespace platform::json {
namespace {

// Nested `levels` deep, innermost holding a number, or empty.
std::string nested(std::size_t levels, bool objects, bool emptyInside) {
    std::string open, close;
    for (std::size_t i = 0; i < levels; ++i) {
        open += objects ? (i + 1 < levels ? "{\"k\":" : "{") : "[";
        close += objects ? "}" : "]";
    }
    if (!emptyInside) open += objects ? "\"n\":1" : "1";
    return open + close;
}

struct Refusal { std::string text; ReadErrorCode code; };

TEST(JsonReader, RefusesWithReasons) {
    using C = ReadErrorCode;
    const std::vector<Refusal> cases = {
        {"", C::empty},           {" \n", C::empty},         {"{", C::syntax},
        {"[1,]", C::syntax},      {"tru", C::syntax},        {"[1] [2]", C::syntax},
        {"\"\xff\"", C::encoding}, {"[\"\xe2\x82\"]", C::encoding}, {"\"\\ud800\"", C::string},
        {"\"\\udfff\"", C::string}, {"\"\\ud800\\ud800\"", C::string}, {"\"a\nb\"", C::string},
        {"01", C::number},        {"1e400", C::number},      {"-1e999", C::number},
        {std::string(600, '9') + "e0", C::number},
        {std::string(513, '[') + std::string(513, ']'), C::tooDeep},
        {std::string(5000, '[') + std::string(5000, ']'), C::tooDeep},
    };
    for (const auto& c : cases) {
        ReadError error;
        std::string shown = c.text.substr(0, 40);
        EXPECT_FALSE(read(c.text, ReadingOptions::allowFragments, &error)) << shown;
        EXPECT_EQ(error.code, c.code) << shown;
        EXPECT_FALSE(error.message.empty());
    }
    ReadError error;
    EXPECT_FALSE(read("1", ReadingOptions::none, &error));
    EXPECT_EQ(error.code, ReadErrorCode::fragment);
    EXPECT_TRUE(read("[1]", ReadingOptions::none));
}

TEST(JsonReader, NumbersKeepTheirKind) {
    auto value = read(R"([0, -0, 1.5, true, false, 9223372036854775807, 9223372036854775808,
                          18446744073709551616, -9223372036854775809, 1e-400, 2E+2])");
    ASSERT_TRUE(value);
    const Array& a = *value->array();
    using K = Number::Kind;
    std::vector<std::pair<K, bool>> kinds;
    for (const Value& v : a) kinds.emplace_back(v.number()->kind(), v.number()->isBool());
    EXPECT_EQ(kinds, (std::vector<std::pair<K, bool>>{
                         {K::Int, false}, {K::Int, false}, {K::Double, false}, {K::Int, true},
                         {K::Int, true}, {K::Int, false}, {K::UInt, false}, {K::Double, false},
                         {K::Double, false}, {K::Double, false}, {K::Double, false}}));
    EXPECT_EQ(a[7].number()->doubleValue(), 18446744073709551616.0);
    EXPECT_EQ(a[9].number()->doubleValue(), 0.0);
}

TEST(JsonReader, LargeIntegersInStringsAndKeysStayText) {
    auto value = read(R"({"18446744073709551616": "99999999999999999999", "n": 99999999999999999999})");
    ASSERT_TRUE(value);
    const Dictionary& d = *value->dictionary();
    EXPECT_EQ(*d.find("18446744073709551616")->string(), "99999999999999999999");
    EXPECT_DOUBLE_EQ(d.find("n")->number()->doubleValue(), 1e20);
    // Escaped quotes do not confuse which digits are inside strings.
    auto tricky = read(R"(["\"", 99999999999999999999, "\\", "x\"18446744073709551616"])");
    ASSERT_TRUE(tricky);
    EXPECT_EQ(*(*tricky->array())[3].string(), "x\"18446744073709551616");
}

TEST(JsonReader, StringsAndObjects) {
    auto value = read("\xEF\xBB\xBF{\"b\":\"\\u00e9\\ud83d\\ude00\\u0000\",\"a\":[],\"b\":\"last\"}");
    ASSERT_TRUE(value);
    const Dictionary& d = *value->dictionary();
    EXPECT_EQ(d.size(), 2u);
    EXPECT_EQ(*d.find("b")->string(), "last");  // of duplicate keys the last wins
    auto text = read(R"("\u00e9\ud83d\ude00\u0000\/")");
    ASSERT_TRUE(text);
    EXPECT_EQ(*text->string(), std::string("\xc3\xa9\xf0\x9f\x98\x80\0/", 8));
}

TEST(JsonReader, DepthLimitIsExact) {
    for (bool objects : {false, true}) {
        for (std::size_t depth : {std::size_t(1), std::size_t(511), maxDepth})
            EXPECT_TRUE(read(nested(depth, objects, false))) << depth;
        EXPECT_FALSE(read(nested(maxDepth + 1, objects, false)));
        EXPECT_FALSE(read(nested(maxDepth + 1, objects, true)));
    }
}

TEST(JsonReader, ReusesItsParserAcrossSizes) {
    std::string big = std::string(1, '[').append(3 << 20, ' ').append("1]");
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(read(big));
        EXPECT_TRUE(read("[2]"));
    }
}

// ---- Views: the same verdict and the same values, without conversion ----

// The view shows what the value holds: kind, text, number, and members by key.
void expectSameValue(const ValueView& view, const Value& value, const std::string& where) {
    ASSERT_EQ(view.type(), value.type()) << where;
    EXPECT_EQ(view.string(), value.string() ? std::optional<std::string_view>(*value.string()) : std::nullopt)
        << where;
    const Number* n = value.number();
    EXPECT_TRUE(n ? view.number() && *view.number() == *n && view.number()->kind() == n->kind() : !view.number())
        << where;
    if (const Dictionary* members = value.dictionary()) {
        for (const auto& [key, member] : *members) {
            std::optional<ValueView> found = view.member(key);
            ASSERT_TRUE(found) << where << "." << key;
            expectSameValue(*found, member, where + "." + key);
        }
        EXPECT_FALSE(view.member("no such key")) << where;
    } else {
        EXPECT_FALSE(view.member("k")) << where;
    }
    if (const platform::Array* items = value.array()) {
        std::vector<ValueView> elements(view.elements(nullptr, 0));
        ASSERT_EQ(elements.size(), items->size()) << where;
        // Asked for fewer than there are, the count is the same and only those are given.
        if (!elements.empty()) {
            EXPECT_EQ(view.elements(elements.data(), 1), items->size()) << where;
        }
        view.elements(elements.data(), elements.size());
        for (std::size_t i = 0; i < items->size(); ++i)
            expectSameValue(elements[i], (*items)[i], where + "[" + std::to_string(i) + "]");
    } else {
        EXPECT_EQ(view.elements(nullptr, 0), 0u) << where;
    }
}

TEST(JsonReaderView, SameVerdictAndValuesAsReading) {
    std::vector<std::string> texts = {
        R"({"a": "x", "b": {"c": [1, 2], "d": null, "e": true}, "f": -1.5, "g": 18446744073709551615})",
        R"({"k": 1, "k": "last", "m": {"k": 1}, "m": {"j": 2}})",
        "\xEF\xBB\xBF{\"bom\": 1}",
        R"({"big": 123456789012345678901234567890, "neg": -99999999999999999999})",
        R"({"e\u0301": "\u00e9", "": ""})",
        "\"text\"", "12", "null", "[]", "", "{\"a\":", "{\"a\": 1e400}", "{\"a\": \"\\ud800\"}", "{\"a\": \"\xff\"}",
        std::string(1, '[').append(600, '9').append("e0]"),
    };
    // Around the depth limit, where the viewing parser and the reader count differently.
    for (std::size_t levels : {std::size_t(510), std::size_t(511), std::size_t(512), std::size_t(513),
                               std::size_t(1024), std::size_t(1025)})
        for (bool objects : {false, true})
            for (bool empty : {false, true}) texts.push_back(nested(levels, objects, empty));
    texts.push_back(nested(600, false, false) + "x");

    for (const auto& text : texts)
    for (ReadingOptions options : {ReadingOptions::allowFragments, ReadingOptions::none}) {
        const std::string shown = text.substr(0, 40) + " (" + std::to_string(text.size()) + " bytes)";
        ReadError readError, viewError;
        std::optional<Value> value = read(text, options, &readError);
        int calls = 0;
        bool viewed = readView(
            text,
            [&](const ValueView& root) {
                ++calls;
                ASSERT_TRUE(value) << shown;
                expectSameValue(root, *value, "root");
                EXPECT_EQ(root.value(), *value) << shown;
            },
            options, &viewError);
        EXPECT_EQ(viewed, value.has_value()) << shown;
        EXPECT_EQ(calls, viewed ? 1 : 0) << shown;
        if (!value) {
            EXPECT_EQ(viewError.code, readError.code) << shown;
        }
    }
}

TEST(JsonReaderView, ViewStaysValidWhileItsUserReads) {
    const std::string outer = R"({"name": "outer", "inner": "{\"name\": \"inner\"}"})";
    std::string seen;
    EXPECT_TRUE(readView(outer, [&](const ValueView& root) {
        std::string_view innerText = *root.member("inner")->string();
        // Another view and a reading in the middle of this one leave it intact.
        EXPECT_TRUE(readView(innerText, [&](const ValueView& inner) { seen += *inner.member("name")->string(); }));
        EXPECT_TRUE(read(nested(50, true, false) + " "));
        EXPECT_TRUE(readView(nested(512, false, false), [](const ValueView&) {}));
        seen.append(",").append(*root.member("name")->string());
    }));
    EXPECT_EQ(seen, "inner,outer");
}

}  // namespace
}  // namespace platform::json
