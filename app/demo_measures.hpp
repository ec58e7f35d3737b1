#pragma once
// What the demo measures of the kit while it drives it: time, the main thread held up,
// and the process's peak memory.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>

using DemoClock = std::chrono::steady_clock;

double secondsSince(DemoClock::time_point start);
// "0.42 s", "8.7 s".
std::string seconds(double value);

// The process's peak resident memory so far, in MiB (the kernel's high-water mark).
std::size_t peakResidentMiB();
// Gives freed memory back to the system and starts the high-water mark again from what
// the process holds now, so that a step's peak is its own.
void resetPeakResident();

// Watches the main thread while it lives: a block is queued on the main queue, and the next
// one ten milliseconds after it ran; the longest any of them waited is the longest the main
// thread was held up, and could not have answered a touch.
class MainThreadWatch {
public:
    MainThreadWatch();
    ~MainThreadWatch() { stop(); }
    MainThreadWatch(const MainThreadWatch&) = delete;
    MainThreadWatch& operator=(const MainThreadWatch&) = delete;

    // Stops watching (main thread); the longest stall and the main thread's processor time
    // while watched, as a line.
    std::string stop();

private:
    static double mainThreadSeconds();
    void watch();

    const double busyBefore_;
    double busy_ = 0;
    double longest_ = 0;  // read and written on the main thread only
    std::atomic<bool> stopping_{false}, finished_{false};
    bool stopped_ = false;
    std::thread watcher_;
};
