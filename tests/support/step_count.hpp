#pragma once
// Counts the file steps of one name that this process tells (platform::fileStep) while it
// lives: the waits for another holder of a lock ("lock: waiting for another holder"), say.
// One at a time: it is the process's file step observer.
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/file_steps.hpp"

namespace testsupport {

class StepCount {
public:
    explicit StepCount(std::string step) {
        counted() = std::move(step);
        told() = 0;
        platform::setFileStepObserver([](std::string_view step) { told() += step == counted() ? 1 : 0; });
    }
    ~StepCount() { platform::setFileStepObserver(nullptr); }
    StepCount(const StepCount&) = delete;
    StepCount& operator=(const StepCount&) = delete;

    int count() const { return told(); }

private:
    static std::string& counted() {
        static std::string step;
        return step;
    }
    static int& told() {
        static int count = 0;
        return count;
    }
};

}  // namespace testsupport
