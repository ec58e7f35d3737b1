#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "allocated_bytes.hpp"
#include "hostile_property_lists.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

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

// Every kind of value, at the edges of its encodings, written in each form that takes it
// reads back as the same value; the form that cannot keep it refuses it.
TEST(PropertyListTest, ValuesAtTheEdgesOfTheirEncodingsComeBackInEachForm) {
    using namespace std::chrono;
    using platform::Date;
    struct Row {
        std::string name;
        Value value;
        bool xml, binary;  // whether the form keeps it
    };
    auto integer = [](std::int64_t i) { return Value(Number::fromInt(i)); };
    auto real = [](double d) { return Value(Number::fromDouble(d)); };
    Value deepest = integer(1), tooDeep = Value(platform::Array{});
    for (int i = 0; i < 256; ++i) deepest = Value(platform::Array{deepest});
    for (int i = 0; i < 257; ++i) tooDeep = Value(platform::Array{tooDeep});
    const std::vector<Row> rows = {
        {"integers at each width", Value(platform::Array{integer(0), integer(255), integer(256), integer(65535), integer(65536),
                                                          integer(4294967295), integer(4294967296), integer(-1),
                                                          integer(INT64_MAX), integer(INT64_MIN)}), true, true},
        {"past the signed integers", Value(Number::fromUInt(std::uint64_t(INT64_MAX) + 1)), true, true},
        {"reals", Value(platform::Array{real(0.1), real(-0.0), real(1e300), real(5e-324), real(HUGE_VAL), real(-HUGE_VAL),
                                        real(2.5)}), true, true},
        {"booleans", Value(platform::Array{Value(Number::fromBool(true)), Value(Number::fromBool(false))}), true, true},
        {"texts", Value(platform::Array{Value(""), Value("x < y & z > w"), Value("lines\r\n\ttabbed\r"),
                                        Value("caf\xc3\xa9 \xf0\x9f\x98\x80"), Value(std::string(40, 'a'))}), true, true},
        {"a text with a NUL", Value(std::string("a\0b", 3)), false, true},
        {"a text with a control character", Value("bell\x07"), false, true},
        {"a text with U+FFFE", Value("\xef\xbf\xbe"), false, true},
        {"a text that is not UTF-8", Value("\xc3"), false, false},
        {"a lone surrogate in UTF-8", Value("\xed\xa0\x80"), false, false},
        {"data of each length past a base64 group", Value(platform::Array{Value(platform::Bytes{}), Value(platform::Bytes{1}),
                                                                          Value(platform::Bytes{1, 2}), Value(platform::Bytes{1, 2, 3}),
                                                                          Value(platform::Bytes(100, 0xFF))}), true, true},
        {"dates of either side of 1970 and 2001", Value(platform::Array{Value(Date(sys_days(year(1969) / 7 / 20) + seconds(1))),
                                                                        Value(Date(sys_days(year(2000) / 12 / 31) + microseconds(999999)))}),
         true, true},
        {"the last microsecond of 9999", Value(Date(sys_days(year(10000) / 1 / 1) - microseconds(1))), true, false},
        {"the first day of the year 1", Value(Date(sys_days(year(1) / 1 / 1))), true, true},
        {"a date before the year 1", Value(Date(sys_days(year(0) / 12 / 31))), false, true},
        {"a date read with seconds its microseconds do not say", Value(Date(sys_days(year(2001) / 1 / 1)), -0.0), false, true},
        {"identifiers", Value(platform::Array{Value(platform::Opaque{"uid", "0"}), Value(platform::Opaque{"uid", "18446744073709551615"})}),
         false, true},
        {"empty containers", Value(platform::Array{Value(platform::Array{}), Value(platform::Dictionary())}), true, true},
        {"256 levels below the top", deepest, true, true},
        {"257 levels below the top", tooDeep, false, false},
        {"a null inside", Value(platform::Array{Value()}), false, false},
    };
    for (const auto& [name, value, xml, binary] : rows) {
        for (const auto& [format, kept] : {std::pair{platform::PropertyListFormat::xml, xml},
                                           std::pair{platform::PropertyListFormat::binary, binary}}) {
            SCOPED_TRACE(name + (format == platform::PropertyListFormat::xml ? " in XML" : " in binary"));
            const std::optional<std::string> written = platform::writePropertyList(format, value);
            ASSERT_EQ(written.has_value(), kept);
            if (!written) continue;
            const platform::PropertyListRead read = platform::readPropertyListFully(*written);
            EXPECT_EQ(read.value, value);
        }
    }
    for (const double notANumber : {std::nan(""), -std::nan("")})
        for (const auto format : {platform::PropertyListFormat::xml, platform::PropertyListFormat::binary}) {
            const auto again = platform::readPropertyList(*platform::writePropertyList(format, real(notANumber)));
            EXPECT_TRUE(again && std::isnan(again->number()->doubleValue()) &&
                        std::signbit(again->number()->doubleValue()) == std::signbit(notANumber));
        }
}

// What other writers put in files of either form reads as the values it stands for.
TEST(PropertyListTest, WhatOtherWritersWriteReads) {
    using namespace std::string_literals;
    using platform::Array;
    auto integer = [](std::int64_t i) { return Value(Number::fromInt(i)); };
    auto real = [](double d) { return Value(Number::fromDouble(d)); };
    std::string float32 = "\x22";
    plisttest::appendBigEndian(float32, std::bit_cast<std::uint32_t>(1.5f), 4);
    std::string wideRefs = "bplist00\xA2"s;  // references and offsets of 8 bytes
    for (std::uint64_t ref : {1, 2}) plisttest::appendBigEndian(wideRefs, ref, 8);
    const std::size_t second = wideRefs.size();
    wideRefs += "\x10\x07\x09";
    const std::size_t table = wideRefs.size();
    for (std::uint64_t offset : {std::uint64_t(8), std::uint64_t(second), std::uint64_t(second + 2)}) plisttest::appendBigEndian(wideRefs, offset, 8);
    wideRefs.append(6, '\0').append("\x08\x08");
    for (std::uint64_t field : {std::uint64_t(3), std::uint64_t(0), std::uint64_t(table)}) plisttest::appendBigEndian(wideRefs, field, 8);
    std::string utf16Xml = "\xff\xfe"s;
    for (char c : std::string(R"(<?xml version="1.0" encoding="UTF-16"?><plist><string>A</string></plist>)")) utf16Xml.append(1, c).append(1, '\0');
    const std::vector<std::tuple<std::string, std::string, Value>> rows = {
        {"XML integers in hexadecimal and with signs",
         plisttest::xmlPlist("<array><integer> 0x1F </integer><integer>+7</integer><integer>-0</integer></array>"),
         Value(Array{integer(31), integer(7), integer(0)})},
        {"XML reals as other writers spell them",
         plisttest::xmlPlist("<array><real>.5</real><real>-inf</real><real>NaN</real><real>1e999</real><real>1E-2</real></array>"),
         Value(Array{real(0.5), real(-HUGE_VAL), Value(), real(HUGE_VAL), real(0.01)})},
        {"XML text in character data sections, with comments around",
         plisttest::xmlPlist("<!-- c --><string><![CDATA[<a> & b]]>&#x1F600;</string><!-- d -->"),
         Value("<a> & b\xf0\x9f\x98\x80")},
        {"XML data broken over lines, unpadded", plisttest::xmlPlist("<data>\n  AAEC\n  /w\n</data>"),
         Value(platform::Bytes{0, 1, 2, 255})},
        {"XML without a plist element", "<dict><key>k</key><true/></dict>",
         Value(platform::Dictionary({{"k", Value(Number::fromBool(true))}}))},
        {"XML in UTF-16 behind a byte-order mark", utf16Xml, Value("A")},
        {"XML date with a fraction of the second", plisttest::xmlPlist("<date>2024-02-29T12:34:56.5Z</date>"),
         Value(platform::Date(std::chrono::sys_days(std::chrono::year(2024) / 2 / 29)) + std::chrono::hours(12) +
               std::chrono::minutes(34) + std::chrono::milliseconds(56500))},
        {"binary integers of 1, 2, 4, 8 and 16 bytes",
         plisttest::binaryPlist({std::string("\xA5").append(plisttest::ref(1)).append(plisttest::ref(2)).append(plisttest::ref(3))
                                     .append(plisttest::ref(4)).append(plisttest::ref(5)),
                                 "\x10\xff", "\x11\x01\x00"s, "\x12\x00\x01\x00\x00"s, "\x13\xff\xff\xff\xff\xff\xff\xff\xfe",
                                 std::string("\x14").append(15, '\xff').append("\xfd")}),
         Value(Array{integer(255), integer(256), integer(65536), integer(-2), integer(-3)})},
        {"XML dates without their seconds or time",
         plisttest::xmlPlist("<array><date>2024-01-02T03:04Z</date><date>2024-01-02T03Z</date><date>2024-01-02Z</date>"
                             "<date>2024Z</date></array>"),
         Value(Array{Value(platform::Date(std::chrono::sys_days(std::chrono::year(2024) / 1 / 2)) + std::chrono::minutes(184)),
                     Value(platform::Date(std::chrono::sys_days(std::chrono::year(2024) / 1 / 2)) + std::chrono::hours(3)),
                     Value(platform::Date(std::chrono::sys_days(std::chrono::year(2024) / 1 / 2))),
                     Value(platform::Date(std::chrono::sys_days(std::chrono::year(2024) / 1 / 1)))})},
        {"binary real of 4 bytes", plisttest::binaryPlist({float32}), real(1.5)},
        {"binary text whose length is an integer of 16 bytes",
         plisttest::binaryPlist({"\x5f\x14"s + std::string(15, '\0') + "\x0f" "fifteen letters"}), Value("fifteen letters")},
        {"binary texts of 15 characters and more, and a surrogate pair",
         plisttest::binaryPlist({std::string("\xA2").append(plisttest::ref(1)).append(plisttest::ref(2)),
                                 "\x5f\x10\x0f" "fifteen letters", "\x62\xd8\x3d\xde\x00"s}),
         Value(Array{Value("fifteen letters"), Value("\xf0\x9f\x98\x80")})},
        {"binary references and offsets of 8 bytes", wideRefs, Value(Array{integer(7), Value(Number::fromBool(true))})},
    };
    for (const auto& [name, bytes, expected] : rows) {
        SCOPED_TRACE(name);
        const std::optional<Value> read = platform::readPropertyList(bytes);
        ASSERT_TRUE(read.has_value());
        // A NaN equals nothing: it stands as a null in the expectation.
        if (const platform::Array* items = read->array(); items && name.find("reals") != std::string::npos) {
            EXPECT_TRUE(std::isnan(items->at(2).number()->doubleValue()));
            platform::Array withoutNaN = *items;
            withoutNaN[2] = Value();
            EXPECT_EQ(Value(withoutNaN), expected);
        } else {
            EXPECT_EQ(read, expected);
        }
    }
}

// A file is known for a property list, or not, from its first bytes.
TEST(PropertyListTest, TheFirstBytesTellWhatAFileMayBe) {
    using Start = platform::PropertyListStart;
    using namespace std::string_literals;
    const std::string spaces(platform::propertyListStartBytes, ' ');
    for (const auto& [bytes, start] : std::vector<std::pair<std::string, Start>>{
             {"bplist00", Start::binary},
             {"bpl", Start::undecided},
             {"\xef\xbb\xbf \n<plist>", Start::xml},
             {"\xfe\xff\0 \0<"s, Start::xml},
             {"\xff\xfe\t\0<\0"s, Start::xml},
             {"\0<\0?"s, Start::xml},
             {"\n { a = b; }", Start::oldStyle},
             {"( a )", Start::oldStyle},
             {"   ", Start::undecided},
             {spaces + "<plist>", Start::none},
             {std::string(64, '\0'), Start::none},
             {"\xff\xfe\0\x30"s, Start::none},
             {"GIF89a", Start::none},
             {"", Start::none},
         })
        EXPECT_EQ(platform::propertyListStart(bytes), start) << testing::PrintToString(bytes.substr(0, 12));
}

// A value the binary form shares among references is read once and shared in memory, and
// written once: a file's values cost a few times the file, counted before they are made,
// and a file refused for it costs no more than reading it. Equal long values are written
// once too, and what a walk through the shared values meets stays bounded.
TEST(PropertyListTest, SharedValuesAreHeldAndWrittenOnce) {
    using namespace std::string_literals;
    using plisttest::ref;
    // A list of `count` references to object `index`.
    auto repeated = [](std::uint64_t count, std::uint64_t index) {
        std::string list = "\xAF\x12"s;
        plisttest::appendBigEndian(list, count, 4);
        const std::string one = ref(index);
        list.reserve(list.size() + 2 * count);
        for (std::uint64_t i = 0; i < count; ++i) list.append(one);
        return list;
    };
    auto text = [](std::size_t length) {
        std::string object = "\x5F\x12"s;
        plisttest::appendBigEndian(object, length, 4);
        return object.append(length, 't');
    };
    // 60,000 dictionaries, each holding one 64 KiB key: 4 GB once each has its copy.
    std::vector<std::string> keyed{repeated(60'000, 1), text(64 << 10), "\x09"};
    for (int i = 0; i < 60'000; ++i) keyed.push_back("\xD1"s + ref(1) + ref(2));
    for (std::size_t i = 0; i < 60'000; ++i) ref(3 + i).copy(keyed[0].data() + 6 + 2 * i, 2);
    struct Row {
        std::string name, bytes;
        bool read;
    };
    const std::vector<Row> rows = {
        {"a 257-byte text referenced a million times", plisttest::binaryPlist({repeated(1'000'000, 1), text(257)}), true},
        {"a list of eight million references", plisttest::binaryPlist({repeated(8'000'000, 1), "\x09"}), false},
        {"one long key in 60,000 dictionaries", plisttest::binaryPlist(keyed), false},
        {"a text of a MiB referenced 300 times, 300 MiB to walk through",
         plisttest::binaryPlist({repeated(300, 1), text(1 << 20)}), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::restartPeakAllocatedBytes();
        const std::size_t before = testsupport::peakAllocatedBytes();
        std::optional<std::string> written;
        const platform::PropertyListRead read = platform::readPropertyListFully(row.bytes);
        if (read.value) written = platform::writePropertyListBinary(*read.value);
        // The values and the file written back (a million values: 40 MB), or what was
        // made until the file was refused: at most 64 MiB.
        EXPECT_LT(testsupport::peakAllocatedBytes() - before, std::size_t(100) << 20);
        ASSERT_EQ(std::tuple(read.value.has_value(), read.refusal),
                  std::tuple(row.read, row.read ? std::nullopt : std::optional(platform::PropertyListRefusal::pastBounds)));
        ASSERT_EQ(written.has_value(), row.read);
        if (written) {
            EXPECT_LE(written->size(), row.bytes.size());
            EXPECT_TRUE(platform::readPropertyList(*written) == read.value);
        }
    }

    // Equal long texts made apart are written once.
    const Value equal(platform::Array(1000, Value(std::string(1000, 'e'))));
    platform::Array apart;
    for (int i = 0; i < 1000; ++i) apart.push_back(Value(std::string(1000, 'e')));
    for (const Value& value : {equal, Value(apart)}) {
        const std::optional<std::string> written = platform::writePropertyListBinary(value);
        ASSERT_TRUE(written);
        EXPECT_LT(written->size(), 5000u);
        EXPECT_EQ(platform::readPropertyList(*written), value);
    }
}

namespace {

platform::Array distinctTexts(std::uint64_t count, int length) {
    platform::Array texts;
    texts.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) texts.push_back(Value(plisttest::distinctText(i, length, 't')));
    return texts;
}

// Fourteen references to one list of twenty texts of a MiB, equal: 280 MiB for whoever
// walks them, more than the reader takes for a file that holds the text once. Texts
// `shared` are one whose storage the value shares; else each has its own.
Value walkedPastOneText(bool shared) {
    const std::string text(1 << 20, 's');
    const Value one = Value::sharedText(text);
    platform::Array twenty;
    for (int i = 0; i < 20; ++i) twenty.push_back(shared ? one : Value(text));
    return Value(platform::Array(14, Value(std::move(twenty))));
}

// `count` equal texts of `length` bytes, each of its own storage (copies, none shared):
// written once by their bytes, and read as one text shared among the references.
Value equalTextsOfTheirOwn(std::uint64_t count, std::size_t length) {
    return Value(platform::Array(count, Value(std::string(length, 'e'))));
}

}  // namespace

// Files and values of hundreds of thousands of distinct values, as hosts keep them, read,
// are written back and read again: each value costs what it allocates (a text no box, no
// entry in a table of values kept for other references), within what the reader takes
// for the file's size. A row of the table each, so that the large ones run side by side.
struct ManyValues {
    const char* name;
    std::string (*file)();  // or
    Value (*value)();
    std::size_t bytesAValue;  // what the read allocates for each value, at most
};

void PrintTo(const ManyValues& row, std::ostream* out) { *out << row.name; }

class ManyDistinctValuesTest : public testing::TestWithParam<ManyValues> {};

TEST_P(ManyDistinctValuesTest, ReadAndAreWrittenBack) {
    const ManyValues& row = GetParam();
    std::optional<Value> value;
    if (row.file) {
        const std::string file = row.file();
        testsupport::restartPeakAllocatedBytes();
        const std::size_t before = testsupport::peakAllocatedBytes();
        platform::PropertyListRead read = platform::readPropertyListFully(file);
        ASSERT_EQ(read.refusal, std::nullopt);
        const std::size_t values = read.value->array() ? read.value->array()->size() : read.value->dictionary()->size();
        EXPECT_LE(testsupport::peakAllocatedBytes() - before, values * row.bytesAValue);
        value = std::move(read.value);
    } else {
        value = row.value();
    }
    const platform::PropertyListWrite written = platform::writePropertyListFully(platform::PropertyListFormat::binary, *value);
    ASSERT_EQ(written.refusal, std::nullopt);
    EXPECT_TRUE(platform::readPropertyList(*written.bytes) == value);
}

INSTANTIATE_TEST_SUITE_P(
    PropertyListTest, ManyDistinctValuesTest,
    testing::Values(
        ManyValues{"texts16", [] { return plisttest::arrayOfDistinctTexts(400'000, 16); }, nullptr, 80},
        ManyValues{"keysOfTexts30", [] { return plisttest::dictionaryOfDistinctKeys(400'000, 10, 30); }, nullptr, 140},
        ManyValues{"texts64", [] { return plisttest::arrayOfDistinctTexts(1'000'000, 64); }, nullptr, 140},
        ManyValues{"keysOfTexts40", [] { return plisttest::dictionaryOfDistinctKeys(1'500'000, 10, 40); }, nullptr, 140},
        ManyValues{"longKeysOfOneTrue", [] { return plisttest::dictionaryOfDistinctKeys(300'000, 30, 0); }, nullptr, 140},
        ManyValues{"arrayOfTexts", nullptr, [] { return Value(distinctTexts(300'000, 20)); }, 0},
        ManyValues{"arrayOfZeros", nullptr, [] { return Value(platform::Array(2'000'000, Value(Number::fromInt(0)))); }, 0},
        // Equal texts written once, each reference counted as its reader walks them: up to
        // the 256 MiB of texts it takes for a file that small, and one past it, written again
        // with each where the value has it.
        ManyValues{"equalTexts", nullptr, [] { return equalTextsOfTheirOwn(300'000, 100); }, 0},
        ManyValues{"equalTextsUpToTheLeafBound", nullptr, [] { return equalTextsOfTheirOwn(256, 1 << 20); }, 0},
        ManyValues{"equalTextsPastTheLeafBound", nullptr, [] { return equalTextsOfTheirOwn(257, 1 << 20); }, 0}),
    [](const testing::TestParamInfo<ManyValues>& info) { return std::string(info.param.name); });

// The writer shares what its reader takes shared: a text and data of equal bytes stay a
// text and data. A value whose file, each equal leaf written once, would hold more once
// read than the reader takes for its size is written with only what the value shares
// written once; one whose value shares too much still is refused for its size.
TEST(PropertyListTest, TheWriterSharesOnlyWhatItsReaderTakes) {
    const std::string bytes = "twenty bytes of text";
    const Value text(bytes), data(platform::Bytes(bytes.begin(), bytes.end())), shortText("abc"),
        shortData(platform::Bytes{'a', 'b', 'c'});
    EXPECT_EQ(readSample("text_and_data_of_equal_bytes.bplist"), Value(platform::Array{text, data, shortText, shortData}));
    const Value alike(platform::Array{text, data, shortText, shortData, text, data, shortText, shortData});
    const std::optional<std::string> written = platform::writePropertyListBinary(alike);
    ASSERT_TRUE(written);
    const std::optional<Value> read = platform::readPropertyList(*written);
    ASSERT_TRUE(read);
    EXPECT_EQ(read, alike);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(read->array()->at(i).type(), i % 2 == 0 ? Value::Type::String : Value::Type::Data) << i;
    EXPECT_LT(written->size(), 2 * bytes.size() + 80) << "each leaf written once";

    const Value apart = walkedPastOneText(false);
    const platform::PropertyListWrite whole = platform::writePropertyListFully(platform::PropertyListFormat::binary, apart);
    ASSERT_EQ(whole.refusal, std::nullopt);
    EXPECT_GT(whole.bytes->size(), std::size_t(20) << 20) << "each text written where the value has it";
    EXPECT_LT(whole.bytes->size(), std::size_t(21) << 20) << "the list the value shares written once";
    EXPECT_TRUE(platform::readPropertyList(*whole.bytes) == apart);

    const platform::PropertyListWrite shared =
        platform::writePropertyListFully(platform::PropertyListFormat::binary, walkedPastOneText(true));
    EXPECT_EQ(std::tuple(shared.bytes.has_value(), shared.refusal),
              std::tuple(false, std::optional(platform::PropertyListRefusal::pastBounds)));
}

// A host's binary defaults of 300,000 long keys are read, and the kit's change written
// with them; large lists are set into a binary file and read at the next start, and a
// value too large once read for the file that would hold it is refused, and logged as such.
TEST(PropertyListTest, BinaryDefaultsTakeWhatTheirReaderTakes) {
    testsupport::TempDir dir;
    const auto keys = dir.write("keys.plist", plisttest::dictionaryOfDistinctKeys(300'000, 30, 0));
    EXPECT_TRUE(platform::UserDefaults(keys).set("apiKey", Value("the kit's")));
    platform::UserDefaults keysNext(keys);
    EXPECT_EQ(std::tuple(keysNext.object("apiKey"), keysNext.object(plisttest::distinctText(299'999, 30, 'k'))),
              std::tuple(std::optional(Value("the kit's")), std::optional(Value(Number::fromBool(true)))));

    const auto lists = dir.write("lists.plist", *platform::writePropertyListBinary(Value(platform::Dictionary())));
    const Value texts(distinctTexts(300'000, 20)), zeros(platform::Array(2'000'000, Value(Number::fromInt(0))));
    {
        platform::LogCapture log;
        platform::UserDefaults defaults(lists);
        EXPECT_TRUE(defaults.set("texts", texts));
        EXPECT_TRUE(defaults.set("zeros", zeros));
        EXPECT_FALSE(defaults.set("walked", walkedPastOneText(true)));
        EXPECT_EQ(std::tuple(log.count("too large"), log.count("cannot keep exactly")), std::tuple(1u, 0u));
    }
    platform::UserDefaults next(lists);
    EXPECT_EQ(next.object("walked"), std::nullopt);
    EXPECT_TRUE(next.object("texts") == texts);
    EXPECT_TRUE(next.object("zeros") == zeros);
}
