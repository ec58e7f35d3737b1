// The host's standard defaults opened, and one value of the kit's set, at the sizes a
// host may keep: 100,000 and 400,000 keys of short texts, in the XML and the binary
// form (the second set should cost about four times the first: both grow linearly with
// the keys). Binary files whose values are shared, as writers share repeated values: a
// 4 MB file of a 257-byte text referenced a million times, 32 MiB of data referenced 16
// times, and the kit's own file of 80 KB holding a list of 40,000 references to one list
// of 25 references to a 257-byte text. And a file of 1 GB of zeros (sparse on disk),
// which is known no property list from its first bytes. Counters: the seconds of the open and of
// the set, the file's size and the size written back, and the peak resident memory of
// the whole step. Then the host writing its file while the kit sets values (how many of
// the host's writes are lost), how far file times lag the clock, and what opening a file
// just written costs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "binary_plist_bytes.hpp"
#include "peak_memory.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

namespace {

namespace fs = std::filesystem;
using platform::UserDefaults;

std::string key(std::int64_t i) {
    char text[32];
    std::snprintf(text, sizeof text, "key%07lld", static_cast<long long>(i));
    return text;
}

std::string xmlFile(std::int64_t keys) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    for (std::int64_t i = 0; i < keys; ++i)
        out.append("\t<key>").append(key(i)).append("</key>\n\t<string>value ").append(std::to_string(i)).append("</string>\n");
    return out.append("</dict>\n</plist>\n");
}

// One dictionary of ASCII texts, references 4 bytes wide.
std::string binaryFile(std::int64_t keys) {
    plisttest::BinaryPlistBuilder file(4);
    plisttest::appendMarker(file.next(), 0xD, std::uint64_t(keys));
    for (std::int64_t i = 0; i < 2 * keys; ++i) file.ref(1 + std::uint64_t(i));
    for (std::int64_t i = 0; i < keys; ++i) file.text(key(i));
    for (std::int64_t i = 0; i < keys; ++i) file.text("value " + std::to_string(i));
    return std::move(file).file();
}

// A folder of the run's own, removed at exit; the kit's data folder too, so that what
// the kit keeps there (the locks its writers take turns by, one for each file) goes with it.
const fs::path& folder() {
    static const struct Folder {
        fs::path path;
        Folder() {
            std::string pattern = (fs::temp_directory_path() / "vistrel-host-defaults-XXXXXX").string();
            if (::mkdtemp(pattern.data())) path = pattern;
            if (!path.empty()) ::setenv("VISTREL_HOME", (path / "kit").c_str(), 1);
        }
        ~Folder() {
            std::error_code ignored;
            if (!path.empty()) fs::remove_all(path, ignored);
        }
    } made;
    return made.path;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Arguments: the keys, and 1 for the binary form.
void BM_OpenHostDefaultsAndSetOne(benchmark::State& state) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    const bool binary = state.range(1) == 1;
    const fs::path file = folder() / (binary ? "binary.plist" : "xml.plist");
    std::uintmax_t bytes = 0;
    {
        const std::string contents = binary ? binaryFile(state.range(0)) : xmlFile(state.range(0));
        std::ofstream(file, std::ios::binary) << contents;
        bytes = contents.size();
    }
    double open = 0, set = 0;
    bool stored = false;
    testsupport::resetPeak();
    for (auto _ : state) {
        // The defaults of the run before are let go first: what that costs is not the open's.
        state.PauseTiming();
        UserDefaults::resetStandard();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        UserDefaults::resetStandard(file);
        auto defaults = UserDefaults::standard();
        benchmark::DoNotOptimize(defaults->string("key0000000"));
        open += secondsSince(start);
        const auto setStart = std::chrono::steady_clock::now();
        stored = defaults->set("apiKey", platform::Value("the kit's"));
        set += secondsSince(setStart);
    }
    UserDefaults::resetStandard();
    const auto runs = static_cast<double>(state.iterations());
    state.counters["open_s"] = open / runs;
    state.counters["set_s"] = set / runs;
    state.counters["stored"] = stored ? 1 : 0;
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.counters["peak_MiB"] = testsupport::peakMiB();
    fs::remove(file);
}
BENCHMARK(BM_OpenHostDefaultsAndSetOne)
    ->ArgsProduct({{100'000, 400'000}, {0, 1}})
    ->ArgNames({"keys", "binary"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

std::string object(unsigned char type, std::uint64_t length, std::string_view contents = {}) {
    std::string out;
    plisttest::appendMarker(out, type, length);
    return out.append(contents);
}

// A container of `count` references to the same object.
std::string repeated(unsigned char type, std::uint64_t count, std::uint64_t index, int refWidth) {
    std::string out = object(type, count);
    for (std::uint64_t i = 0; i < count; ++i) plisttest::appendBigEndian(out, index, refWidth);
    return out;
}

enum SharedShape { textAMillionTimes, dataSixteenTimes, kitsOwnFile };

std::string sharedFile(SharedShape shape) {
    const std::string text(257, 't');
    switch (shape) {
    case textAMillionTimes:  // {"values": [text x 1,000,000]}
        return plisttest::binaryPlist({object(0xD, 1, std::string("\0\0\0\1\0\0\0\2", 8)), object(0x5, 6, "values"),
                                repeated(0xA, 1'000'000, 3, 4), object(0x5, text.size(), text)},
                               4);
    case dataSixteenTimes: {  // {"k00": data, ... "k15": data}, 32 MiB of data
        std::string top = object(0xD, 16);
        for (int i = 1; i <= 16; ++i) top.push_back(static_cast<char>(i));
        top.append(16, '\x11');
        std::vector<std::string> objects{top};
        for (int i = 0; i < 16; ++i) {
            char key[4];
            std::snprintf(key, sizeof key, "k%02d", i);
            objects.push_back(object(0x5, 3, key));
        }
        objects.push_back(object(0x4, 32u << 20, std::string(32u << 20, 'd')));
        return plisttest::binaryPlist(objects, 1);
    }
    case kitsOwnFile: {  // the kit's three values and {"history": [[text x 25] x 40,000]}
        std::string top = object(0xD, 4);
        for (std::uint64_t i : {1, 2, 3, 4, 5, 6, 7, 8}) plisttest::appendBigEndian(top, i, 2);
        return plisttest::binaryPlist({top, object(0x5, 6, "apiKey"), object(0x5, 21, "applicationInstanceId"),
                                object(0x5, 16, "useBlackAndWhite"), object(0x5, 7, "history"),
                                object(0x5, 8, "some-key"), object(0x5, 13, "some-instance"), "\x09",
                                repeated(0xA, 40'000, 9, 2), repeated(0xA, 25, 10, 2), object(0x5, text.size(), text)},
                               2);
    }
    }
    return {};
}

// Arguments: the shape. The host's files are opened as the standard defaults, the kit's
// as its own (with its bounds); the next start is a new open of the file written.
void BM_OpenSharedValuesAndSetOne(benchmark::State& state) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    const auto shape = static_cast<SharedShape>(state.range(0));
    const fs::path file = folder() / "shared.plist";
    std::uintmax_t bytes = 0, written = 0;
    bool read = false, stored = false, readNext = false;
    double open = 0, set = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            const std::string contents = sharedFile(shape);
            std::ofstream(file, std::ios::binary | std::ios::trunc) << contents;
            bytes = contents.size();
        }
        testsupport::resetPeak();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        auto defaults = shape == kitsOwnFile ? std::make_shared<UserDefaults>(file, vistrel::kitDefaultsBounds)
                                             : std::make_shared<UserDefaults>(file);
        const std::string kept = shape == dataSixteenTimes ? "k15" : shape == kitsOwnFile ? "history" : "values";
        read = defaults->object(kept).has_value();
        open += secondsSince(start);
        const auto setStart = std::chrono::steady_clock::now();
        stored = defaults->set("apiKey", platform::Value("the kit's"));
        set += secondsSince(setStart);
        defaults.reset();
        std::error_code ec;
        written = fs::file_size(file, ec);
        readNext = UserDefaults(file, shape == kitsOwnFile ? std::optional(vistrel::kitDefaultsBounds) : std::nullopt)
                       .object(kept)
                       .has_value();
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["open_s"] = open / runs;
    state.counters["set_s"] = set / runs;
    state.counters["read"] = read ? 1 : 0;
    state.counters["stored"] = stored ? 1 : 0;
    state.counters["read_at_next_start"] = readNext ? 1 : 0;
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.counters["written_MB"] = double(written) / 1e6;
    state.counters["peak_MiB"] = testsupport::peakMiB();
    for (const auto& entry : fs::directory_iterator(folder()))
        if (entry.path().filename().native().starts_with("shared.plist")) fs::remove(entry.path());
}
BENCHMARK(BM_OpenSharedValuesAndSetOne)
    ->DenseRange(textAMillionTimes, kitsOwnFile)
    ->ArgName("shape")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// A gigabyte of zeros where the host's defaults are: known no property list from its
// first bytes, and left as it is.
void BM_OpenGigabyteOfZeros(benchmark::State& state) {
    const fs::path file = folder() / "zeros.plist";
    bool left = true;
    testsupport::resetPeak();
    for (auto _ : state) {
        state.PauseTiming();
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const bool made = fd >= 0 && ::ftruncate(fd, 1LL << 30) == 0;
        if (fd >= 0) ::close(fd);
        if (!made) state.SkipWithError("the sparse file could not be made");
        state.ResumeTiming();
        UserDefaults::resetStandard(file);
        benchmark::DoNotOptimize(UserDefaults::standard()->string("a"));
        std::error_code ec;
        left = left && fs::file_size(file, ec) == (std::uintmax_t(1) << 30);
    }
    UserDefaults::resetStandard();
    state.counters["left_as_it_is"] = left ? 1 : 0;
    state.counters["peak_MiB"] = testsupport::peakMiB();
    for (const auto& entry : fs::directory_iterator(folder()))
        if (entry.path().filename().native().starts_with("zeros.plist")) fs::remove(entry.path());
}
BENCHMARK(BM_OpenGigabyteOfZeros)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// What a host's write is: its keys, and values of one length whatever the round, so that a
// rewrite in place keeps the file's length.
constexpr int kHostKeys = 100;
std::string hostRound(int round) {
    char text[16];
    std::snprintf(text, sizeof text, "%07d", round);
    return std::string(text) + std::string(93, 'v');
}

// The host's file as it reads it (its values and whatever else is there), or none while it
// does not read.
std::optional<platform::Value> readAsTheHost(const fs::path& file) {
    std::optional<platform::Value> values = platform::readPropertyList(platform::readFile(file, 1u << 20).value_or(""));
    if (!values || !values->dictionary()) return std::nullopt;
    return values;
}

void writeInPlace(const fs::path& file, const std::string& bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    const bool sameLength = ::fstat(fd, &st) == 0 && std::uintmax_t(st.st_size) == bytes.size();
    if (::pwrite(fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size()) && !sameLength)
        [[maybe_unused]] const int cut = ::ftruncate(fd, off_t(bytes.size()));
    ::close(fd);
}

// The host writes its file every 2 ms, 600 times, without any lock, reading it first and
// writing it whole; meanwhile the kit sets values in it one after another, pausing the
// second argument's milliseconds between two. First argument 0: the host renames a new
// file into place, each write adding a key of its own: a write lost is its key missing at
// the end. 1: the host rewrites the file in place at the same length, each write setting
// its 100 values to the round's number: a write lost is one whose values the host does
// not all find at its next read (the kit wrote back a file read while the host was
// writing, or one read before). Counters: the host's writes and those lost, the kit's
// sets and those that failed (the file changing whenever read: the values kept for a
// later set), and the mean time of a set.
void BM_HostWritesWhileTheKitSets(benchmark::State& state) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    const bool inPlace = state.range(0) == 1;
    const fs::path file = folder() / (inPlace ? "in-place.plist" : "renamed.plist");
    constexpr int kHostWrites = 600;
    const auto pause = std::chrono::milliseconds(state.range(1));
    int hostLost = 0, kitSets = 0, kitFailed = 0;
    double setSeconds = 0;
    for (auto _ : state) {
        platform::Dictionary host;
        for (int key = 0; key < kHostKeys; ++key) host.set(std::string("h").append(std::to_string(key)), platform::Value(hostRound(0)));
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            << *platform::writePropertyList(platform::PropertyListFormat::xml, platform::Value(host));
        UserDefaults::resetStandard(file);
        const auto kit = UserDefaults::standard();
        std::atomic<bool> hostDone{false};
        std::thread hostThread([&] {
            for (int write = 1; write <= kHostWrites; ++write) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                std::optional<platform::Value> values = readAsTheHost(file);
                if (!values) continue;
                platform::Dictionary* dictionary = values->mutableDictionary();
                if (inPlace) {
                    for (int key = 0; key < kHostKeys; ++key) {
                        const platform::Value* value = dictionary->find(std::string("h").append(std::to_string(key)));
                        if (!value || *value != platform::Value(hostRound(write - 1))) {
                            ++hostLost;
                            break;
                        }
                    }
                    for (int key = 0; key < kHostKeys; ++key)
                        dictionary->set(std::string("h").append(std::to_string(key)), platform::Value(hostRound(write)));
                    writeInPlace(file, *platform::writePropertyList(platform::PropertyListFormat::xml, *values));
                } else {
                    dictionary->set(std::string("host-").append(std::to_string(write)), platform::Value("h"));
                    platform::writeFileAtomically(file, *platform::writePropertyList(platform::PropertyListFormat::xml, *values), 0600);
                }
            }
            hostDone = true;
        });
        while (!hostDone) {
            const auto start = std::chrono::steady_clock::now();
            kitFailed += kit->set(std::string("kit-").append(std::to_string(kitSets % 50)),
                                  platform::Value(std::to_string(kitSets)))
                             ? 0
                             : 1;
            setSeconds += secondsSince(start);
            ++kitSets;
            std::this_thread::sleep_for(pause);
        }
        hostThread.join();
        if (!inPlace) {
            const std::optional<platform::Value> last = readAsTheHost(file);
            for (int write = 1; write <= kHostWrites; ++write)
                hostLost += last && last->dictionary()->find(std::string("host-").append(std::to_string(write))) ? 0 : 1;
        }
        UserDefaults::resetStandard();
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["host_writes"] = kHostWrites;
    state.counters["host_writes_lost"] = hostLost / runs;
    state.counters["kit_sets"] = kitSets / runs;
    state.counters["kit_sets_failed"] = kitFailed / runs;
    state.counters["set_ms"] = kitSets ? 1000 * setSeconds / kitSets : 0;
    for (const auto& entry : fs::directory_iterator(folder()))
        if (entry.path().filename().native().starts_with(file.filename().native())) fs::remove(entry.path());
}
BENCHMARK(BM_HostWritesWhileTheKitSets)
    ->ArgsProduct({{0, 1}, {0, 20}})
    ->ArgNames({"in_place", "kit_pause_ms"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

double nanosecondsOf(const timespec& time) { return double(time.tv_sec) * 1e9 + double(time.tv_nsec); }

// How far the times the kernel stamps a write with lag the real-time clock: each write is
// to a file never looked at before (a file system may stamp a file looked at since its
// last change finer), its time compared with the clock read just after. Counters: the
// step of the coarse clock the kernel stamps with (clock_getres), the mean and largest
// lag, in milliseconds.
void BM_FileTimesLagTheClock(benchmark::State& state) {
    const fs::path file = folder() / "stamped";
    double lagSum = 0, lagMax = 0, writes = 0;
    for (auto _ : state) {
        fs::remove(file);
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const bool written = fd >= 0 && ::write(fd, "x", 1) == 1;
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        struct stat st {};
        if (!written || ::fstat(fd, &st) != 0) state.SkipWithError("not written");
        if (fd >= 0) ::close(fd);
        const double lag = (nanosecondsOf(now) - nanosecondsOf(st.st_mtim)) / 1e6;
        lagSum += lag;
        lagMax = std::max(lagMax, lag);
        ++writes;
    }
    timespec step{};
    ::clock_getres(CLOCK_REALTIME_COARSE, &step);
    state.counters["step_ms"] = nanosecondsOf(step) / 1e6;
    state.counters["lag_mean_ms"] = writes ? lagSum / writes : 0;
    state.counters["lag_max_ms"] = lagMax;
    fs::remove(file);
}
BENCHMARK(BM_FileTimesLagTheClock)->Iterations(2000);

// What opening the defaults costs when the file was just written: in place (a write may be
// under way until its change is a step of the stamping clock old, which the read waits
// for), or renamed in whole (read at once). Argument 1: in place.
void BM_OpenAFileJustWritten(benchmark::State& state) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    const bool inPlace = state.range(0) == 1;
    const fs::path file = folder() / "just-written.plist";
    const std::string bytes = xmlFile(100);
    platform::writeFileAtomically(file, bytes, 0600);
    for (auto _ : state) {
        state.PauseTiming();
        if (inPlace) writeInPlace(file, bytes);
        else platform::writeFileAtomically(file, bytes, 0600);
        state.ResumeTiming();
        UserDefaults defaults(file);
        benchmark::DoNotOptimize(defaults.string("key0000000"));
    }
    for (const auto& entry : fs::directory_iterator(folder()))
        if (entry.path().filename().native().starts_with("just-written.plist")) fs::remove(entry.path());
}
BENCHMARK(BM_OpenAFileJustWritten)->DenseRange(0, 1)->ArgName("in_place")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
