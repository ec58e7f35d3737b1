// Text writing: documents through the platform writer, the member-by-member writer,
// bare texts of single values, descriptions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "vistrel/core/json/json.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {
namespace {

JSON read(const std::string& text) { return JSON::parseJSON(text); }

WritingOptionsMap memberByMember(std::optional<int> depth = std::nullopt) {
    WritingOptionsMap map{{writingOptionsKeys::castNilToNSNull, true}};
    if (depth) map[writingOptionsKeys::maxObjextDepth] = *depth;
    return map;
}

JSON nestedArrays(int depth, JSON inner) {
    JSON value = std::move(inner);
    for (int i = 0; i < depth; ++i) value = JSON(std::vector<JSON>{value});
    return value;
}

// Single values write as bare text, but never as a document; unknown values not at all.
TEST(JsonWriting, SingleValuesWriteAsBareTextOnly) {
    struct Case { JSON value; std::optional<std::string> text; };
    const std::vector<Case> cases = {
        {JSON("a\"b"), "a\"b"}, {read("null"), "null"}, {read("true"), "true"}, {read("2.5"), "2.5"},
        {JSON(platform::Value(platform::Opaque{"date", ""})), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.rawString(), c.text);
        std::optional<JSONError> error;
        EXPECT_FALSE(c.value.rawData(WritingOptions::none, &error)) << c.value.description();
        ASSERT_TRUE(error);
        EXPECT_EQ(std::tuple(error->code, error->localizedDescription), std::tuple(490, std::string("JSON is invalid")));
    }
}

TEST(JsonWriting, NonFiniteNumbersAndInvalidTextAreNeverWritten) {
    std::vector<JSON> documents;
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        JSON number;
        number.setDouble(bad);
        documents.push_back(JSON::arrayLiteral({1, number}));
    }
    documents.push_back(JSON::arrayLiteral({JSON(std::string("\xff\xfe"))}));
    documents.push_back(JSON::dictionaryLiteral({{std::string("\xc0\xaf"), 1}}));
    for (const JSON& document : documents) {
        std::optional<JSONError> error;
        EXPECT_FALSE(document.rawData(WritingOptions::none, &error) || document.rawString() ||
                     document.rawString(memberByMember()));
        EXPECT_EQ(error->code, 490);
        EXPECT_EQ(document.description(), "unknown");
    }
}

// The layout itself is the platform writer's; here, which layout each call gives.
TEST(JsonWriting, PrettyTextByDefaultAndAsciiOnRequest) {
    JSON doc = read(R"({"b":[1],"a":"é"})");
    EXPECT_EQ(doc.rawString(), "{\n  \"a\" : \"é\",\n  \"b\" : [\n    1\n  ]\n}");
    EXPECT_EQ(doc.description(), *doc.rawString());
    EXPECT_EQ(doc.rawString(StringEncoding::utf8, WritingOptions::none), R"({"a":"é","b":[1]})");
    EXPECT_FALSE(doc.rawString(StringEncoding::ascii));
    EXPECT_EQ(read("[1]").rawString(StringEncoding::ascii, WritingOptions::none), "[1]");
    WritingOptionsMap map{{writingOptionsKeys::encoding, StringEncoding::ascii}};
    EXPECT_FALSE(doc.rawString(map));
}

TEST(JsonWriting, MemberByMemberEscapesFully) {
    struct Case { std::string document; std::string text; };
    const std::vector<Case> cases = {
        {R"({"a":1,"b":"\""})", R"({"a": 1,"b": "\""})"},
        {R"({"q\"k":1})", R"({"q\"k": 1})"},             // keys are escaped too
        {R"({"k\\":"\n\t\u0001"})", R"({"k\\": "\n\t\u0001"})"}, {R"({"u":"é/"})", R"({"u": "é/"})"}, {"{}", "{}"},
        {R"([null,true,false,2.5,[],{"x":null}])", R"([null,true,false,2.5,[],{"x": null}])"},
    };
    for (const auto& c : cases) {
        auto text = read(c.document).rawString(memberByMember());
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(read(text.value_or("")), read(c.document)) << c.document;  // always JSON again
    }
}

TEST(JsonWriting, MemberByMemberDepthBudget) {
    EXPECT_FALSE(nestedArrays(11, 1).rawString(memberByMember()));
    // An object nested in an array inside the budget; one more level outside it.
    EXPECT_TRUE(read(R"([{"a":[1]}])").rawString(memberByMember(3)) && !read(R"([{"a":[1]}])").rawString(memberByMember(2)));
    // Far deeper than the machine stack would allow, with a budget that allows it:
    // the writer gives up at the reader's nesting limit instead of crashing.
    EXPECT_FALSE(nestedArrays(100000, 1).rawString(memberByMember(1000000)));
    EXPECT_TRUE(nestedArrays(511, 1).rawString(memberByMember(1000)));
}

TEST(JsonWriting, NegativeBudgetLogsAndGivesNothing) {
    platform::LogCapture log;
    // Checked first, for any kind.
    EXPECT_FALSE(read("[1]").rawString(memberByMember(-1)) || JSON("s").rawString(memberByMember(-1)));
    const std::string line = "Could not serialize object to JSON because: Element too deep. Increase "
                             "maxObjectDepth and make sure there is no reference loop";
    EXPECT_EQ(log.lines(), (std::vector<std::string>{line, line}));
}

TEST(JsonWriting, OptionsOfTheWrongTypeCountAsAbsent) {
    JSON doc = read(R"({"a":"x"})");
    WritingOptionsMap textTrue{{writingOptionsKeys::castNilToNSNull, std::string("true")}};
    EXPECT_EQ(doc.rawString(textTrue), "{\n  \"a\" : \"x\"\n}");  // platform writer, pretty
    WritingOptionsMap wrongDepth{{writingOptionsKeys::castNilToNSNull, true},
                                 {writingOptionsKeys::maxObjextDepth, 0.5}};
    EXPECT_TRUE(nestedArrays(10, 1).rawString(wrongDepth));  // the default budget 10
    WritingOptionsMap longDepth{{writingOptionsKeys::castNilToNSNull, true},
                                {writingOptionsKeys::maxObjextDepth, 1L}};
    EXPECT_FALSE(nestedArrays(2, 1).rawString(longDepth));
}

}  // namespace
}  // namespace vistrel
