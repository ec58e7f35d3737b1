// Merge, walking as a collection, equality and ordering.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "core/json/json.hpp"

namespace vistrel {
namespace {

JSON read(const std::string& text) { return JSON::parseJSON(text); }

TEST(JsonMerge, MergesObjectsDeeplyAndConcatenatesArrays) {
    struct Case { std::string target; std::string other; std::string expected; };
    const std::vector<Case> cases = {
        {R"({"a":1,"b":{"c":2,"d":[1]}})", R"({"b":{"c":3,"d":[2]},"e":true})",
         R"({"a":1,"b":{"c":3,"d":[1,2]},"e":true})"},
        {"[3]", "[1,2]", "[3,1,2]"},
        {R"({"a":1})", R"({"a":"x"})", R"({"a":"x"})"},
        {R"({"a":{"b":1}})", R"({"a":[1]})", R"({"a":[1]})"},
        {R"({"a":{"b":{"c":{"d":1}}}})", R"({"a":{"b":{"c":{"e":2}},"f":3}})",
         R"({"a":{"b":{"c":{"d":1,"e":2}},"f":3}})"},
        {R"({"a":1})", R"({"a":null})", R"({"a":null})"},
        {"1", "2", "2"}, {"null", "null", "null"},
    };
    for (const auto& c : cases) {
        JSON target = read(c.target);
        std::optional<JSONError> error;
        EXPECT_TRUE(target.merge(read(c.other), &error));
        EXPECT_FALSE(error);
        EXPECT_EQ(target, read(c.expected)) << target.description();
        EXPECT_EQ(read(c.target).merged(read(c.other)), read(c.expected));
    }
}

TEST(JsonMerge, DifferentKindsAtTheTopFail) {
    JSON number = read("1");
    std::optional<JSONError> error;
    EXPECT_FALSE(number.merge(JSON("x"), &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 901);
    EXPECT_EQ(error->localizedDescription,
              "Couldn't merge, because the JSONs differ in type on top level.");
    EXPECT_EQ(number, read("1"));
    EXPECT_FALSE(read("true").merged(read("1")));
    EXPECT_FALSE(read("{}").merged(read("[]")));
}

// With itself, or with a copy sharing its storage: the source and other copies stay.
TEST(JsonMerge, MergingWithItselfOrACopyLeavesOtherCopiesAlone) {
    JSON object = read(R"({"a":[1],"b":{"c":[2],"d":1}})");
    JSON before = object;
    EXPECT_TRUE(object.merge(object));
    EXPECT_EQ(object, read(R"({"a":[1,1],"b":{"c":[2,2],"d":1}})"));
    EXPECT_EQ(before, read(R"({"a":[1],"b":{"c":[2],"d":1}})"));
    JSON list = read("[1,2]");
    JSON copy = list;
    EXPECT_TRUE(list.merge(copy));
    EXPECT_EQ(list, read("[1,2,1,2]"));
    EXPECT_EQ(copy, read("[1,2]"));
}

TEST(JsonIteration, WalksArraysAndObjects) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (auto [key, value] : read(R"(["x","y","z"])")) pairs.emplace_back(key, *value.string());
    EXPECT_EQ(pairs, (std::vector<std::pair<std::string, std::string>>{
                         {"0", "x"}, {"1", "y"}, {"2", "z"}}));
    std::vector<std::string> keys;
    for (auto [key, value] : read(R"({"b":1,"a":2})")) keys.push_back(key);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"a", "b"}));
    for (const std::string text : {"1", "\"s\"", "true", "null"}) {
        JSON scalar = read(text);
        EXPECT_EQ(scalar.begin(), scalar.end()) << text;
        EXPECT_EQ(scalar.startIndex(), JSON::Index::null());
    }
}

TEST(JsonIteration, PositionsAreSafeAndSurviveCopies) {
    JSON list = read("[10,20]");
    JSON::Index second = list.index(list.startIndex());
    JSON copy = list;
    copy.set(0, 99);
    EXPECT_EQ(copy[second].second.int_(), 20);
    EXPECT_EQ(list[second].first, "1");

    // Null, out of range or from another kind: the empty pair; stepping stops at the end.
    for (JSON::Index bad : {JSON::Index::null(), JSON::Index::array(5), JSON::Index::dictionary(0)}) {
        auto [key, value] = list[bad];
        EXPECT_EQ(key, "");
        EXPECT_EQ(value.type(), Type::null);
        EXPECT_FALSE(value.error());
    }
    for (JSON::Index beyond : {JSON::Index::array(9), list.endIndex(), JSON::Index::dictionary(0)})
        EXPECT_EQ(list.index(beyond), list.endIndex());

    JSON object = read(R"({"a":1})");
    EXPECT_EQ(object[object.startIndex()].first, "a");
    EXPECT_EQ(object.index(object.startIndex()), object.endIndex());
}

TEST(JsonIteration, IndexComparison) {
    using I = JSON::Index;
    EXPECT_TRUE(I::array(1) < I::array(2));
    EXPECT_FALSE(I::array(2) < I::array(2));
    EXPECT_TRUE(I::null() <= I::null());
    EXPECT_FALSE(I::array(0) == I::dictionary(0));
    EXPECT_FALSE(I::array(0) < I::dictionary(1));
    EXPECT_TRUE(I::array(0) <= I::dictionary(1));  // <= and >= follow from <
    EXPECT_TRUE(I::array(0) >= I::dictionary(1));
}

TEST(JsonCompare, OperatorsByKind) {
    struct Case { std::string a; std::string b; bool eq, lt, gt, le, ge; };
    const std::vector<Case> cases = {
        //  a        b        ==     <      >      <=     >=
        {"1", "1.0", true, false, false, true, true},
        {"1", "2", false, true, false, true, false},
        {"-1", "18446744073709551615", false, true, false, true, false},
        {"9007199254740993", "9007199254740992.0", false, false, true, false, true},
        {"18446744073709551615", "18446744073709551616", false, true, false, true, false},
        {"true", "1", false, false, false, false, false},
        {"false", "true", false, false, false, false, false},
        {"\"a\"", "\"b\"", false, true, false, true, false},
        {"[1]", "[2]", false, false, false, false, false},
        {"[1]", "[1.0]", true, false, false, true, true},
        {"[true]", "[1]", false, false, false, false, false},
        {R"({"a":[1]})", R"({"a":[1]})", true, false, false, true, true},
        {R"({"a":1})", R"({"b":1})", false, false, false, false, false},
        {"null", "0", false, false, false, false, false},
        {"\"1\"", "1", false, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a + " and " + c.b);
        JSON a = read(c.a), b = read(c.b);
        EXPECT_EQ(a == b, c.eq);
        EXPECT_EQ(a != b, !c.eq);
        EXPECT_EQ(a < b, c.lt);
        EXPECT_EQ(a > b, c.gt);
        EXPECT_EQ(a <= b, c.le);
        EXPECT_EQ(a >= b, c.ge);
    }
}

TEST(JsonCompare, UnknownValuesAreNeverEqual) {
    JSON u(platform::Value(platform::Opaque{"date", "same"}));
    EXPECT_FALSE(u == u);
    EXPECT_FALSE(u <= u);
}

TEST(JsonCompare, NaNIsUnordered) {
    JSON nan;
    nan.setDouble(std::numeric_limits<double>::quiet_NaN());
    EXPECT_FALSE(nan == nan);
    EXPECT_FALSE(nan <= read("1"));
    EXPECT_FALSE(read("1") >= nan);
}

}  // namespace
}  // namespace vistrel
