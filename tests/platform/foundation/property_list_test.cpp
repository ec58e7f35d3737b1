#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "hostile_property_lists.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/property_list.hpp"

using platform::Number;
using platform::Value;

namespace {

std::optional<Value> readSample(const char* name) {
    return platform::readPropertyList(*platform::readFile(std::string(VISTREL_TEST_DATA) + "/plist/" + name, 64u << 20));
}

}  // namespace

// Data and dates read from either form are written back as data and dates, so a
// rewritten file (a preferences file on its next save) keeps them as they were.
TEST(PropertyListTest, XmlAndBinaryReadAlikeAndSurviveAnXmlRewrite) {
    const auto value = readSample("sample.xml.plist");
    ASSERT_TRUE(value);
    EXPECT_EQ(readSample("sample.bplist"), value);
    const platform::Dictionary& d = *value->dictionary();
    auto number = [&](const char* key) { return *d.find(key)->number(); };
    EXPECT_EQ(std::tuple(*d.find("CFBundleIdentifier")->string(), *d.find("Name")->string(), number("Count").isBool(),
                         number("Negative").intValue(), number("Ratio").kind(), number("Ratio").doubleValue()),
              std::tuple("test.bundle", "caf\xc3\xa9", false, -3, Number::Kind::Double, 0.5));
    EXPECT_EQ(std::tuple(number("Count"), number("Flag"), number("Off")),
              std::tuple(Number::fromInt(42), Number::fromBool(true), Number::fromBool(false)));
    EXPECT_EQ(*d.find("Blob")->data(), (platform::Bytes{0, 1}));
    using namespace std::chrono;
    EXPECT_EQ(*d.find("When")->date(), sys_days(year(2024) / 2 / 29) + hours(12) + minutes(34) + seconds(56));
    EXPECT_EQ(*(*d.find("Items")->array()).at(2).dictionary()->find("k")->string(), "v");

    const auto xml = platform::writePropertyListXml(*readSample("sample.bplist"));
    ASSERT_TRUE(xml);
    EXPECT_NE(xml->find("<data>"), std::string::npos) << *xml;
    EXPECT_NE(xml->find("<date>2024-02-29T12:34:56Z</date>"), std::string::npos) << *xml;
    EXPECT_EQ(platform::readPropertyList(*xml), value);
}

TEST(PropertyListTest, RejectsWhatIsNotAPropertyList) {
    EXPECT_FALSE(platform::readPropertyList(""));
    EXPECT_FALSE(platform::readPropertyList("not a plist at all"));
    EXPECT_FALSE(platform::readPropertyList("<plist><dict><key>a</key>"));
}

TEST(PropertyListTest, WrittenXmlEscapesTextAndRefusesNull) {
    Value original(platform::Array{Value("x < y & \"z\""), Value(Number::fromInt(-12))});
    EXPECT_EQ(platform::readPropertyList(*platform::writePropertyListXml(original)), original);
    EXPECT_FALSE(platform::writePropertyListXml(Value()));
    EXPECT_FALSE(platform::writePropertyListXml(Value(platform::Array{Value()})));
}

// Files made to exhaust a reader (deep nesting, shared objects expanding, entities) and
// damaged ones read as no property list, and never stop the process. Those that are
// property lists are told from damaged ones. Sound files with shared objects and UTF-16
// texts still read.
TEST(PropertyListTest, HostileFilesReadAsNoPropertyList) {
    for (const auto& [files, refusal] : {std::pair{plisttest::damagedPropertyLists(), platform::PropertyListRefusal::notAPropertyList},
                                         std::pair{plisttest::pastBoundsPropertyLists(), platform::PropertyListRefusal::pastBounds},
                                         std::pair{plisttest::unrepresentablePropertyLists(), platform::PropertyListRefusal::unrepresentable}})
        for (const auto& [name, bytes] : files) {
            const platform::PropertyListRead read = platform::readPropertyListFully(bytes);
            EXPECT_EQ(std::tuple(read.value, read.refusal), std::tuple(std::nullopt, refusal)) << name;
        }

    using namespace std::string_literals;
    const std::string shared = plisttest::binaryPlist(
        {std::string("\xA3").append(plisttest::ref(1)).append(plisttest::ref(1)).append(plisttest::ref(2)),
         "\x62\0a\0\xe9"s, "\x51x"});
    EXPECT_EQ(platform::readPropertyList(shared),
              Value(platform::Array{Value("a\xc3\xa9"), Value("a\xc3\xa9"), Value("x")}));
}
