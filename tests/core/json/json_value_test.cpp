// The JSON value: kinds, errors, construction from bytes, text and values.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/json/json.hpp"

namespace vistrel {
namespace {

struct TextCase { std::string text; Type type; };

TEST(JsonValueKinds, TextReadsAsKindWithoutError) {
    for (const TextCase& c : {TextCase{"true", Type::bool_}, TextCase{"false", Type::bool_},
                    TextCase{"1", Type::number}, TextCase{"0", Type::number},
                    TextCase{" -3.5e2 ", Type::number}, TextCase{"\"x\"", Type::string},
                    TextCase{"null", Type::null}, TextCase{"[]", Type::array},
                    TextCase{"{}", Type::dictionary}, TextCase{"\xEF\xBB\xBF{}", Type::dictionary},
                    // not JSON: null, no error
                    TextCase{"{", Type::null}, TextCase{"", Type::null},
                    TextCase{"   ", Type::null}, TextCase{"[1,]", Type::null},
                    TextCase{"{\"a\":1}x", Type::null}, TextCase{"1 2", Type::null},
                    TextCase{"NaN", Type::null}, TextCase{"01", Type::null},
                    TextCase{"'a'", Type::null}, TextCase{"1e400", Type::null},
                    // hostile text: invalid UTF-8, overlong forms, encoded surrogates,
                    // lone surrogate escapes, raw control characters
                    TextCase{"\"\xff\"", Type::null}, TextCase{"\"\xc0\xaf\"", Type::null},
                    TextCase{"\"\xed\xa0\x80\"", Type::null},
                    TextCase{"\"\\ud800\"", Type::null}, TextCase{"\"\\udc00\"", Type::null},
                    TextCase{"\"\\ud800\\u0041\"", Type::null},
                    TextCase{"\"\\udc00\\ud800\"", Type::null},
                    TextCase{"\"a\tb\"", Type::null}, TextCase{"\"\\x\"", Type::null},
                    TextCase{"\"\\ud83d\\ude00\"", Type::string}}) {
        JSON json = JSON::parseJSON(c.text);
        EXPECT_EQ(json.type(), c.type) << c.text;
        EXPECT_FALSE(json.error()) << c.text;
    }
}

TEST(JsonValue, ReaderErrorArrivesOnlyThroughThePointer) {
    struct Case { std::string text; ReadingOptions options; Type type; bool error; };
    const std::vector<Case> cases = {
        {"{", ReadingOptions::allowFragments, Type::null, true},
        {std::string(600, '['), ReadingOptions::allowFragments, Type::null, true},
        {"[1]", ReadingOptions::allowFragments, Type::array, false},
        {"12", ReadingOptions::none, Type::null, true},  // without fragments a bare number is refused
    };
    for (const auto& c : cases) {
        std::optional<JSONError> error;
        JSON json = JSON::fromData(c.text, c.options, &error);
        EXPECT_EQ(json.type(), c.type) << c.text;
        EXPECT_FALSE(json.error()) << c.text;
        EXPECT_EQ(error.has_value(), c.error) << c.text;
        EXPECT_FALSE(error && error->localizedDescription.empty());
    }
    EXPECT_EQ(JSON::fromData("12").type(), Type::number);
}

TEST(JsonValue, ConstructionFromValuesClassifies) {
    EXPECT_EQ(JSON("abc").string(), "abc");  // not a bool
    EXPECT_EQ(JSON(std::string("{\"a\":1}")).type(), Type::string);
    JSON literal = "{\"a\":1}";  // a string literal holding JSON text stays a string
    EXPECT_EQ(literal.string(), "{\"a\":1}");
    EXPECT_EQ(JSON(static_cast<const char*>(nullptr)).type(), Type::null);
    EXPECT_EQ(JSON(true).type(), Type::bool_);
    EXPECT_EQ(JSON(std::uint64_t(UINT64_MAX)).uInt64(), UINT64_MAX);
    EXPECT_EQ(JSON(std::optional<int>()).type(), Type::null);
    EXPECT_EQ(JSON(std::optional<int>(3)).int_(), 3);
    EXPECT_EQ(JSON::dictionaryLiteral({{"k", 1}, {"j", "x"}, {"k", 2}})["k"].int_(), 2);  // the last pair wins
}

// Values of kinds JSON lacks (property-list identifiers, data, dates) are unknown.
TEST(JsonValue, ValuesOfOtherKindsAreUnknownWithUnsupportedTypeError) {
    for (const platform::Value& other :
         {platform::Value(platform::Opaque{"uid", "7"}), platform::Value(platform::Bytes{1, 2}),
          platform::Value(platform::Date(std::chrono::seconds(1)))}) {
        JSON json(other);
        EXPECT_EQ(json.type(), Type::unknown);
        ASSERT_TRUE(json.error());
        EXPECT_EQ(json.error()->domain, "PliantJSONErrorDomain");
        EXPECT_EQ(json.error()->code, 999);
        EXPECT_EQ(json.error()->localizedDescription, "It is a unsupported type");
        EXPECT_TRUE(json.object().isNull());
        EXPECT_TRUE(json.exists());
        EXPECT_FALSE(JSON::fromRawValue(other));
        EXPECT_EQ(JSON(platform::Value(platform::Array{other}))[0].error()->code, 999);

        // Assigning a text afterwards clears the error.
        json.setObject("text");
        EXPECT_EQ(json.type(), Type::string);
        EXPECT_FALSE(json.error());
    }
}

TEST(JsonValue, NestedJSONValuesAreStoredAsTheirObjects) {
    JSON unknown(platform::Value(platform::Opaque{"date", ""}));
    JSON object(std::map<std::string, JSON>{{"u", unknown}, {"a", JSON::parseJSON("[1]")}});
    EXPECT_EQ(object["a"].type(), Type::array);
    EXPECT_EQ(object["u"].type(), Type::null);
    EXPECT_FALSE(object["u"].error());
    EXPECT_TRUE(object.object().dictionary()->find("u")->isNull());
}

}  // namespace
}  // namespace vistrel
