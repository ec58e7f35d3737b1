// Values far deeper than any document the reader accepts: built in code, they must
// still copy, compare, write, merge and die without exhausting the machine stack.
#include <gtest/gtest.h>

#include "core/json/json.hpp"

namespace vistrel {
namespace {

constexpr int depth = 100000;  // a recursive walk would need far more stack than a thread has

JSON deepArrays(int levels) {
    JSON value = 1;
    for (int i = 0; i < levels; ++i) value = JSON(std::vector<JSON>{value});
    return value;
}

JSON deepObjects(int levels) {
    JSON value = 1;
    for (int i = 0; i < levels; ++i) value = JSON(std::map<std::string, JSON>{{"k", value}});
    return value;
}

TEST(JsonHostile, DeepValuesCompareWithoutRecursion) {
    JSON a = deepArrays(depth);
    JSON b = deepArrays(depth);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == deepArrays(depth - 1));
}

TEST(JsonHostile, DeepValuesAreNotWrittenAndDoNotCrash) {
    JSON a = deepObjects(depth);
    std::optional<JSONError> error;
    EXPECT_FALSE(a.rawData(WritingOptions::none, &error));
    EXPECT_EQ(error->code, 490);
    EXPECT_EQ(a.description(), "unknown");
}

TEST(JsonHostile, DeepValuesMergeAndDestroy) {
    JSON a = deepObjects(depth);
    EXPECT_TRUE(a.merge(deepObjects(depth)));
    JSON list = deepArrays(depth);
    EXPECT_TRUE(list.merge(list));
    EXPECT_EQ(list.arrayValue().size(), 2u);
}

}  // namespace
}  // namespace vistrel
