#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "platform/foundation/file_io.hpp"
#include "platform/foundation/property_list.hpp"

using platform::Number;
using platform::Value;

namespace {

void expectSample(const Value& root) {
    const platform::Dictionary* d = root.dictionary();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(*d->find("CFBundleIdentifier")->string(), "test.bundle");
    EXPECT_EQ(*d->find("Name")->string(), "caf\xc3\xa9");
    EXPECT_EQ(*d->find("Count")->number(), Number::fromInt(42));
    EXPECT_FALSE(d->find("Count")->number()->isBool());
    EXPECT_EQ(d->find("Negative")->number()->intValue(), -3);
    EXPECT_EQ(d->find("Ratio")->number()->kind(), Number::Kind::Double);
    EXPECT_EQ(d->find("Ratio")->number()->doubleValue(), 0.5);
    EXPECT_TRUE(d->find("Flag")->number()->isBool());
    EXPECT_TRUE(d->find("Flag")->number()->asBool());
    EXPECT_FALSE(d->find("Off")->number()->asBool());
    EXPECT_EQ(*d->find("Blob")->data(), (platform::Bytes{0, 1}));
    using namespace std::chrono;
    EXPECT_EQ(*d->find("When")->date(), sys_days(year(2024) / 2 / 29) + hours(12) + minutes(34) + seconds(56));
    const platform::Array* items = d->find("Items")->array();
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(items->size(), 3u);
    EXPECT_EQ(*(*items)[2].dictionary()->find("k")->string(), "v");
}

}  // namespace

TEST(PropertyListTest, ReadsXmlAndBinaryAlike) {
    for (const char* name : {"sample.xml.plist", "sample.bplist"}) {
        SCOPED_TRACE(name);
        auto bytes = platform::readFile(std::string(VISTREL_TEST_DATA) + "/plist/" + name);
        ASSERT_TRUE(bytes);
        auto value = platform::readPropertyList(*bytes);
        ASSERT_TRUE(value);
        expectSample(*value);
    }
}

// Data and dates read from either form are written back as data and dates, so a
// rewritten file (a preferences file on its next save) keeps them as they were.
TEST(PropertyListTest, DataAndDatesSurviveAnXmlRewrite) {
    for (const char* name : {"sample.xml.plist", "sample.bplist"}) {
        SCOPED_TRACE(name);
        auto value = platform::readPropertyList(*platform::readFile(std::string(VISTREL_TEST_DATA) + "/plist/" + name));
        ASSERT_TRUE(value);
        auto xml = platform::writePropertyListXml(*value);
        ASSERT_TRUE(xml);
        EXPECT_NE(xml->find("<data>"), std::string::npos) << *xml;
        EXPECT_NE(xml->find("<date>2024-02-29T12:34:56Z</date>"), std::string::npos) << *xml;
        EXPECT_EQ(platform::readPropertyList(*xml), value);
    }
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
