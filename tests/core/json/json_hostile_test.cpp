// Values far deeper than any document the reader accepts: built in code, they must
// still copy, compare, write, merge and die without exhausting the machine stack.
#include <gtest/gtest.h>

#include "vistrel/core/json/json.hpp"

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

TEST(JsonHostile, DeepValuesCompareWriteMergeAndDestroyWithoutRecursion) {
    JSON list = deepArrays(depth);
    EXPECT_TRUE(list == deepArrays(depth));
    EXPECT_FALSE(list == deepArrays(depth - 1));
    JSON object = deepObjects(depth);
    std::optional<JSONError> error;
    EXPECT_FALSE(object.rawData(WritingOptions::none, &error));
    EXPECT_EQ(std::tuple(error->code, object.description()), std::tuple(490, std::string("unknown")));
    EXPECT_TRUE(object.merge(deepObjects(depth)) && list.merge(list));
    EXPECT_EQ(list.arrayValue().size(), 2u);
}

}  // namespace
}  // namespace vistrel
