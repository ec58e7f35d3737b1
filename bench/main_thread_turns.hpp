#pragma once
// The longest turn of the main thread, for the benchmarks of screens whose work goes to
// other threads: the gaps between marks taken before and after every step the main
// thread runs.
#include <time.h>

#include <algorithm>
#include <chrono>

namespace bench {

inline double threadCpuMs() {
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return double(time.tv_sec) * 1e3 + double(time.tv_nsec) / 1e6;
}

// The longest gap between two marks. A main loop's predicate is checked before and
// after every block (and every 5 ms while the loop waits), so marking there bounds the
// longest block or update pass from above. In the main thread's processor time, the gap
// is the work of the turn alone; in real time it also holds the loop's idle waits and
// whatever time other processes of a busy machine took from it.
struct Turns {
    using Clock = std::chrono::steady_clock;
    Clock::time_point last = Clock::now();
    double lastCpu = threadCpuMs();
    double longestMs = 0, longestCpuMs = 0;
    void mark() {
        const auto now = Clock::now();
        const double cpu = threadCpuMs();
        longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(now - last).count());
        longestCpuMs = std::max(longestCpuMs, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
    }
};

}  // namespace bench
