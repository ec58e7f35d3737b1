#include "demo_measures.hpp"

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"

using namespace std::chrono_literals;

double secondsSince(DemoClock::time_point start) {
    return std::chrono::duration<double>(DemoClock::now() - start).count();
}

std::string seconds(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(value < 1 ? 2 : 1) << value << " s";
    return text.str();
}

std::size_t peakResidentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stoul(line.substr(6)) / 1024;
    return 0;
}

void resetPeakResident() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

MainThreadWatch::MainThreadWatch() : busyBefore_(mainThreadSeconds()), watcher_([this] { watch(); }) {}

std::string MainThreadWatch::stop() {
    if (!stopped_) {
        busy_ = mainThreadSeconds() - busyBefore_;
        stopping_ = true;
        // The block last queued runs, so that the watcher ends.
        platform::dispatch::RunLoop::runUntil([this] { return finished_.load(); }, 120s);
        if (watcher_.joinable()) watcher_.join();
        stopped_ = true;
    }
    return "the main thread busy " + seconds(busy_) + ", held up " + seconds(longest_) + " at most";
}

double MainThreadWatch::mainThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void MainThreadWatch::watch() {
    while (!stopping_) {
        auto ran = std::make_shared<std::atomic<bool>>(false);
        const auto queued = DemoClock::now();
        platform::dispatch::main().async([this, ran, queued] {
            longest_ = std::max(longest_, secondsSince(queued));
            ran->store(true);
        });
        while (!ran->load()) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(10ms);
    }
    finished_ = true;
}
