#include "stopped_save_demo.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "noisy_picture.hpp"
#include "stopped_runs.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/store/persistance_controller.hpp"
#include "vistrel/store/stale_photo_files.hpp"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kChildFlag = "--stopped-save";
constexpr std::string_view kRecordFailsFlag = "--record-fails";
constexpr const char* kKey = "page";
constexpr timespec kOldPhotoTime{1'600'000'000, 0};  // 2020-09-13

// A store whose records cannot be saved (a full disk, a damaged store).
struct RecordsFail : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    bool saveContext() override { return false; }
};

std::shared_ptr<vistrel::PersistanceController> storeIn(const fs::path& folder, bool recordFails) {
    auto layer = std::make_shared<vistrel::CoreDataLayer>();
    layer->setApplicationDocumentsDirectory(folder);
    if (recordFails) return std::make_shared<RecordsFail>(layer);
    return std::make_shared<vistrel::PersistanceController>(layer);
}

int gStopAt = 0, gPassed = 0;

// Tells the parent each step as it passes (unbuffered: the run may end at the next line).
void tellAndStop(std::string_view step) {
    std::string line(step);
    line += '\n';
    [[maybe_unused]] const ssize_t told = ::write(STDOUT_FILENO, line.data(), line.size());
    if (++gPassed == gStopAt) ::raise(SIGKILL);
}

// Runs this program as the stopped save; gives its wait status, what it printed in `told`.
int runChild(const fs::path& folder, int step, bool recordFails, const fs::path& told) {
    std::vector<std::string> arguments = {std::string(kChildFlag), folder.string(), std::to_string(step)};
    if (recordFails) arguments.emplace_back(kRecordFailsFlag);
    return testsupport::runThisProgram(std::move(arguments), {}, told, false);
}

// What the next start finds at the photo's name and in the store.
std::string nextStart(const fs::path& folder, const std::string& oldPhoto, const std::string& newPhoto) {
    testsupport::ageByAnHour(folder);
    auto store = storeIn(folder, false);
    const bool recorded = store->loadVistrelImages({kKey}).has_value();
    const fs::path name = store->picturePath(kKey);
    const auto atName = platform::readFile(name, 64u << 20);
    struct stat st {};
    const bool ownTime = ::lstat(name.c_str(), &st) == 0 && st.st_mtim.tv_sec == kOldPhotoTime.tv_sec;
    std::string found = atName == oldPhoto   ? (ownTime ? "the photo that was there, with its own time" : "the photo that was there")
                        : atName == newPhoto ? "the new photo whole"
                        : atName             ? "HALF A PHOTO"
                                             : "NO PHOTO";
    found += recorded ? ", and its record" : ", no record";
    int left = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        left += vistrel::isTemporaryPhotoName(entry.path().filename().string()) ? 1 : 0;
    if (left) found += ", " + std::to_string(left) + " files left beside it";
    return found;
}

// The steps of a run of steps, by name, a repeated one counted: "piece written x3".
std::string stepNames(const std::vector<std::string>& steps) {
    std::string names;
    for (std::size_t i = 0; i < steps.size();) {
        std::size_t same = i;
        while (same < steps.size() && steps[same] == steps[i]) ++same;
        if (!names.empty()) names += ", ";
        names += steps[i];
        if (same - i > 1) names += " x" + std::to_string(same - i);
        i = same;
    }
    return names;
}

}  // namespace

std::optional<int> runStoppedSaveChild(int argc, char** argv) {
    if (argc < 4 || argv[1] != kChildFlag) return std::nullopt;
    platform::setLogSink([](std::string_view) {});  // the parent reads the steps alone
    const bool recordFails = argc > 4 && argv[4] == kRecordFailsFlag;
    auto store = storeIn(argv[2], recordFails);
    if (!store->retrieveImages()) return 1;  // the store opens before the save
    gStopAt = std::atoi(argv[3]);
    platform::setFileStepObserver(tellAndStop);
    const auto saved = store->loadOrCreateVistrelImage("doc", kKey, "A printed page", testsupport::noisyPicture(2),
                                                       vistrel::Date(std::chrono::seconds(::time(nullptr))));
    platform::setFileStepObserver(nullptr);
    return saved || recordFails ? 0 : 1;
}

void stoppedSaves(const fs::path& out) {
    std::cout << "\n== a scan's photo saved over the photo a deleted record left, the run stopped dead at each step\n";
    const fs::path root = fs::absolute(out / "stopped-saves");
    std::error_code ec;
    fs::remove_all(root, ec);
    const std::string oldPhoto = *platform::graphics::encodeJpeg(testsupport::noisyPicture(1), 1.0);
    const std::string newPhoto = *platform::graphics::encodeJpeg(testsupport::noisyPicture(2), 1.0);
    platform::LogCapture quiet;  // the next starts' clean-up lines
    int run = 0;
    for (const bool recordFails : {false, true}) {
        std::cout << (recordFails ? "a store whose records cannot be saved (a full disk), so the old photo is put back:\n"
                                  : "a store that saves the new record:\n");
        std::vector<std::string> sameSteps;
        std::string sameOutcome;
        int firstOfRun = 1;
        auto flush = [&](int last) {
            if (sameSteps.empty()) return;
            std::cout << "   stopped at step" << (last > firstOfRun ? "s " : " ") << firstOfRun;
            if (last > firstOfRun) std::cout << '-' << last;
            std::cout << " (" << stepNames(sameSteps) << "): the next start finds " << sameOutcome << "\n";
            sameSteps.clear();
        };
        for (int step = 1; step < 100; ++step) {
            const fs::path folder = root / ("run-" + std::to_string(++run)), told = root / "told";
            fs::create_directories(folder, ec);
            const fs::path name = folder / (std::string(kKey) + ".jpg");
            std::ofstream(name, std::ios::binary) << oldPhoto;
            const timespec oldTimes[2] = {kOldPhotoTime, kOldPhotoTime};
            ::utimensat(AT_FDCWD, name.c_str(), oldTimes, 0);
            const int status = runChild(folder, step, recordFails, told);
            const bool stopped = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
            std::vector<std::string> steps;
            std::ifstream lines(told);
            for (std::string line; std::getline(lines, line);) steps.push_back(line);
            const std::string outcome = nextStart(folder, oldPhoto, newPhoto);
            if (!stopped) {
                flush(step - 1);
                const bool ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
                std::cout << "   " << (ended ? "not stopped" : "the save FAILED") << " (" << steps.size()
                          << " steps): the next start finds " << outcome << "\n";
                break;
            }
            if (outcome != sameOutcome) {
                flush(step - 1);
                firstOfRun = step;
                sameOutcome = outcome;
            }
            sameSteps.push_back(steps.empty() ? "?" : steps.back());
        }
    }
    fs::remove_all(root, ec);
}
