#include "host_defaults_demo.hpp"

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "binary_plist_bytes.hpp"
#include "demo_measures.hpp"
#include "work_folder.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using platform::Number;
using platform::UserDefaults;
using platform::Value;

platform::Date day(year_month_day date) { return platform::Date(sys_days(date)); }

// What hosts keep: "never" and "always" as far dates, counters at their ends, texts.
platform::Dictionary hostValues(bool binary) {
    platform::Dictionary values;
    values.set("subscriptionEnds", Value(day(year(4001) / 1 / 1)));
    values.set("firstLaunch", Value(day(year(1) / 1 / 1)));
    values.set("nextReview", Value(day(year(2101) / 3 / 1) + hours(9) + microseconds(250)));
    values.set("bytesSent", Value(Number::fromUInt(UINT64_MAX)));
    values.set("balance", Value(Number::fromInt(INT64_MIN)));
    values.set("signature", Value("Caf\xc3\xa9\r\nde la Gare"));
    if (binary) {
        using namespace std::string_literals;
        values.set("token", Value("abc\0def"s));  // a text holding a NUL, as binary files may
        // A date as another writer counts it: seconds since 2001 with more than microseconds.
        const auto lastSync = day(year(2024) / 5 / 17);
        const double since2001 = duration<double>(lastSync - day(year(2001) / 1 / 1)).count() + 1.23e-7;
        values.set("lastSync", Value(lastSync, since2001));
    }
    return values;
}

std::string modeOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "?";
    char text[8];
    std::snprintf(text, sizeof text, "%04o", st.st_mode & 07777);
    return text;
}

// A host's file in a form, reached through a link, opened as the standard defaults, a
// value of the kit's set, and every value read again by a new launch.
void keptValueForValue(const fs::path& folder, platform::PropertyListFormat format) {
    const bool binary = format == platform::PropertyListFormat::binary;
    const platform::Dictionary host = hostValues(binary);
    const fs::path file = folder / (binary ? "host-binary.plist" : "host-xml.plist");
    const fs::path link = folder / (binary ? "linked-binary.plist" : "linked-xml.plist");
    std::ofstream(file, std::ios::binary) << *platform::writePropertyList(format, Value(host));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(file.filename(), link);
    UserDefaults::resetStandard(link);
    const bool set = UserDefaults::standard()->set("lastScan", Value(day(year(2026) / 12 / 7)));
    UserDefaults::resetStandard(link);  // a new launch
    const auto reread = UserDefaults::standard();
    int same = 0;
    for (const auto& [key, value] : host) same += reread->object(key) == value ? 1 : 0;
    const bool kits = reread->object("lastScan") == Value(day(year(2026) / 12 / 7));
    std::cout << "   " << (binary ? "binary" : "XML") << ", " << host.size() << " values (dates of the years 1, 2101 and "
              << "4001, 2^64 - 1, -2^63, a text with CR LF" << (binary ? ", a text holding a NUL, a date finer than a "
                                                                     "microsecond"
                                                                   : "")
              << "), through a link: set gives " << std::boolalpha << set << "; a new launch reads " << same << " of "
              << host.size() << " back exactly, " << (kits ? "and the kit's" : "but NOT the kit's") << "; the link is " << (fs::is_symlink(link) ? "still a link" : "GONE")
              << ", the file's mode " << modeOf(file) << "\n";
}

// A file the defaults leave as it is: unread, never written, byte for byte.
void leftAsItIs(const fs::path& folder, const std::string& what, const std::string& bytes) {
    const fs::path file = folder / "left.plist";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    UserDefaults::resetStandard(file);
    const bool set = UserDefaults::standard()->set("lastScan", Value("now"));
    std::cout << "   " << what << ": set gives " << std::boolalpha << set << " (kept in memory); the file "
              << (platform::readFile(file, 1u << 20) == bytes ? "byte for byte as it was" : "CHANGED") << "\n";
}

// Opens a host's file as a launch would and sets a value of the kit's into it, then opens
// it again as the next launch: what the set gave, in how long, and the memory it took, as
// a line's middle.
std::string openedAndSetOne(const fs::path& file) {
    resetPeakResident();
    const auto residentBefore = peakResidentMiB();
    const auto start = DemoClock::now();
    UserDefaults::resetStandard(file);
    const bool set = UserDefaults::standard()->set("lastScan", Value("now"));
    const double took = secondsSince(start);
    UserDefaults::resetStandard(file);  // a new launch
    std::ostringstream told;
    told << "opened and a value set in " << ::seconds(took) << " (set gives " << std::boolalpha << set
         << "), the demo's peak memory " << peakResidentMiB() << " MiB (" << residentBefore
         << " MiB resident before)";
    return told.str();
}

// A host's binary file whose long value is shared among a million references, as writers
// share repeated values: opened, a value of the kit's set, and the file written back.
void sharedValues(const fs::path& folder) {
    const fs::path file = folder / "shared.plist";
    const Value text = Value::sharedText(std::string(257, 'v'));
    platform::Dictionary host;
    host.set("recent", Value(platform::Array(1'000'000, text)));
    std::ofstream(file, std::ios::binary) << *platform::writePropertyListBinary(Value(host));
    const auto before = fs::file_size(file);
    const std::string opened = openedAndSetOne(file);
    const std::optional<Value> recent = UserDefaults::standard()->object("recent");
    std::cout << "   a binary file of " << before / 1000 << " KB holding a 257-byte text referenced a million times: "
              << opened << "; written back as " << fs::file_size(file) / 1000 << " KB, and a new launch reads its million references "
              << (recent && recent->array() && recent->array()->size() == 1'000'000 ? "all" : "NOT all") << "\n";
    UserDefaults::resetStandard();
}

// A host's binary file of 400,000 keys, each of its own text, as a host that keeps a large
// index in its defaults has: opened, a value of the kit's set, written back, and every key
// read again by a new launch.
void manyDistinctValues(const fs::path& folder) {
    const fs::path file = folder / "distinct.plist";
    constexpr std::uint64_t kKeys = 400'000;
    std::ofstream(file, std::ios::binary) << plisttest::dictionaryOfDistinctKeys(kKeys, 30, 30);
    const auto before = fs::file_size(file);
    const std::string opened = openedAndSetOne(file);
    const auto defaults = UserDefaults::standard();
    std::uint64_t read = 0;
    for (std::uint64_t i = 0; i < kKeys; ++i)
        read += defaults->string(plisttest::distinctText(i, 30, 'k')) == plisttest::distinctText(i, 30, 'v') ? 1 : 0;
    std::cout << "   a binary file of " << before / 1000 << " KB holding " << kKeys
              << " keys of 30-character texts, each its own: " << opened << "; a new launch reads " << read
              << " of them back\n";
    UserDefaults::resetStandard();
}

// A host that rewrites its file in place (truncated, then written) once as the kit opens
// the defaults each time: what each open found, and what the file holds.
void rewrittenWhileRead(const fs::path& folder) {
    const fs::path file = folder / "rewritten.plist";
    const auto hostFile = [](int round) {
        platform::Dictionary host;
        host.set("round", Value(Number::fromInt(round)));
        return *platform::writePropertyListXml(Value(host));
    };
    std::ofstream(file, std::ios::binary) << hostFile(0);
    constexpr int kOpens = 50;
    std::atomic<int> opens{0};
    std::thread host([&] {
        for (int round = 0; round < kOpens; ++round) {
            while (opens.load() <= round) std::this_thread::yield();
            std::ofstream(file, std::ios::binary) << hostFile(round + 1);  // truncated, then written
        }
    });
    int written = 0, kitsAlone = 0;
    for (int open = 0; open < kOpens; ++open) {
        opens.store(open + 1);
        UserDefaults::resetStandard(file);
        written += UserDefaults::standard()->set("lastScan", Value("now")) ? 1 : 0;
        const std::optional<Value> seen = platform::readPropertyList(platform::readFile(file, 1u << 20).value_or(""));
        kitsAlone += seen && seen->dictionary() && !seen->dictionary()->contains("round") ? 1 : 0;
    }
    host.join();
    int aside = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        aside += entry.path().filename().native().starts_with("rewritten.plist.damaged") ? 1 : 0;
    std::cout << "   a host rewriting its file in place as the kit opens it, " << kOpens << " times: " << written
              << " opens read it whole and wrote the kit's value beside the host's, " << kOpens - written
              << " found it changing or empty and left it as it was (the kit's value kept for the run); moved aside "
              << aside << " times, seen holding the kit's value without the host's " << kitsAlone << " times\n";
    UserDefaults::resetStandard();
}

}  // namespace

void hostDefaults(const fs::path& out) {
    std::cout << "\n== the host's own preferences file: every value back exactly, or the file left as it is\n";
    const WorkFolder work(out, "host-preferences");
    const fs::path& folder = work.path();
    std::error_code ec;
    platform::LogCapture quiet;  // the defaults' own lines
    keptValueForValue(folder, platform::PropertyListFormat::xml);
    keptValueForValue(folder, platform::PropertyListFormat::binary);

    leftAsItIs(folder, "a file in the old text form, { key = value; }", "{ greeting = hello; count = 3; }\n");
    leftAsItIs(folder, "an XML file holding a key twice",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>a</key><string>1</string>"
               "<key>a</key><string>2</string></dict></plist>\n");

    UserDefaults::resetStandard(folder / "refusing.plist");
    const auto defaults = UserDefaults::standard();
    using namespace std::string_literals;
    const bool null = defaults->set("nothing", Value()), nul = defaults->set("nul", Value("a\0b"s)),
               later = defaults->set("later", Value("written"));
    UserDefaults::resetStandard(folder / "refusing.plist");
    std::cout << "   set of a null: " << std::boolalpha << null << "; of a text holding a NUL into XML: " << nul
              << "; a value set after them: " << later << ", and a new launch reads it: "
              << (UserDefaults::standard()->string("later") == "written") << "\n";

    const fs::path zeros = folder / "zeros.plist";
    std::ofstream(zeros, std::ios::binary).close();
    fs::resize_file(zeros, 1ull << 30, ec);  // sparse
    const auto start = DemoClock::now();
    UserDefaults::resetStandard(zeros);
    const bool zerosSet = UserDefaults::standard()->set("lastScan", Value("now"));
    std::cout << "   a file of 1 GB of zeros: found no property list from its first bytes in "
              << ::seconds(secondsSince(start)) << "; set gives " << std::boolalpha << zerosSet << " (kept in memory), "
              << "and the file is " << (fs::exists(zeros) && fs::file_size(zeros) == (1ull << 30) ? "left as it was" : "GONE")
              << "\n";
    UserDefaults::resetStandard();

    sharedValues(folder);
    manyDistinctValues(folder);
    rewrittenWhileRead(folder);
}
