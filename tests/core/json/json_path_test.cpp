// Path subscripts: reading along paths with errors that carry forward, writing along
// paths that never create containers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vistrel/core/json/json.hpp"

namespace vistrel {
namespace {

// An error code of 0: no error.
struct ReadCase { std::string name, document; std::vector<JSONKey> path; int code; std::string description; };

TEST(JsonPathRead, GivesValueOrNullWithFirstError) {
    const std::vector<ReadCase> cases = {
        ReadCase{"MissingKey", R"({"a":1})", {"b"}, 500, R"(Dictionary["b"] does not exist)"},
        ReadCase{"IndexOfObject", R"({"a":1})", {0}, 901, "Array[0] failure, It is not an array"},
        ReadCase{"KeyOfArray", "[1]", {"x"}, 901, R"(Dictionary["x"] failure, It is not an dictionary)"},
        ReadCase{"IndexPastEnd", "[1,2,3]", {3}, 900, "Array[3] is out of bounds"},
        ReadCase{"HugeIndex", "[1]", {std::numeric_limits<std::ptrdiff_t>::min()}, 900,
                 "Array[-9223372036854775808] is out of bounds"},
        ReadCase{"DeepFailureKeepsFirst", R"({"a":{"b":[1]}})", {"a", "b", 5, "c"}, 900, "Array[5] is out of bounds"},
        ReadCase{"Found", R"({"a":{"b":[1,{"c":2}]}})", {"a", "b", 1, "c"}, 0, ""},
        ReadCase{"PresentNull", R"({"a":null})", {"a"}, 0, ""},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        JSON result = JSON::parseJSON(c.document)[c.path];
        EXPECT_EQ(result.error().has_value(), c.code != 0);
        if (!result.error()) continue;
        EXPECT_EQ(std::tuple(result.type(), result.exists(), result.error()->domain, result.error()->code,
                             result.error()->localizedDescription),
                  std::tuple(Type::null, false, "PliantJSONErrorDomain", c.code, c.description));
    }
}

// The empty path gives the receiver, with its error; a step past an unknown element
// passes its error on, as a step after any failed step does.
TEST(JsonPath, EmptyPathsAndStepsPastUnknownElements) {
    JSON doc = JSON::parseJSON(R"({"a":{"b":[10,{"c":"x"}]},"n":null})");
    EXPECT_EQ((doc[{"a", "b", 1, "c"}].string()), "x");
    EXPECT_EQ((doc[{}]), doc);
    EXPECT_EQ((doc[{"a", "b", "x"}][std::vector<JSONKey>{}].error()->code), 901);
    JSON list{platform::Value(platform::Array{platform::Value(platform::Opaque{"date", ""})})};
    JSON beyond = list[{0, "x"}];
    EXPECT_EQ(std::tuple(beyond.type(), beyond.error()->code), std::tuple(Type::null, 999));
}

// The document after writing the number 7.
struct WriteCase { std::string name, document; std::vector<JSONKey> path; std::string expected; };

TEST(JsonPathWrite, WritesOnlyIntoExistingContainers) {
    const std::vector<WriteCase> cases = {
        {"InsertKey", R"({"a":1})", {"k"}, R"({"a":1,"k":7})"}, {"ReplaceKey", R"({"k":1})", {"k"}, R"({"k":7})"},
        {"KeyIntoNull", "null", {"k"}, "null"},                 {"KeyIntoArray", "[1]", {"k"}, "[1]"},
        {"IndexPastEnd", "[1,2,3]", {3}, "[1,2,3]"},            {"NegativeIndex", "[1,2,3]", {-1}, "[1,2,3]"},
        {"ThroughMissing", R"({"x":1})", {"a", "b"}, R"({"x":1})"},
        {"ThroughEmptyObject", R"({"a":{}})", {"a", "b"}, R"({"a":{"b":7}})"},
        {"ThroughArray", R"({"a":[0,{"b":1}]})", {"a", 1, "b"}, R"({"a":[0,{"b":7}]})"},
        {"EmptyPath", "[1]", {}, "[1]"},
    };
    for (const WriteCase& c : cases) {
        JSON doc = JSON::parseJSON(c.document);
        doc.set(c.path, 7);
        EXPECT_EQ(doc, JSON::parseJSON(c.expected)) << c.name << ": " << doc.description();
    }
}

TEST(JsonPath, OneStepWriteOfValueWithErrorStoresNull) {
    JSON doc = JSON::parseJSON(R"({"a":1})");
    JSON failed = doc["missing"];
    ASSERT_TRUE(failed.error());
    doc.set("a", failed);
    EXPECT_EQ(std::tuple(doc["a"].type(), doc["a"].error().has_value()), std::tuple(Type::null, false));
}

TEST(JsonPath, WritesDoNotReachOtherCopies) {
    JSON doc = JSON::parseJSON(R"({"a":{"b":[1,2]}})");
    JSON copy = doc;
    doc.set({"a", "b", 0}, "changed");
    EXPECT_EQ(doc, JSON::parseJSON(R"({"a":{"b":["changed",2]}})"));
    EXPECT_EQ(copy, JSON::parseJSON(R"({"a":{"b":[1,2]}})"));
}

}  // namespace
}  // namespace vistrel
