// The history's newest 12 and 100 records and a lookup by identifier among 100,000
// records, beside the same SQL run straight through SQLite on the same file. Then
// histories of 30 records holding what an earlier version stored whole, 15 MB each: the
// time and the peak resident memory of listing those whose titles are that long, of
// listing (and listing again after a save) those whose old photo blobs stayed, and of
// opening the store with a left-over photo under a digest name over the long titles.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "peak_memory.hpp"
#include "photo_history.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/store/persistance_controller.hpp"
#include "vistrel/core/picture_file_name.hpp"

namespace {

// The prefix followed by the number, appended (g++ 12 misreads "literal" + string at -O3).
std::string numbered(std::string prefix, long number) {
    prefix += std::to_string(number);
    return prefix;
}

constexpr int kRecords = 100'000;

struct Store {
    std::filesystem::path folder;
    Store() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        auto history = controller("0");
        auto context = history->layer->managedObjectContext();
        for (int i = 0; i < kRecords; ++i) {
            auto image = vistrel::VistrelImage::insertInto(*context);
            image->setDate(vistrel::Date(std::chrono::seconds(1'600'000'000 + i)));
            image->setIdentifier(numbered("identifier", i));
            image->setDocumentId(numbered("document", i));
            image->setTitle(numbered("A scanned page number ", i));
            image->setIsFavorite(i % 7 == 0);
        }
        history->saveContext();
    }
    ~Store() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::shared_ptr<vistrel::PersistanceController> controller(std::string limit) const {
        auto layer = std::make_shared<vistrel::CoreDataLayer>();
        layer->setApplicationDocumentsDirectory(folder);
        platform::Dictionary configuration;
        configuration.set("GALLERY_NUMBER_ITEMS", std::move(limit));
        return std::make_shared<vistrel::PersistanceController>(
            layer, std::make_shared<vistrel::SdkConfiguration>(std::move(configuration)));
    }
};

const Store& store() {
    static Store made;
    return made;
}

// The values a record holds, read as the kit reads them.
struct Row {
    std::int64_t pk, date;
    std::string documentId, identifier, picture, title;
    bool isFavorite;
};

std::string text(sqlite3_stmt* statement, int column) {
    auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return bytes ? std::string(bytes, sqlite3_column_bytes(statement, column)) : std::string();
}

std::vector<Row> run(sqlite3_stmt* statement) {
    std::vector<Row> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        auto* blob = static_cast<const char*>(sqlite3_column_blob(statement, 5));
        rows.push_back({sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1), text(statement, 2),
                        text(statement, 3), blob ? std::string(blob, sqlite3_column_bytes(statement, 5)) : "",
                        text(statement, 6), sqlite3_column_int(statement, 4) != 0});
    }
    sqlite3_reset(statement);
    return rows;
}

constexpr const char* kColumns = "SELECT pk, date, documentId, identifier, isFavorite, picture, title FROM VistrelImage";

struct Direct {
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    explicit Direct(const std::string& sql) {
        sqlite3_open_v2((store().folder / "VistrelData.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    }
    ~Direct() {
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
};

void RetrieveImages(benchmark::State& state) {
    auto history = store().controller(std::to_string(state.range(0)));
    for (auto _ : state) {
        auto images = history->retrieveImages();
        if (!images || images->size() != std::size_t(state.range(0))) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(images);
    }
}
BENCHMARK(RetrieveImages)->Arg(12)->Arg(100)->Unit(benchmark::kMicrosecond);

void DirectNewest(benchmark::State& state) {
    Direct direct(std::string(kColumns) + " ORDER BY date DESC, pk DESC LIMIT ?");
    for (auto _ : state) {
        sqlite3_bind_int64(direct.statement, 1, state.range(0));
        auto rows = run(direct.statement);
        if (rows.size() != std::size_t(state.range(0))) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(DirectNewest)->Arg(12)->Arg(100)->Unit(benchmark::kMicrosecond);

void LookupByIdentifier(benchmark::State& state) {
    auto history = store().controller("0");
    int i = 0;
    for (auto _ : state) {
        auto images = history->retrieveImages(
            platform::store::Predicate::equals("identifier", numbered("identifier", i++ * 7919 % kRecords)));
        if (!images || images->size() != 1) state.SkipWithError("not found");
        benchmark::DoNotOptimize(images);
    }
}
BENCHMARK(LookupByIdentifier)->Unit(benchmark::kMicrosecond);

void DirectLookup(benchmark::State& state) {
    Direct direct(std::string(kColumns) + " WHERE identifier = ? ORDER BY date DESC, pk DESC");
    int i = 0;
    for (auto _ : state) {
        std::string identifier = numbered("identifier", i++ * 7919 % kRecords);
        sqlite3_bind_text(direct.statement, 1, identifier.c_str(), int(identifier.size()), SQLITE_STATIC);
        auto rows = run(direct.statement);
        if (rows.size() != 1) state.SkipWithError("not found");
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(DirectLookup)->Unit(benchmark::kMicrosecond);

// Thirty records, each with one column filled to 15 MB as an earlier version left it: the
// SQL sets it.
struct FifteenMegabytes {
    testsupport::PhotoHistory records{0, *platform::graphics::Image::make(*platform::graphics::Bitmap::make(4, 3))};
    explicit FifteenMegabytes(const char* fill) {
        auto context = records.store->layer->managedObjectContext();
        for (int i = 0; i < 30; ++i) {
            auto image = vistrel::VistrelImage::insertInto(*context);
            image->setDate(vistrel::Date(std::chrono::seconds(1'600'000'000 + i)));
            image->setIdentifier(numbered("https://example.com/page?n=", i));  // a digest name's
            image->setDocumentId(numbered("document", i));
            image->setTitle("-");
        }
        records.store->saveContext();
        sqlite3* db = nullptr;
        sqlite3_open_v2((records.folder / "VistrelData.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, fill, nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
};

// The peak resident memory, and its rise over where it stood, as counters.
struct PeakCounters {
    double before;
    PeakCounters() {
        testsupport::resetPeak();
        before = testsupport::peakMiB();
    }
    void report(benchmark::State& state) const {
        state.counters["peak_MiB"] = testsupport::peakMiB();
        state.counters["peak_rise_MiB"] = testsupport::peakMiB() - before;
    }
};

void RetrieveThirtyFifteenMegabyteTitles(benchmark::State& state) {
    static FifteenMegabytes titles("UPDATE VistrelImage SET title = replace(hex(zeroblob(7864320)), '0', 't')");
    PeakCounters peak;
    std::size_t titleBytes = 0;
    for (auto _ : state) {
        auto images = titles.records.store->retrieveImages();
        if (!images || images->size() != 30) state.SkipWithError("wrong count");
        titleBytes = 0;
        for (const auto& image : *images) titleBytes += image->title().value_or("").size();
        benchmark::DoNotOptimize(images);
    }
    peak.report(state);
    state.counters["title_KiB_listed"] = double(titleBytes) / 1024;
}
BENCHMARK(RetrieveThirtyFifteenMegabyteTitles)->Unit(benchmark::kMillisecond)->Iterations(10);

// Old photo blobs the migration could not move (no picture): the list (0), and the list
// again after a mark is saved, as the gallery reloads on the save (1). SQLite rewrites the
// whole record of a saved mark, its blob too, so the save alone holds twice the blob.
void RetrieveThirtyFifteenMegabyteOldBlobs(benchmark::State& state) {
    static FifteenMegabytes blobs("UPDATE VistrelImage SET picture = zeroblob(15728640)");
    const auto& history = blobs.records.store;
    auto shown = history->retrieveImages();
    PeakCounters peak;
    for (auto _ : state) {
        if (state.range(0) == 1) {
            shown->front()->setIsFavorite(!shown->front()->isFavorite());
            if (!history->saveContext()) state.SkipWithError("not saved");
        }
        auto images = history->retrieveImages();
        if (!images || images->size() != 30) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(images);
    }
    peak.report(state);
}
BENCHMARK(RetrieveThirtyFifteenMegabyteOldBlobs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

// A store opened with one photo a stopped save set aside under a digest name (the one of a
// QR code's address) whose record's photo has the name: the clean-up reads the records.
void OpenWithADigestNamedLeftOverOverFifteenMegabyteTitles(benchmark::State& state) {
    static FifteenMegabytes titles("UPDATE VistrelImage SET title = replace(hex(zeroblob(7864320)), '0', 't')");
    const auto folder = titles.records.folder;
    const std::string name = vistrel::pictureFileName("https://example.com/page?n=7");
    PeakCounters peak;
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& file : {name, name + ".aside-1"}) {
            std::ofstream(folder / file) << "a photo";
            const timespec longAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
            ::utimensat(AT_FDCWD, (folder / file).c_str(), longAgo, 0);
        }
        auto layer = std::make_shared<vistrel::CoreDataLayer>();
        layer->setApplicationDocumentsDirectory(folder);
        state.ResumeTiming();
        if (!layer->managedObjectContext()) state.SkipWithError("not opened");
        state.PauseTiming();
        if (std::filesystem::exists(folder / (name + ".aside-1"))) state.SkipWithError("left over");
        state.ResumeTiming();
    }
    peak.report(state);
}
BENCHMARK(OpenWithADigestNamedLeftOverOverFifteenMegabyteTitles)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    platform::setLogSink(platform::discardLine);
    benchmark::Initialize(&argc, argv);
    store();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
