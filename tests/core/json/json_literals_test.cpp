// Literals and raw values.
#include <gtest/gtest.h>

#include "core/json/json.hpp"

namespace vistrel {
namespace {

TEST(JsonLiterals, EachLiteralGivesItsKind) {
    JSON text = "{\"a\":1}";  // a string literal holding JSON text stays a string
    EXPECT_EQ(text.type(), Type::string);
    EXPECT_EQ(text.string(), "{\"a\":1}");
    JSON integer = 1;
    JSON floating = 1.0;
    JSON flag = true;
    JSON nil = nullptr;
    EXPECT_EQ(integer.type(), Type::number);
    EXPECT_EQ(floating.type(), Type::number);
    EXPECT_EQ(flag.type(), Type::bool_);
    EXPECT_EQ(nil.type(), Type::null);
    EXPECT_FALSE(nil.error());
    EXPECT_EQ(integer, floating);
    EXPECT_NE(flag, integer);
}

TEST(JsonLiterals, ArrayAndDictionaryLiterals) {
    JSON list = JSON::arrayLiteral({1, "two", false, nullptr, JSON::arrayLiteral({})});
    ASSERT_EQ(list.type(), Type::array);
    EXPECT_EQ(list[1].string(), "two");
    EXPECT_EQ(list[2].type(), Type::bool_);
    EXPECT_EQ(list[3].type(), Type::null);
    EXPECT_EQ(list[4].arrayValue().size(), 0u);

    JSON object = JSON::dictionaryLiteral({{"k", 1}, {"j", "x"}, {"k", 2}});
    ASSERT_EQ(object.type(), Type::dictionary);
    EXPECT_EQ(object.dictionaryValue().size(), 2u);
    EXPECT_EQ(object["k"].int_(), 2);  // the last pair wins
    EXPECT_EQ(JSON::dictionaryLiteral({}).type(), Type::dictionary);
    EXPECT_EQ(JSON::arrayLiteral({}).type(), Type::array);
}

TEST(JsonLiterals, RawValues) {
    auto fromText = JSON::fromRawValue(platform::Value("x"));
    ASSERT_TRUE(fromText);
    EXPECT_EQ(fromText->string(), "x");
    EXPECT_EQ(*fromText->rawValue().string(), "x");
    EXPECT_FALSE(JSON::fromRawValue(platform::Value(platform::Opaque{"date", ""})));
    EXPECT_TRUE(JSON::fromRawValue(platform::Value()));
    EXPECT_TRUE(JSON::fromRawValue(3));
    auto list = JSON::fromRawValue(JSON::parseJSON("[1]"));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->rawValue(), list->object());
}

}  // namespace
}  // namespace vistrel
