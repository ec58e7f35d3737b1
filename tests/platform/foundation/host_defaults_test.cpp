// The host's standard defaults: its file either comes back value for value after the kit
// sets a key of its own, or is left byte for byte; and what the kit sets is kept exactly
// or refused without changing anything.
#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "hostile_property_lists.hpp"
#include "support/set_aside_copies.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

using platform::Number;
using platform::UserDefaults;
using platform::Value;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using Entries = std::vector<std::pair<std::string, Value>>;

platform::Date at(year_month_day day, microseconds time = {}) { return platform::Date(sys_days(day)) + time; }

// Seconds since 2001 as a binary file's date object.
std::string binaryDate(double seconds) {
    std::string object = "\x33";
    plisttest::appendBigEndian(object, std::bit_cast<std::uint64_t>(seconds), 8);
    return object;
}

// A binary file of one dictionary: keys and values given as objects.
std::string binaryDictionary(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string top(1, static_cast<char>(0xD0 | entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) top += plisttest::ref(1 + i);
    for (std::size_t i = 0; i < entries.size(); ++i) top += plisttest::ref(1 + entries.size() + i);
    std::vector<std::string> objects{top};
    for (const auto& entry : entries) objects.push_back(entry.first);
    for (const auto& entry : entries) objects.push_back(entry.second);
    return plisttest::binaryPlist(objects);
}

std::string ascii(std::string_view text) { return std::string(1, static_cast<char>(0x50 | text.size())).append(text); }

const std::string kHostXml = plisttest::xmlPlist(
    "<dict>"
    "<key>year1</key><date>0001-01-01T00:00:00Z</date>"
    "<key>year4001</key><date>4001-01-01T00:00:00Z</date>"
    "<key>year2101</key><date>2101-06-01T12:00:00.250000Z</date>"
    "<key>uint64max</key><integer>18446744073709551615</integer>"
    "<key>int64min</key><integer>-9223372036854775808</integer>"
    "<key>lines</key><string>a&#13;&#10;b\tc</string>"
    "<key>cl\xc3\xa9</key><real>0.1</real>"
    "<key>noSeconds</key><date>2024-01-02T03:04Z</date>"
    "<key>day</key><date>2024-01-02Z</date>"
    "<key>negativeNaN</key><real>-nan</real>"
    "</dict>");

const Entries kHostXmlValues = {
    {"year1", Value(at(year(1) / 1 / 1))},
    {"year4001", Value(at(year(4001) / 1 / 1))},
    {"year2101", Value(at(year(2101) / 6 / 1, hours(12) + milliseconds(250)))},
    {"uint64max", Value(Number::fromUInt(UINT64_MAX))},
    {"int64min", Value(Number::fromInt(INT64_MIN))},
    {"lines", Value("a\r\nb\tc")},
    {"cl\xc3\xa9", Value(Number::fromDouble(0.1))},
    {"noSeconds", Value(at(year(2024) / 1 / 2, hours(3) + minutes(4)))},
    {"day", Value(at(year(2024) / 1 / 2))},
};

// Dates two thousand years before and after 2001, and one past 2069 (the 32-bit seconds'
// end), texts holding a NUL, a key of UTF-16, the widest integers.
const std::string kSubMicrosecondDate = binaryDate(100.0000001);
const std::string kHostBinary = [] {
    using namespace std::string_literals;
    std::string uint64max = "\x14"s + std::string(8, '\0') + std::string(8, '\xff');
    return binaryDictionary({
        {ascii("year1"), binaryDate(-63113904000.0)},
        {ascii("year4001"), binaryDate(63113904000.0)},
        {ascii("year2101"), binaryDate(3155673600.0)},
        {ascii("subMicrosecond"), kSubMicrosecondDate},
        {ascii("nulAscii"), "\x53" "a\0b"s},
        {ascii("nulUtf16"), "\x62\0\0\0\xe9"s},
        {"\x63\0c\0l\0\xe9"s, ascii("v")},
        {ascii("uint64max"), uint64max},
        {ascii("int64min"), "\x13\x80"s + std::string(7, '\0')},
        {ascii("length16"), "\x5f\x14"s + std::string(15, '\0') + "\x0f" "fifteen letters"},
    });
}();

const Entries kHostBinaryValues = {
    {"year1", Value(at(year(1) / 1 / 1))},
    {"year4001", Value(at(year(4001) / 1 / 1))},
    {"year2101", Value(at(year(2101) / 1 / 1))},
    {"nulAscii", Value(std::string("a\0b", 3))},
    {"nulUtf16", Value(std::string("\0\xc3\xa9", 3))},
    {"cl\xc3\xa9", Value("v")},
    {"uint64max", Value(Number::fromUInt(UINT64_MAX))},
    {"int64min", Value(Number::fromInt(INT64_MIN))},
    {"length16", Value("fifteen letters")},
};

// The host's file (mode 0640) where its defaults are, or a chain of two links to it
// (relative targets, the file in another folder); gives the file itself.
fs::path placeHostFile(const testsupport::TempDir& dir, const std::string& bytes, bool linked) {
    const fs::path file = dir.write(linked ? "host/settings.plist" : "preferences.plist", bytes);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (linked) {
        fs::create_symlink("host/settings.plist", dir / "chain");
        fs::create_symlink("chain", dir / "preferences.plist");
    }
    return file;
}

}  // namespace

// The kit sets one key of its own in the host's file, and every value the host wrote
// comes back exactly after a reopen, in the form the file was in: dates far from 2001 and
// finer than a microsecond or without their seconds, texts with NULs and line breaks,
// keys beyond ASCII, the widest integers, a negative NaN, a length of 16 bytes. The file keeps its mode; through links, the file they name changes and
// the links stay links.
TEST(HostDefaultsTest, EveryValueOfTheHostsFileComesBackAfterTheKitSetsOne) {
    struct Row {
        std::string name, bytes;
        const Entries& values;
        bool linked;
    };
    for (const auto& [name, bytes, values, linked] :
         {Row{"XML", kHostXml, kHostXmlValues, false}, Row{"binary", kHostBinary, kHostBinaryValues, false},
          Row{"XML through links", kHostXml, kHostXmlValues, true},
          Row{"binary through links", kHostBinary, kHostBinaryValues, true}}) {
        SCOPED_TRACE(name);
        testsupport::TempDir dir;
        const fs::path file = placeHostFile(dir, bytes, linked);
        const fs::path standard = dir / "preferences.plist";
        UserDefaults::resetStandard(standard);
        EXPECT_TRUE(UserDefaults::standard()->set("apiKey", Value("the kit's")));
        UserDefaults::resetStandard(standard);
        for (const auto& [key, value] : values) EXPECT_EQ(UserDefaults::standard()->object(key), value) << key;
        EXPECT_EQ(UserDefaults::standard()->string("apiKey"), "the kit's");
        if (const std::optional<Value> nan = UserDefaults::standard()->object("negativeNaN"); !bytes.starts_with("bplist")) {
            EXPECT_TRUE(nan && std::isnan(nan->number()->doubleValue()) && std::signbit(nan->number()->doubleValue()));
        }

        const std::string written = platform::readFile(file, 1 << 20).value_or("");
        EXPECT_EQ(written.substr(0, 6), bytes.substr(0, 6));
        // The binary date finer than a microsecond is written back bit for bit.
        EXPECT_TRUE(!bytes.starts_with("bplist") || written.find(kSubMicrosecondDate) != std::string::npos);
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
        EXPECT_EQ(std::tuple(fs::is_symlink(standard), fs::is_symlink(dir / "chain")), std::tuple(linked, linked));
        EXPECT_EQ(testsupport::setAsideCopies(file.parent_path(), file.filename().string()).size(), 0u);
    }
    UserDefaults::resetStandard();
}

// A value the file's form cannot keep exactly is refused before it is stored, and nothing
// of the file changes; a value set and a key removed after it are written with the others.
TEST(HostDefaultsTest, WhatTheFormCannotKeepIsRefusedAndLaterValuesAreWritten) {
    struct Row {
        std::string name;
        bool binary;
        std::string key;
        Value value;
        bool kept;
    };
    Value deep{platform::Array{}};
    for (int i = 0; i < 300; ++i) deep = Value(platform::Array{deep});
    const std::vector<Row> rows = {
        {"a null", false, "null", Value(), false},
        {"a null", true, "null", Value(), false},
        {"a text with a NUL, in XML", false, "nul", Value(std::string("a\0b", 3)), false},
        {"a text with a NUL, in binary", true, "nul", Value(std::string("a\0b", 3)), true},
        {"a text with a carriage return", false, "cr", Value("a\rb\r\n"), true},
        {"a text with another control character, in XML", false, "escape", Value("a\x1b"), false},
        {"a text that is not UTF-8", true, "latin", Value("caf\xe9"), false},
        {"a key that is not UTF-8", false, "caf\xe9", Value("v"), false},
        {"a key that is not UTF-8", true, "caf\xe9", Value("v"), false},
        {"a date of the year 12000, in XML", false, "far", Value(at(year(12000) / 1 / 1)), false},
        {"a date of the year 12000, in binary", true, "far", Value(at(year(12000) / 1 / 1)), true},
        {"a date of the year 4001, in XML", false, "never", Value(at(year(4001) / 1 / 1, microseconds(123456))), true},
        {"a microsecond in 4001, past a double's precision", true, "never", Value(at(year(4001) / 1 / 1, microseconds(123457))), false},
        {"the largest unsigned integer", false, "max", Value(Number::fromUInt(UINT64_MAX)), true},
        {"the largest unsigned integer", true, "max", Value(Number::fromUInt(UINT64_MAX)), true},
        {"an identifier", true, "uid", Value(platform::Opaque{"uid", "42"}), true},
        {"an identifier, which XML spells as a dictionary", false, "uid", Value(platform::Opaque{"uid", "42"}), false},
        {"an identifier spelled with a zero before it", true, "uid0", Value(platform::Opaque{"uid", "042"}), false},
        {"an opaque value of another kind", true, "thing", Value(platform::Opaque{"thing", "t"}), false},
        {"nesting deeper than a reader takes", true, "deep", deep, false},
    };
    for (const bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "XML");
        testsupport::TempDir dir;
        const std::string host = binary ? binaryDictionary({{ascii("host"), ascii("h")}})
                                        : plisttest::xmlPlist("<dict><key>host</key><string>h</string></dict>");
        const fs::path file = dir.write("preferences.plist", host);
        UserDefaults::resetStandard(file);
        const auto defaults = UserDefaults::standard();
        EXPECT_TRUE(defaults->set("removed", Value("r")));
        std::vector<const Row*> kept;
        for (const Row& row : rows) {
            if (row.binary != binary) continue;
            const std::string before = platform::readFile(file, 1 << 20).value_or("");
            const bool stored = defaults->set(row.key, row.value);
            EXPECT_EQ(std::tuple(stored, defaults->object(row.key).has_value()), std::tuple(row.kept, row.kept))
                << row.name;
            if (row.kept) kept.push_back(&row);
            EXPECT_TRUE(row.kept || platform::readFile(file, 1 << 20) == before) << row.name;
        }
        EXPECT_TRUE(defaults->set("later", Value("written")));
        EXPECT_TRUE(defaults->remove("removed"));
        UserDefaults::resetStandard(file);
        EXPECT_EQ(std::tuple(UserDefaults::standard()->string("later"), UserDefaults::standard()->string("host"),
                             UserDefaults::standard()->object("removed")),
                  std::tuple("written", "h", std::nullopt));
        for (const Row* row : kept) EXPECT_EQ(UserDefaults::standard()->object(row->key), row->value) << row->name;
        for (const Row& row : rows)
            EXPECT_TRUE(row.binary != binary || row.kept || !UserDefaults::standard()->object(row.key)) << row.name;
    }
    UserDefaults::resetStandard();
}

// A gigabyte of zeros where the host's file is (sparse) is known damaged from its first
// bytes and moved aside whole; the kit's key then goes into a new file.
TEST(HostDefaultsTest, AGigabyteOfZerosIsMovedAside) {
    testsupport::TempDir dir;
    const fs::path file = dir / "preferences.plist";
    fs::resize_file(dir.write("preferences.plist", ""), std::uintmax_t(1) << 30);
    UserDefaults::resetStandard(file);
    EXPECT_TRUE(UserDefaults::standard()->set("apiKey", Value("k")));
    std::vector<std::uintmax_t> aside;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().filename().string().starts_with("preferences.plist.damaged-")) aside.push_back(entry.file_size());
    EXPECT_EQ(aside, std::vector<std::uintmax_t>{std::uintmax_t(1) << 30});
    UserDefaults::resetStandard(file);
    EXPECT_EQ(UserDefaults::standard()->string("apiKey"), "k");
    UserDefaults::resetStandard();
}
