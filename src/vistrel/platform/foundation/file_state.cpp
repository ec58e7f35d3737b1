#include "vistrel/platform/foundation/file_state.hpp"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <thread>

#include "vistrel/platform/foundation/file_steps.hpp"

namespace platform {

namespace {

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

FileState stateFrom(const struct stat& st) { return FileState{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim}; }

}  // namespace

bool operator==(const FileState& a, const FileState& b) { return sameContents(a, b) && sameTime(a.changed, b.changed); }

std::optional<FileState> stateAt(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return stateFrom(st);
}

std::optional<FileState> entryStateAt(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return stateFrom(st);
}

bool sameContents(const FileState& a, const FileState& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && sameTime(a.modified, b.modified);
}

namespace {

using std::chrono::nanoseconds;

nanoseconds sinceEpoch(const timespec& time) {
    return std::chrono::seconds(time.tv_sec) + nanoseconds(time.tv_nsec);
}

// The clock that stamps file times, read now.
nanoseconds fileClockNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return sinceEpoch(now);
}

// Whether a write of the file may be under way, or a write now leave its times as they
// are, as far as its look at `now` on the stamping clock tells. A write stamps both times
// of a file alike as it begins; one whose contents last changed before anything else of
// it did (a file written whole, then renamed into place) has none under way, and a write
// now would stamp its contents' time later. Otherwise the last change must be a whole
// step older than the clock: a change stamped finer than the clock (a file system that
// stamps a change after a look at its file with the fine clock) may be ahead of it by up
// to a step; one further ahead was stamped before the clock was set back, and no write
// now shares its stamp.
bool mayBeUnderWay(const FileState& state, nanoseconds now) {
    const nanoseconds modified = sinceEpoch(state.modified), changed = sinceEpoch(state.changed);
    if (modified < changed) return false;
    const nanoseconds step = fileTimeStep();
    return changed >= now - step && changed < now + 2 * step;
}

}  // namespace

nanoseconds fileTimeStep() {
    static const nanoseconds step = [] {
        timespec resolution{};
        const nanoseconds told = ::clock_getres(CLOCK_REALTIME_COARSE, &resolution) == 0 ? sinceEpoch(resolution)
                                                                                           : std::chrono::milliseconds(4);
        return std::clamp<nanoseconds>(told, std::chrono::milliseconds(1), std::chrono::milliseconds(20));
    }();
    return step;
}

SettledLook settledStateAt(const std::filesystem::path& path) {
    // The clock is read before the look: a change after it is stamped at that reading or
    // later.
    nanoseconds now = fileClockNow();
    std::optional<FileState> state = stateAt(path);
    if (!state || !mayBeUnderWay(*state, now)) return {state, true};
    // A few steps at most: the change is at most two steps ahead of the clock, and the
    // clock moves a step at each tick.
    const nanoseconds changed = sinceEpoch(state->changed);
    const nanoseconds step = fileTimeStep();
    // Told, so that a test can end a write under way exactly here, or let another process
    // go on meanwhile; the clock still has to pass the step after it.
    fileStep("look: waiting for a change to settle");
    for (int waits = 0; waits < 16 && fileClockNow() <= changed + step; ++waits) std::this_thread::sleep_for(step / 4);
    now = fileClockNow();
    state = stateAt(path);
    return {state, !state || !mayBeUnderWay(*state, now)};
}

}  // namespace platform
