#include "host_code_demo.hpp"

#include <chrono>
#include <functional>
#include <utility>
#include <cstdio>
#include <future>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "camera_stills_demo.hpp"
#include "noisy_picture.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/net/reachability_flags.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"
#include "vistrel/vistrel.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/store/persistance_controller.hpp"
#include "work_folder.hpp"

namespace {

namespace fs = std::filesystem;
using platform::dispatch::RunLoop;

// What a host's code does inside the save of a record.
enum class Inside {
    nothing, savesThenFails, answersFalseOnceSaved, uploadsAsItsThreadsCall, runsTheLoopAsItsThreadsCall,
    runsTheLoopAsAThreadRecords
};

struct HostsStore : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    Inside inside = Inside::nothing;
    std::shared_ptr<vistrel::VistrelImage> favourite;
    std::function<void()> meanwhile;  // in savePicture, once
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        const bool written = PersistanceController::savePicture(picture, key);
        if (meanwhile) std::exchange(meanwhile, nullptr)();
        if (inside != Inside::savesThenFails) return written;
        favourite->setIsFavorite(true);
        saveContext();
        return false;  // its own upload failed
    }
    bool saveContext() override {
        const bool saved = PersistanceController::saveContext();
        return saved && inside != Inside::answersFalseOnceSaved;
    }
};

std::shared_ptr<HostsStore> storeIn(const fs::path& folder) {
    auto layer = std::make_shared<vistrel::CoreDataLayer>();
    layer->setApplicationDocumentsDirectory(folder);
    return std::make_shared<HostsStore>(layer);
}

vistrel::Date at(int seconds) { return vistrel::Date(std::chrono::seconds(1'700'000'000 + seconds)); }

std::string seconds(std::chrono::steady_clock::duration elapsed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(elapsed).count());
    return text;
}

void aPhotoTakenDuringAHostsSave(const fs::path& folder, const fs::path& photoFile, const fs::path& out) {
    pointCameraAt(photoFile);
    platform::net::setSimulatedNetwork(0);
    auto navigation = vistrel::Vistrel::rootViewController();
    auto camera = navigation->viewControllers().empty()
                      ? nullptr
                      : std::dynamic_pointer_cast<vistrel::CameraViewController>(navigation->viewControllers().front());
    auto store = storeIn(folder);
    if (!camera || !store->layer->managedObjectContext()) return;
    camera->persistanceController = store;
    auto window = std::make_shared<platform::ui::Window>();
    window->setRootViewController(navigation);
    window->setHidden(false);
    RunLoop::runUntil([&] { return !navigation->presentedViewController(); }, std::chrono::seconds(10));
    RunLoop::runUntil([&] { return camera->cameraController->previewLayer() != nullptr; }, std::chrono::seconds(5));
    const auto shutter = camera->photoView.lock();
    if (!shutter) return;
    store->meanwhile = [&] {
        const auto frame = shutter->convertRect(shutter->bounds(), nullptr);
        platform::ui::tap(window, {frame.midX(), frame.midY()});
        RunLoop::runFor(std::chrono::milliseconds(300));  // its own upload, say, as the still comes
    };
    const bool recorded =
        store->loadOrCreateVistrelImage("doc", "page", "page", testsupport::noisyPicture(1, 64, 48), at(2)) != nullptr;
    RunLoop::runUntil([&] { return !camera->isTakingPicture(); }, std::chrono::seconds(60));
    std::size_t waiting = 0;
    for (const auto& record : store->retrieveImages().value_or(vistrel::VistrelImages{})) waiting += !record->documentId();
    std::cout << "offline, the shutter pressed while a host's savePicture runs the main loop: its scan "
              << (recorded ? "recorded" : "NOT RECORDED") << "; the user told \""
              << camera->baseMessage().value_or("(nothing)") << "\", " << waiting << " photo kept to be sent later\n";
    if (auto picture = platform::ui::render(*window); picture && platform::graphics::writePng(*picture, out / "host-save-camera.png"))
        std::cout << "   wrote host-save-camera.png\n";
    RunLoop::runFor(std::chrono::milliseconds(1700));  // the alert closes by itself
    window->setHidden(true);
    platform::net::setSimulatedNetwork(std::nullopt);
}

// A migration of the photos an earlier version kept inside 300 records, each savePicture a
// host's short upload, as a thread of the host lists the history: each save is short, the
// run of them long.
void aMigrationAsAThreadLists(const fs::path& folder) {
    struct Uploading : HostsStore {
        using HostsStore::HostsStore;
        bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
            const bool written = PersistanceController::savePicture(picture, key);
            if (meanwhile) std::exchange(meanwhile, nullptr)();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));  // its own upload
            return written;
        }
    };
    auto layer = std::make_shared<vistrel::CoreDataLayer>();
    layer->setApplicationDocumentsDirectory(folder);
    auto store = std::make_shared<Uploading>(layer);
    auto context = store->layer->managedObjectContext();
    const auto jpeg = platform::graphics::encodeJpeg(testsupport::noisyPicture(1, 64, 48), 0.9);
    if (!context || !jpeg) return;
    constexpr int kRecords = 300;
    for (int i = 0; i < kRecords; ++i) {  // as an earlier version kept photos: inside their records
        auto image = vistrel::VistrelImage::insertInto(*context);
        image->setIdentifier("old-" + std::to_string(i));
        image->setPicture(*jpeg);
        image->setDate(at(i));
    }
    if (!store->saveContext()) return;
    struct Migration : vistrel::MigrationProtocol {
        bool ended = false, done = false;
        void didFinishMigration() override { ended = done = true; }
        void didFailMigration() override { ended = true; }
    };
    auto migration = std::make_shared<Migration>();
    const auto started = std::chrono::steady_clock::now();
    std::future<std::pair<std::size_t, std::chrono::steady_clock::duration>> listed;
    store->meanwhile = [&] {
        listed = std::async(std::launch::async, [&] {
            const auto records = store->retrieveImages();
            return std::pair(records ? records->size() : 0, std::chrono::steady_clock::now() - started);
        });
    };
    store->migrateWithDelegate(migration);
    RunLoop::runUntil([&] { return migration->ended; }, std::chrono::minutes(2));
    const auto took = std::chrono::steady_clock::now() - started;
    if (!listed.valid()) return;
    RunLoop::runUntil([&] { return listed.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                      std::chrono::minutes(2));
    const auto [records, after] = listed.get();
    std::cout << "a migration of " << kRecords << " photos kept inside records, each savePicture a 10 ms upload, as a "
              << "thread of the host lists the history: the migration " << (migration->done ? "done" : "NOT DONE")
              << " in " << seconds(took) << "; the thread's list of the history (" << records << " records) after "
              << seconds(after) << ", once the run ended\n";
}

}  // namespace

void hostCodeInARecordsSave(const fs::path& out, const fs::path& photoFile) {
    std::cout << "\n== host code inside a record's save (a host's savePicture or saveContext); what the store holds "
                 "is read by a new launch\n";
    const WorkFolder work(out, "host-code");
    const auto photo = testsupport::noisyPicture(1, 64, 48);
    platform::LogCapture log;
    int run = 0;
    for (const Inside inside : {Inside::savesThenFails, Inside::answersFalseOnceSaved, Inside::uploadsAsItsThreadsCall,
                                Inside::runsTheLoopAsItsThreadsCall, Inside::runsTheLoopAsAThreadRecords}) {
        const fs::path folder = work.path() / ("run-" + std::to_string(++run));
        auto store = storeIn(folder);
        store->favourite = store->loadOrCreateVistrelImage("doc", "kept", "kept", photo, at(1));
        if (!store->favourite) return;
        store->inside = inside;
        if (inside != Inside::savesThenFails) store->favourite = nullptr;
        std::future<std::shared_ptr<vistrel::VistrelImage>> other;
        // A host's threads, meanwhile: a list of the history, a scan imported, a save.
        struct Answers {
            bool listed = false, imported = false, saved = false;
            std::chrono::steady_clock::duration read{}, savedAt{};  // when the list and import, the save answered
        };
        std::future<Answers> threads;
        const auto started = std::chrono::steady_clock::now();
        const auto callFromAThread = [&] {
            threads = std::async(std::launch::async, [&] {
                Answers answers;
                answers.listed = store->retrieveImages().has_value();
                // A new scan waits for the save's end; one recorded already is found at once.
                const char* scan = inside == Inside::uploadsAsItsThreadsCall ? "imported" : "kept";
                answers.imported = store->loadOrCreateVistrelImage("doc", scan, scan, photo, at(4)) != nullptr;
                answers.read = std::chrono::steady_clock::now() - started;
                answers.saved = store->saveContext();
                answers.savedAt = std::chrono::steady_clock::now() - started;
                return answers;
            });
        };
        if (inside == Inside::uploadsAsItsThreadsCall)
            store->meanwhile = [&] {
                callFromAThread();
                std::this_thread::sleep_for(std::chrono::seconds(3));  // its own upload, blocking
            };
        if (inside == Inside::runsTheLoopAsItsThreadsCall)
            store->meanwhile = [&] {
                callFromAThread();
                RunLoop::runFor(std::chrono::seconds(1));  // its own upload, say
            };
        if (inside == Inside::runsTheLoopAsAThreadRecords)
            store->meanwhile = [&] {
                other = std::async(std::launch::async, [&] {
                    return store->loadOrCreateVistrelImage("doc", "other", "other", photo, at(3));
                });
                RunLoop::runFor(std::chrono::milliseconds(200));  // its own upload, say
            };
        const bool recorded = store->loadOrCreateVistrelImage("doc", "page", "page", photo, at(2)) != nullptr;
        const auto took = std::chrono::steady_clock::now() - started;
        if (other.valid())
            RunLoop::runUntil([&] { return other.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                              std::chrono::minutes(1));
        const bool otherRecorded = other.valid() && other.get() != nullptr;
        Answers answers;
        if (threads.valid()) {
            RunLoop::runUntil([&] { return threads.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                              std::chrono::minutes(2));
            answers = threads.get();
        }
        const auto told = [&] {
            return std::string(answers.listed ? "listed" : "NOT LISTED") + ", " +
                   (answers.imported ? "imported" : "NOT IMPORTED") + " after " + seconds(answers.read) + ", " +
                   (answers.saved ? "saved" : "NOT SAVED") + " after " + seconds(answers.savedAt);
        };
        store.reset();
        const auto later = storeIn(folder);
        const auto find = [&](const char* identifier) {
            const auto found = later->loadVistrelImages({identifier});
            return found ? found->front() : nullptr;
        };
        const auto page = find("page"), kept = find("kept");
        const bool photoKept = page && later->getPicture("page").has_value();
        switch (inside) {
        case Inside::savesThenFails:
            std::cout << "a savePicture that marks another record a favourite, saves (told true), then fails: the scan "
                      << (recorded ? "RECORDED" : "not recorded") << ", the favourite "
                      << (kept && kept->isFavorite() ? "in the store" : "LOST") << "\n";
            break;
        case Inside::answersFalseOnceSaved:
            std::cout << "a saveContext that answers false once the record is saved: the scan "
                      << (recorded ? "given" : "NOT GIVEN") << ", its record " << (page ? "in the store" : "GONE")
                      << " with its photo " << (photoKept ? "kept" : "LOST") << "; the log "
                      << (log.contains("dropped") ? "SAYS DROPPED" : "says it is kept") << "\n";
            break;
        case Inside::uploadsAsItsThreadsCall:
            std::cout << "a savePicture blocked 3 s on its upload while a thread of the host calls the store: the scan "
                      << (recorded ? "recorded" : "NOT RECORDED") << " in " << seconds(took) << "; the thread's calls "
                      << told() << " (once the save ended)\n";
            break;
        case Inside::runsTheLoopAsItsThreadsCall:
            std::cout << "a savePicture that runs the main loop 1 s while a thread of the host calls the store: the "
                      << "thread's calls " << told() << " (the save once the scan's is committed); the scan "
                      << (recorded ? "recorded" : "NOT RECORDED") << " in " << seconds(took) << "\n";
            break;
        case Inside::nothing: break;
        case Inside::runsTheLoopAsAThreadRecords:
            std::cout << "a savePicture that runs the main loop while another thread records a scan: the first scan "
                      << (recorded ? "recorded" : "NOT RECORDED") << ", the other "
                      << (otherRecorded && find("other") ? "recorded once the first is saved" : "REFUSED") << "\n";
            break;
        }
        log.clear();
    }
    aMigrationAsAThreadLists(work.path() / "migration");
    aPhotoTakenDuringAHostsSave(work.path() / "camera", photoFile, out);
}
