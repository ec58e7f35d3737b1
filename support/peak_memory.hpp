#pragma once
// The process's peak resident memory, for the benchmarks' counters and the tests that
// check a step never held much.
#include <malloc.h>

#include <fstream>
#include <string>

namespace testsupport {

// Peak resident memory since the last reset, in MiB (the kernel's high-water mark).
inline double peakMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
    return 0;
}

// Gives freed memory back to the system and starts the high-water mark again.
inline void resetPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace testsupport
