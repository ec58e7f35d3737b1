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

struct MergeCase { std::string target; std::string other; std::string expected; };

class JsonMerge : public testing::TestWithParam<MergeCase> {};

TEST_P(JsonMerge, MergesObjectsDeeplyAndConcatenatesArrays) {
    const MergeCase& c = GetParam();
    JSON target = read(c.target);
    std::optional<JSONError> error;
    EXPECT_TRUE(target.merge(read(c.other), &error));
    EXPECT_FALSE(error);
    EXPECT_EQ(target, read(c.expected)) << target.description();
    auto merged = read(c.target).merged(read(c.other));
    ASSERT_TRUE(merged);
    EXPECT_EQ(*merged, read(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonMerge,
    testing::Values(
        MergeCase{R"({"a":1,"b":{"c":2,"d":[1]}})", R"({"b":{"c":3,"d":[2]},"e":true})",
                  R"({"a":1,"b":{"c":3,"d":[1,2]},"e":true})"},
        MergeCase{"[3]", "[1,2]", "[3,1,2]"},
        MergeCase{R"({"a":1})", R"({"a":"x"})", R"({"a":"x"})"},
        MergeCase{R"({"a":{"b":1}})", R"({"a":[1]})", R"({"a":[1]})"},
        MergeCase{R"({"a":{"b":{"c":{"d":1}}}})", R"({"a":{"b":{"c":{"e":2}},"f":3}})",
                  R"({"a":{"b":{"c":{"d":1,"e":2}},"f":3}})"},
        MergeCase{R"({"a":1})", R"({"a":null})", R"({"a":null})"},
        MergeCase{"1", "2", "2"}, MergeCase{"null", "null", "null"}));

TEST(JsonMerge, DifferentKindsAtTheTopFail) {
    JSON number = read("1");
    std::optional<JSONError> error;
    EXPECT_FALSE(number.merge(JSON("x"), &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, "PliantJSONErrorDomain");
    EXPECT_EQ(error->code, 901);
    EXPECT_EQ(error->localizedDescription,
              "Couldn't merge, because the JSONs differ in type on top level.");
    EXPECT_EQ(number, read("1"));
    EXPECT_FALSE(read("true").merged(read("1")));
    EXPECT_FALSE(read("{}").merged(read("[]")));
}

TEST(JsonMerge, MergingAValueWithItselfWorks) {
    JSON object = read(R"({"a":[1],"b":{"c":[2],"d":1}})");
    EXPECT_TRUE(object.merge(object));
    EXPECT_EQ(object, read(R"({"a":[1,1],"b":{"c":[2,2],"d":1}})"));
    JSON list = read("[1,2]");
    EXPECT_TRUE(list.merge(list));
    EXPECT_EQ(list, read("[1,2,1,2]"));
    JSON copy = list;
    EXPECT_TRUE(list.merge(copy));
    EXPECT_EQ(copy, read("[1,2,1,2]"));  // the source is untouched
}

TEST(JsonMerge, MergeLeavesSourcesAndOtherCopiesAlone) {
    JSON target = read(R"({"a":{"b":[1]}})");
    JSON before = target;
    JSON other = read(R"({"a":{"b":[2],"c":1}})");
    JSON otherBefore = other;
    EXPECT_TRUE(target.merge(other));
    EXPECT_EQ(before, read(R"({"a":{"b":[1]}})"));
    EXPECT_EQ(other, otherBefore);
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

    auto [key, value] = list[JSON::Index::null()];
    EXPECT_EQ(key, "");
    EXPECT_EQ(value.type(), Type::null);
    EXPECT_FALSE(value.error());
    // Out of range or from another kind: the empty pair; stepping stops at the end.
    EXPECT_EQ(list[JSON::Index::array(5)].first, "");
    EXPECT_EQ(list[JSON::Index::dictionary(0)].first, "");
    EXPECT_EQ(list.index(JSON::Index::array(9)), list.endIndex());
    EXPECT_EQ(list.index(list.endIndex()), list.endIndex());
    EXPECT_EQ(list.index(JSON::Index::dictionary(0)), list.endIndex());
    EXPECT_EQ(list.endIndex(), JSON::Index::array(2));

    JSON object = read(R"({"a":1})");
    EXPECT_EQ(object[object.startIndex()].first, "a");
    EXPECT_EQ(object.index(object.startIndex()), object.endIndex());
}

TEST(JsonIteration, IndexComparison) {
    using I = JSON::Index;
    EXPECT_TRUE(I::array(1) < I::array(2));
    EXPECT_FALSE(I::array(2) < I::array(2));
    EXPECT_TRUE(I::null() == I::null());
    EXPECT_TRUE(I::null() <= I::null());
    EXPECT_FALSE(I::array(0) == I::dictionary(0));
    EXPECT_FALSE(I::array(0) < I::dictionary(1));
    EXPECT_TRUE(I::array(0) <= I::dictionary(1));  // <= and >= follow from <
    EXPECT_TRUE(I::array(0) >= I::dictionary(1));
}

struct CompareCase { std::string a; std::string b; bool eq, lt, gt, le, ge; };

class JsonCompare : public testing::TestWithParam<CompareCase> {};

TEST_P(JsonCompare, OperatorsByKind) {
    const CompareCase& c = GetParam();
    JSON a = read(c.a), b = read(c.b);
    EXPECT_EQ(a == b, c.eq) << c.a << " == " << c.b;
    EXPECT_EQ(a != b, !c.eq) << c.a << " != " << c.b;
    EXPECT_EQ(a < b, c.lt) << c.a << " < " << c.b;
    EXPECT_EQ(a > b, c.gt) << c.a << " > " << c.b;
    EXPECT_EQ(a <= b, c.le) << c.a << " <= " << c.b;
    EXPECT_EQ(a >= b, c.ge) << c.a << " >= " << c.b;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonCompare,
    testing::Values(
        //          a        b        ==     <      >      <=     >=
        CompareCase{"1", "1.0", true, false, false, true, true},
        CompareCase{"1", "2", false, true, false, true, false},
        CompareCase{"-1", "18446744073709551615", false, true, false, true, false},
        CompareCase{"9007199254740993", "9007199254740992.0", false, false, true, false, true},
        CompareCase{"18446744073709551615", "18446744073709551616", false, true, false, true,
                    false},
        CompareCase{"true", "1", false, false, false, false, false},
        CompareCase{"false", "true", false, false, false, false, false},
        CompareCase{"\"a\"", "\"b\"", false, true, false, true, false},
        CompareCase{"[1]", "[2]", false, false, false, false, false},
        CompareCase{"[1]", "[1.0]", true, false, false, true, true},
        CompareCase{"[true]", "[1]", false, false, false, false, false},
        CompareCase{R"({"a":[1]})", R"({"a":[1]})", true, false, false, true, true},
        CompareCase{R"({"a":1})", R"({"b":1})", false, false, false, false, false},
        CompareCase{"null", "0", false, false, false, false, false},
        CompareCase{"\"1\"", "1", false, false, false, false, false}));

TEST(JsonCompare, UnknownValuesAreNeverEqual) {
    JSON u(platform::Value(platform::Opaque{"date", "same"}));
    EXPECT_FALSE(u == u);
    EXPECT_FALSE(u <= u);
    EXPECT_TRUE(u != u);
}

TEST(JsonCompare, NaNIsUnordered) {
    JSON nan;
    nan.setDouble(std::numeric_limits<double>::quiet_NaN());
    EXPECT_FALSE(nan == nan);
    EXPECT_FALSE(nan < read("1"));
    EXPECT_FALSE(nan <= read("1"));
    EXPECT_FALSE(read("1") >= nan);
}

TEST(JsonCompare, SortsNumbersAndTexts) {
    std::vector<JSON> values{read("3"), read("1.5"), read("-2"), read("10")};
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<JSON>{read("-2"), read("1.5"), read("3"), read("10")}));
}

}  // namespace
}  // namespace vistrel
