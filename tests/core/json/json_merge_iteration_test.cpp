// Merge, walking as a collection, equality and ordering.
#include <gtest/gtest.h>

#include <tuple>
#include <string>
#include <vector>

#include "vistrel/core/json/json.hpp"

namespace vistrel {
namespace {

JSON read(const std::string& text) { return JSON::parseJSON(text); }

TEST(JsonMerge, MergesObjectsDeeplyAndConcatenatesArrays) {
    struct Case { std::string target; std::string other; std::string expected; };
    const std::vector<Case> cases = {
        {R"({"a":1,"b":{"c":2,"d":[1]}})", R"({"b":{"c":3,"d":[2]},"e":true})",
         R"({"a":1,"b":{"c":3,"d":[1,2]},"e":true})"},
        {R"({"a":{"b":1}})", R"({"a":[1]})", R"({"a":[1]})"},
        {R"({"a":1})", R"({"a":null})", R"({"a":null})"},
        {"1", "2", "2"},
    };
    for (const auto& c : cases) {
        JSON target = read(c.target);
        std::optional<JSONError> error;
        EXPECT_TRUE(target.merge(read(c.other), &error) && !error);
        EXPECT_EQ(target, read(c.expected)) << target.description();
        EXPECT_EQ(read(c.target).merged(read(c.other)), read(c.expected));
    }
}

TEST(JsonMerge, DifferentKindsAtTheTopFail) {
    JSON number = read("1");
    std::optional<JSONError> error;
    EXPECT_FALSE(number.merge(JSON("x"), &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(std::tuple(error->code, error->localizedDescription),
              std::tuple(901, std::string("Couldn't merge, because the JSONs differ in type on top level.")));
    EXPECT_EQ(number, read("1"));
    EXPECT_FALSE(read("{}").merged(read("[]")));
}

// With itself, or with a copy sharing its storage: the source and other copies stay.
TEST(JsonMerge, MergingWithItselfOrACopyLeavesOtherCopiesAlone) {
    JSON object = read(R"({"a":[1],"b":{"c":[2],"d":1}})");
    JSON before = object;
    JSON list = read("[1,2]");
    JSON copy = list;
    EXPECT_TRUE(object.merge(object) && list.merge(copy));
    EXPECT_EQ(std::tuple(object, before, list, copy),
              std::tuple(read(R"({"a":[1,1],"b":{"c":[2,2],"d":1}})"), read(R"({"a":[1],"b":{"c":[2],"d":1}})"),
                         read("[1,2,1,2]"), read("[1,2]")));
}

TEST(JsonIteration, WalksArraysAndObjects) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (auto [key, value] : read(R"(["x","y"])")) pairs.emplace_back(key, *value.string());
    for (auto [key, value] : read(R"({"a":"z"})")) pairs.emplace_back(key, *value.string());
    EXPECT_EQ(pairs, (std::vector<std::pair<std::string, std::string>>{{"0", "x"}, {"1", "y"}, {"a", "z"}}));
    JSON scalar = read("\"s\"");
    EXPECT_EQ(scalar.begin(), scalar.end());
}

TEST(JsonIteration, PositionsAreSafeAndSurviveCopies) {
    JSON list = read("[10,20]");
    JSON::Index second = list.index(list.startIndex());
    JSON copy = list;
    copy.set(0, 99);
    EXPECT_EQ(std::tuple(copy[second].second.int_(), list[second].first), std::tuple(std::optional<std::intptr_t>(20), std::string("1")));

    // Null, out of range or from another kind: the empty pair; stepping stops at the end.
    for (JSON::Index bad : {JSON::Index::null(), JSON::Index::array(5), JSON::Index::dictionary(0)}) {
        auto [key, value] = list[bad];
        EXPECT_EQ(std::tuple(key, value.type(), value.error().has_value()), std::tuple("", Type::null, false));
    }
    for (JSON::Index beyond : {JSON::Index::array(9), list.endIndex(), JSON::Index::dictionary(0)})
        EXPECT_EQ(list.index(beyond), list.endIndex());
}

TEST(JsonCompare, OperatorsByKind) {
    struct Case { std::string a; std::string b; bool eq, lt, gt, le, ge; };
    const std::vector<Case> cases = {
        //  a        b        ==     <      >      <=     >=
        {"1", "1.0", true, false, false, true, true},
        {"-1", "18446744073709551615", false, true, false, true, false},
        {"9007199254740993", "9007199254740992.0", false, false, true, false, true},
        {"true", "1", false, false, false, false, false},
        {"\"a\"", "\"b\"", false, true, false, true, false},
        {"[1]", "[2]", false, false, false, false, false},
        {R"({"a":[1]})", R"({"a":[1.0]})", true, false, false, true, true},
        {"\"1\"", "1", false, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a + " and " + c.b);
        JSON a = read(c.a), b = read(c.b);
        EXPECT_EQ(std::tuple(a == b, a != b, a < b, a > b, a <= b, a >= b),
                  std::tuple(c.eq, !c.eq, c.lt, c.gt, c.le, c.ge));
    }
}

}  // namespace
}  // namespace vistrel
