// The host's standard defaults opened, and one value of the kit's set, at the sizes a
// host may keep: 100,000 and 400,000 keys of short texts, in the XML and the binary
// form (the second set should cost about four times the first: both grow linearly with
// the keys). Binary files whose values are shared, as writers share repeated values: a
// 4 MB file of a 257-byte text referenced a million times, 32 MiB of data referenced 16
// times, and the kit's own file of 80 KB holding a list of 40,000 references to one list
// of 25 references to a 257-byte text. And a file of 1 GB of zeros (sparse on disk),
// which is known no property list from its first bytes. Counters: the seconds of the open and of
// the set, the file's size and the size written back, and the peak resident memory of
// the whole step.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "binary_plist_bytes.hpp"
#include "peak_memory.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/platform/foundation/log.hpp"
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

// A folder of the run's own, removed at exit.
const fs::path& folder() {
    static const struct Folder {
        fs::path path;
        Folder() {
            std::string pattern = (fs::temp_directory_path() / "vistrel-host-defaults-XXXXXX").string();
            if (::mkdtemp(pattern.data())) path = pattern;
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

}  // namespace

BENCHMARK_MAIN();
