#include "vistrel/platform/foundation/file_steps.hpp"

#include <atomic>

namespace platform {

namespace {

std::atomic<FileStepObserver> gObserver{nullptr};

}  // namespace

void setFileStepObserver(FileStepObserver observer) { gObserver.store(observer, std::memory_order_relaxed); }

void fileStep(std::string_view step) {
    if (FileStepObserver observer = gObserver.load(std::memory_order_relaxed)) observer(step);
}

}  // namespace platform
