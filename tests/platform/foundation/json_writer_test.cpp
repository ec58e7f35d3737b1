// The JSON writer: the platform format, escapes, numbers and the validity test.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/json_reader.hpp"
#include "vistrel/platform/foundation/json_writer.hpp"

namespace platform::json {
namespace {

Value parsed(std::string_view text) { return *read(text); }

TEST(JsonWriter, CompactAndPretty) {
    Value v = parsed(R"({"b":[1,{"c":null}],"a":{},"d":[]})");
    EXPECT_EQ(write(v), R"({"a":{},"b":[1,{"c":null}],"d":[]})");
    EXPECT_EQ(write(v, WritingOptions::prettyPrinted),
              "{\n  \"a\" : {},\n  \"b\" : [\n    1,\n    {\n      \"c\" : null\n    }\n  ],\n"
              "  \"d\" : []\n}");
}

TEST(JsonWriter, StringEscapes) {
    for (auto [text, written] : std::vector<std::pair<std::string, std::string>>{
             {"plain", "\"plain\""}, {"q\"b\\s/", R"("q\"b\\s\/")"}, {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
             {std::string("\x01\x1f\0", 3), R"("\u0001\u001f\u0000")"}, {"\x7f é 😀", "\"\x7f é 😀\""}}) {
        std::string out;
        EXPECT_TRUE(appendQuoted(out, text));
        EXPECT_EQ(out, written);
    }
    std::string out;
    EXPECT_TRUE(appendQuoted(out, "a/b", WritingOptions::withoutEscapingSlashes));
    EXPECT_EQ(out, "\"a/b\"");
    out.clear();
    EXPECT_FALSE(appendQuoted(out, "\xc3"));
    EXPECT_FALSE(appendQuoted(out, "\xed\xa0\x80"));  // an encoded surrogate
    EXPECT_TRUE(out.empty());
}

TEST(JsonWriter, Numbers) {
    struct Case { Number number; std::string json; std::string text; };
    const std::vector<Case> cases = {
        {Number::fromInt(-42), "-42", "-42"}, {Number::fromUInt(UINT64_MAX), "18446744073709551615", "18446744073709551615"},
        {Number::fromDouble(0.1), "0.1", "0.1"}, {Number::fromDouble(3.0), "3", "3"},
        {Number::fromDouble(-0.0), "-0", "-0"}, {Number::fromDouble(1e300), "1e+300", "1e+300"},
        {Number::fromBool(true), "true", "1"}, {Number::fromBool(false), "false", "0"},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_TRUE(appendNumber(out, c.number));
        EXPECT_EQ(out, c.json);
        EXPECT_EQ(numberText(c.number), c.text);
    }
    std::string out;
    EXPECT_FALSE(appendNumber(out, Number::fromDouble(std::nan(""))));
    EXPECT_FALSE(appendNumber(out, Number::fromDouble(-INFINITY)));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(numberText(Number::fromDouble(std::nan(""))), "nan");
    EXPECT_EQ(numberText(Number::fromDouble(-INFINITY)), "-inf");
}

TEST(JsonWriter, ValidityTest) {
    Dictionary badKey;
    badKey.set("\xff", Value());
    for (const auto& [value, valid] : std::vector<std::pair<Value, bool>>{
             {parsed("[]"), true}, {parsed(R"({"a":[null,1,"x"]})"), true}, {parsed("1"), false},
             {Value(), false}, {Value(Array{Value(Opaque{"uid", ""})}), false},
             {Value(Array{Value(platform::Bytes{})}), false}, {Value(Array{Number::fromDouble(INFINITY)}), false},
             {Value(Array{Value("\xff")}), false}, {Value(badKey), false}}) {
        EXPECT_EQ(isValidJSONObject(value), valid);
        EXPECT_EQ(write(value).has_value(), valid);
    }
    EXPECT_FALSE(isValidJSONObject(Value("x")));
    EXPECT_TRUE(isValidJSONObject(Value("x"), WritingOptions::fragmentsAllowed));
    EXPECT_EQ(write(Value("x"), WritingOptions::fragmentsAllowed), "\"x\"");
}

TEST(JsonWriter, WritesExactlyWhatTheReaderTakes) {
    Value v = Number::fromInt(0);
    for (std::size_t i = 0; i < maxDepth; ++i) v = Value(Array{v});
    EXPECT_TRUE(isValidJSONObject(v));
    auto text = write(v);
    ASSERT_TRUE(text);
    EXPECT_TRUE(read(*text));
    Value deeper = Value(Array{v});
    EXPECT_FALSE(isValidJSONObject(deeper));
    EXPECT_FALSE(write(deeper));
}

}  // namespace
}  // namespace platform::json
