#include "vistrel/platform/foundation/file_steps.hpp"

#include <atomic>

namespace platform {

namespace {

std::atomic<FileStepObserver> gObserver{nullptr};
std::atomic<bool> gStops{false};

}  // namespace

void setFileStepObserver(FileStepObserver observer, bool stops) {
    gStops.store(observer && stops, std::memory_order_relaxed);
    gObserver.store(observer, std::memory_order_relaxed);
}

bool fileStepsStop() { return gStops.load(std::memory_order_relaxed); }

void fileStep(std::string_view step) {
    if (FileStepObserver observer = gObserver.load(std::memory_order_relaxed)) observer(step);
}

}  // namespace platform
