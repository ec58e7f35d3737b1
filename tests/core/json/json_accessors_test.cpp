// Typed accessors: optional readings, defaulting readings with conversions, setters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/json/json.hpp"

namespace vistrel {
namespace {

JSON read(const std::string& text) { return JSON::parseJSON(text); }

TEST(JsonAccessors, OptionalReadingsNeverConvertBetweenKinds) {
    EXPECT_FALSE(read("12").string());
    EXPECT_FALSE(read("\"12\"").int_());
    EXPECT_FALSE(read("\"true\"").bool_());
    EXPECT_FALSE(read("1").bool_());
    EXPECT_EQ(read("true").int_(), 1);  // a Boolean is a number
    EXPECT_FALSE(read("true").number()->isBool());  // the number object of a Boolean is plain
    EXPECT_FALSE(read(R"({"a":1})").array());
    EXPECT_FALSE(read("[]").dictionary());
}

// Defaulting readings: numbers read from texts, texts written from numbers.
TEST(JsonAccessors, DefaultingReadingsConvert) {
    struct Case { std::string text; std::intptr_t intValue; double doubleValue; std::string stringValue; };
    const std::vector<Case> cases = {
        {R"("12.7")", 12, 12.7, "12.7"}, {R"("abc")", 0, 0.0, "abc"},      {R"("1e3")", 1000, 1000.0, "1e3"},
        {R"(" 42")", 42, 42.0, " 42"},   {R"("12abc")", 12, 12.0, "12abc"}, {"[1]", 0, 0.0, ""},
        {"null", 0, 0.0, ""},            {"true", 1, 1.0, "true"},         {"-7.9", -7, -7.9, "-7.9"},
    };
    for (const auto& c : cases) {
        JSON json = read(c.text);
        EXPECT_EQ(json.intValue(), c.intValue) << c.text;
        EXPECT_DOUBLE_EQ(json.doubleValue(), c.doubleValue) << c.text;
        EXPECT_EQ(json.stringValue(), c.stringValue) << c.text;
    }
    EXPECT_EQ(read(R"("18446744073709551615")").uInt64Value(), UINT64_MAX);
    EXPECT_EQ(read(R"("-9223372036854775808")").int64Value(), INT64_MIN);
    EXPECT_EQ(read("18446744073709551615").stringValue(), "18446744073709551615");
}

TEST(JsonAccessors, BoolValueTextTest) {
    struct Case { std::string text; bool value; };
    const std::vector<Case> cases = {
        {R"("TRUE")", true}, {R"("Y")", true}, {R"("t")", true}, {R"("yes")", false}, {R"("1")", false},
        {R"(" true")", false}, {"0.5", true},  {"0", false},     {"[1]", false},     {"null", false},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c.text).boolValue(), c.value) << c.text;
}

TEST(JsonAccessors, NullAndExists) {
    JSON doc = read(R"({"a":null})");
    EXPECT_FALSE(doc["missing"].exists());
    EXPECT_TRUE(doc["a"].exists());
    JSON unknown(platform::Value(platform::Opaque{"date", ""}));
    EXPECT_FALSE(unknown.null());  // unknown is not null here
    EXPECT_TRUE(unknown.exists());
}

TEST(JsonAccessors, Addresses) {
    struct Case { std::string text; std::optional<std::string> url; };
    const std::vector<Case> cases = {
        {"a b", "a%20b"}, {"a%20b", "a%20b"}, {"100%", "100%25"}, {"é", "%C3%A9"},
        {"https://x.org/p?q=1&r=2", "https://x.org/p?q=1&r=2"}, {"https://x.org/#frag", "https://x.org/%23frag"},
        {"a%20b c", std::nullopt},  // an escape is present, so nothing is encoded
        {"a%20b%zz", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(JSON(c.text).url(), c.url) << c.text;
    EXPECT_FALSE(read("1").url());
}

TEST(JsonAccessors, FloatingValuesSaturateAndNaNGivesZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case { double value; std::int64_t i64; std::uint64_t u64; std::int32_t i32; std::uint8_t u8; std::int8_t i8; };
    const std::vector<Case> cases = {
        {inf, INT64_MAX, UINT64_MAX, INT32_MAX, 255, 127}, {-inf, INT64_MIN, 0, INT32_MIN, 0, -128},
        {nan, 0, 0, 0, 0, 0}, {9223372036854775808.0, INT64_MAX, 9223372036854775808ull, INT32_MAX, 255, 127},
        {300.9, 300, 300, 300, 255, 127}, {-128.9, -128, 0, -128, 0, -128}, {-0.5, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        JSON json;
        json.setDouble(c.value);
        EXPECT_EQ(json.int64(), c.i64) << c.value;
        EXPECT_EQ(json.uInt64(), c.u64) << c.value;
        EXPECT_EQ(json.int32Value(), c.i32) << c.value;
        EXPECT_EQ(json.uInt8Value(), c.u8) << c.value;
        EXPECT_EQ(json.int8(), c.i8) << c.value;
    }
    // A double beyond the float range gives the largest float, not undefined behaviour.
    EXPECT_EQ(read("1e300").float_(), std::numeric_limits<float>::max());
    EXPECT_EQ(read("-1e300").floatValue(), -std::numeric_limits<float>::max());
    // Huge numbers from service text saturate too.
    EXPECT_EQ(read("\"1e30\"").int32Value(), INT32_MAX);
}

TEST(JsonAccessors, SettersClassifyAndClearErrors) {
    JSON j = read(R"({"a":1})")["missing"];
    ASSERT_TRUE(j.error());
    j.setString(std::nullopt);  // an absent optional clears to null, and the error with it
    EXPECT_EQ(j.type(), Type::null);
    EXPECT_FALSE(j.error());
    j.setNumber(platform::Number::fromBool(true));
    EXPECT_EQ(j.type(), Type::bool_);  // a Boolean number stays a Boolean
    j.setArrayObject(std::vector<JSON>{1, true, "x", JSON::parseJSON("{}")});
    EXPECT_EQ(j[1].type(), Type::bool_);
    EXPECT_EQ(j[3].type(), Type::dictionary);
}

}  // namespace
}  // namespace vistrel
