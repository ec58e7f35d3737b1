// The JSON value: kinds, errors, construction from bytes, text and values.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "vistrel/core/json/json.hpp"

namespace vistrel {
namespace {

// What the reader refuses (and why) is the platform reader's to test; here, that any
// refused text becomes null without an error on the value.
TEST(JsonValueKinds, TextReadsAsKindWithoutError) {
    struct Case { std::string text; Type type; };
    const std::vector<Case> cases = {
        {"true", Type::bool_},        {" -3.5e2 ", Type::number}, {"\"x\"", Type::string},
        {"null", Type::null},         {"[]", Type::array},        {"{}", Type::dictionary},
        {"{", Type::null},            {"", Type::null},           {"1 2", Type::null},
        {"\"\xff\"", Type::null},     {"\"\\ud800\"", Type::null}, {"\"a\tb\"", Type::null},
    };
    for (const Case& c : cases) {
        JSON json = JSON::parseJSON(c.text);
        EXPECT_EQ(std::tuple(json.type(), json.error().has_value()), std::tuple(c.type, false)) << c.text;
    }
}

TEST(JsonValue, ReaderErrorArrivesOnlyThroughThePointer) {
    struct Case { std::string text; ReadingOptions options; Type type; bool error; };
    const std::vector<Case> cases = {
        {"{", ReadingOptions::allowFragments, Type::null, true},
        {"[1]", ReadingOptions::allowFragments, Type::array, false},
        {"12", ReadingOptions::none, Type::null, true},  // without fragments a bare number is refused
    };
    for (const auto& c : cases) {
        std::optional<JSONError> error;
        JSON json = JSON::fromData(c.text, c.options, &error);
        EXPECT_EQ(std::tuple(json.type(), json.error().has_value(), error.has_value()),
                  std::tuple(c.type, false, c.error)) << c.text;
        EXPECT_FALSE(error && error->localizedDescription.empty());
    }
    EXPECT_EQ(JSON::fromData("12").type(), Type::number);
}

TEST(JsonValue, ConstructionFromValuesClassifies) {
    JSON literal = "{\"a\":1}";  // a string literal, even one holding JSON text, stays a string (not a bool)
    EXPECT_EQ(std::tuple(literal.string(), JSON(static_cast<const char*>(nullptr)).type(),
                         JSON(std::uint64_t(UINT64_MAX)).uInt64()),
              std::tuple("{\"a\":1}", Type::null, UINT64_MAX));
    EXPECT_EQ(JSON::dictionaryLiteral({{"k", 1}, {"j", "x"}, {"k", 2}})["k"].int_(), 2);  // the last pair wins
}

// Values of kinds JSON lacks (property-list identifiers, data, dates) are unknown.
TEST(JsonValue, ValuesOfOtherKindsAreUnknownWithUnsupportedTypeError) {
    for (const platform::Value& other :
         {platform::Value(platform::Opaque{"uid", "7"}), platform::Value(platform::Bytes{1, 2}),
          platform::Value(platform::Date(std::chrono::seconds(1)))}) {
        JSON json(other);
        ASSERT_TRUE(json.error());
        EXPECT_EQ(std::tuple(json.type(), json.error()->domain, json.error()->code, json.error()->localizedDescription),
                  std::tuple(Type::unknown, "PliantJSONErrorDomain", 999, "It is a unsupported type"));
        EXPECT_FALSE(JSON::fromRawValue(other));
        EXPECT_EQ(JSON(platform::Value(platform::Array{other}))[0].error()->code, 999);
        json.setObject("text");  // assigning a text afterwards clears the error
        EXPECT_EQ(std::tuple(json.type(), json.error().has_value()), std::tuple(Type::string, false));
    }
}

}  // namespace
}  // namespace vistrel
