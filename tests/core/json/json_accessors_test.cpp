// Typed accessors: optional readings, defaulting readings with conversions, setters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "vistrel/core/json/json.hpp"

namespace vistrel {
namespace {

JSON read(const std::string& text) { return JSON::parseJSON(text); }

TEST(JsonAccessors, OptionalReadingsNeverConvertBetweenKinds) {
    EXPECT_FALSE(read("12").string() || read("\"12\"").int_() || read("\"true\"").bool_() || read("1").bool_() ||
                 read(R"({"a":1})").array() || read("[]").dictionary());
    EXPECT_EQ(read("true").int_(), 1);  // a Boolean is a number
    EXPECT_FALSE(read("true").number()->isBool());  // the number object of a Boolean is plain
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
        EXPECT_EQ(std::tuple(json.intValue(), json.doubleValue(), json.stringValue()),
                  std::tuple(c.intValue, c.doubleValue, c.stringValue)) << c.text;
    }
    EXPECT_EQ(std::tuple(read(R"("18446744073709551615")").uInt64Value(), read(R"("-9223372036854775808")").int64Value(),
                         read("18446744073709551615").stringValue()),
              std::tuple(UINT64_MAX, INT64_MIN, "18446744073709551615"));
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
    JSON unknown(platform::Value(platform::Opaque{"date", ""}));  // unknown is not null here
    EXPECT_EQ(std::tuple(doc["missing"].exists(), doc["a"].exists(), unknown.null().has_value(), unknown.exists()),
              std::tuple(false, true, false, true));
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
        EXPECT_EQ(std::tuple(json.int64(), json.uInt64(), json.int32Value(), json.uInt8Value(), json.int8()),
                  std::tuple(c.i64, c.u64, c.i32, c.u8, c.i8)) << c.value;
    }
    // A double beyond the float range gives the largest float, not undefined behaviour.
    // Huge numbers from service text saturate too.
    EXPECT_EQ(std::tuple(read("1e300").float_(), read("-1e300").floatValue(), read("\"1e30\"").int32Value()),
              std::tuple(std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(), INT32_MAX));
}

TEST(JsonAccessors, SettersClassifyAndClearErrors) {
    JSON j = read(R"({"a":1})")["missing"];
    ASSERT_TRUE(j.error());
    j.setString(std::nullopt);  // an absent optional clears to null, and the error with it
    EXPECT_EQ(std::tuple(j.type(), j.error().has_value()), std::tuple(Type::null, false));
    j.setNumber(platform::Number::fromBool(true));
    EXPECT_EQ(j.type(), Type::bool_);  // a Boolean number stays a Boolean
    j.setArrayObject(std::vector<JSON>{1, true, "x", JSON::parseJSON("{}")});
    EXPECT_EQ(std::tuple(j[1].type(), j[3].type()), std::tuple(Type::bool_, Type::dictionary));
}

}  // namespace
}  // namespace vistrel
