// The store's write lock as hosts sharing a data folder meet it: how long a host's save
// of a favourite mark waits while two other hosts record 25 MP photos back to back, and
// how long a save, a scan's record and the migration of four photos take while another
// host is stopped holding the lock (an app suspended mid-save). The other hosts are this
// program run again.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "noisy_picture.hpp"
#include "photo_history.hpp"
#include "stopped_runs.hpp"
#include "store_holder.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace {

constexpr const char* kRoleVariable = "VISTREL_BENCH_STORE_HOST";

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::shared_ptr<vistrel::PersistanceController> controllerOver(const std::filesystem::path& folder) {
    auto layer = std::make_shared<vistrel::CoreDataLayer>();
    layer->setApplicationDocumentsDirectory(folder);
    platform::Dictionary configuration;
    configuration.set("GALLERY_NUMBER_ITEMS", "0");
    return std::make_shared<vistrel::PersistanceController>(
        layer, std::make_shared<vistrel::SdkConfiguration>(std::move(configuration)));
}

struct Migration : vistrel::MigrationProtocol {
    int finished = 0, failed = 0;
    void didFinishMigration() override { ++finished; }
    void didFailMigration() override { ++failed; }
};

// Another host, as kRoleVariable says: "record <folder> <name>" records three 25 MP photos
// back to back; "hold <folder> <signal fd> <wait fd>" records one and stops at its save,
// the lock held, once it has told so.
int runAsAnotherHost(const char* role) {
    char kind[16] = {}, folder[4096] = {}, name[64] = {};
    int signalFd = -1, waitFd = -1;
    if (std::sscanf(role, "%15s %4095s", kind, folder) != 2) return 2;
    auto history = controllerOver(folder);
    if (std::string_view(kind) == "record") {
        if (std::sscanf(role, "%*s %*s %63s", name) != 1) return 2;
        const auto photo = testsupport::noisyPicture(7, 5000, 5000);
        for (int i = 0; i < 3; ++i)
            if (!history->loadOrCreateVistrelImage("doc", std::string(name) + std::to_string(i), "t", photo,
                                                   vistrel::Date(std::chrono::seconds(1'700'000'000 + i))))
                return 1;
        return 0;
    }
    if (std::sscanf(role, "%*s %*s %d %d", &signalFd, &waitFd) != 2) return 2;
    testsupport::recordAndHoldTheStore(*history, signalFd, waitFd);
    return 0;
}

pid_t startHost(const std::string& role, const std::filesystem::path& output) {
    return testsupport::startThisProgram({}, {std::string(kRoleVariable) + "=" + role}, output, true);
}

// A favourite mark saved again and again while two other hosts record 25 MP photos back to
// back: the longest and the mean time one save took.
void FavouriteSaveWhileTwoHostsRecordLargePhotos(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::PhotoHistory history(1, testsupport::noisyPicture(2));
        auto shown = history.store->retrieveImages();
        const pid_t hosts[] = {startHost("record " + history.folder.string() + " first", history.folder / "first.out"),
                               startHost("record " + history.folder.string() + " second", history.folder / "second.out")};
        state.ResumeTiming();
        double longest = 0, total = 0;
        int saves = 0, failed = 0;
        const auto running = [&] {
            for (pid_t host : hosts)
                if (::waitpid(host, nullptr, WNOHANG) == 0) return true;
            return false;
        };
        while (running()) {
            shown->front()->setIsFavorite(!shown->front()->isFavorite());
            const auto start = Clock::now();
            failed += !history.store->saveContext();
            const double took = millisecondsSince(start);
            longest = std::max(longest, took);
            total += took;
            ++saves;
            platform::dispatch::RunLoop::runFor(std::chrono::milliseconds(20));
        }
        for (pid_t host : hosts) testsupport::waitForChild(host);
        state.counters["longest_save_ms"] = longest;
        state.counters["mean_save_ms"] = saves ? total / saves : 0;
        state.counters["saves"] = saves;
        state.counters["failed_saves"] = failed;
        const auto recorded = history.store->retrieveImages();
        state.counters["records"] = recorded ? static_cast<double>(recorded->size()) : 0;
    }
}
BENCHMARK(FavouriteSaveWhileTwoHostsRecordLargePhotos)->Unit(benchmark::kMillisecond)->Iterations(1);

// Another host stopped at its record's save, the lock held: how long a favourite mark's
// save, a scan's record and the migration of four photos an earlier version kept inside
// their records each take to give up.
void WhileAnotherHostIsStoppedHoldingTheStore(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::PhotoHistory history(1, testsupport::noisyPicture(2));
        {
            auto context = history.store->layer->managedObjectContext();
            const auto jpeg = platform::graphics::encodeJpeg(testsupport::noisyPicture(3), 0.9);
            for (int i = 0; i < 4; ++i) {
                auto image = vistrel::VistrelImage::insertInto(*context);
                image->setIdentifier("old" + std::to_string(i));
                image->setPicture(jpeg);
                image->setDate(vistrel::Date(std::chrono::seconds(1'600'000'000 + i)));
            }
            history.store->saveContext();
        }
        auto shown = history.store->retrieveImages();
        testsupport::ProcessSignal holds, never;
        const pid_t holder = startHost("hold " + history.folder.string() + " " + std::to_string(holds.writeEnd) + " " +
                                           std::to_string(never.readEnd),
                                       history.folder / "holder.out");
        if (!testsupport::ProcessSignal::waitFor(holds.readEnd)) state.SkipWithError("the holder never held");
        state.ResumeTiming();
        shown->front()->setIsFavorite(!shown->front()->isFavorite());
        auto start = Clock::now();
        const bool saved = history.store->saveContext();
        state.counters["favourite_save_ms"] = millisecondsSince(start);
        start = Clock::now();
        const bool recorded = history.store->loadOrCreateVistrelImage(
                                  "doc", "scan", "t", testsupport::noisyPicture(4),
                                  vistrel::Date(std::chrono::seconds(1'700'000'100))) != nullptr;
        state.counters["scan_record_ms"] = millisecondsSince(start);
        auto migration = std::make_shared<Migration>();
        start = Clock::now();
        history.store->migrateWithDelegate(migration);
        platform::dispatch::RunLoop::runUntil([&] { return migration->finished + migration->failed > 0; },
                                              std::chrono::minutes(5));
        state.counters["migration_of_4_ms"] = millisecondsSince(start);
        state.PauseTiming();
        if (saved || recorded || migration->failed != 1) state.SkipWithError("a write went through a held lock");
        ::kill(holder, SIGKILL);
        testsupport::waitForChild(holder);
        state.ResumeTiming();
    }
}
BENCHMARK(WhileAnotherHostIsStoppedHoldingTheStore)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    platform::setLogSink(platform::discardLine);
    if (const char* role = std::getenv(kRoleVariable)) return runAsAnotherHost(role);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
