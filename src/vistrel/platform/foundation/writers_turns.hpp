#pragma once
// The turns writers of one file take at putting a new file of it in place, in one process
// or in several. A writer's turn is the lock (FileLock) of a lock file of that file's own,
// named by it (lockOf), in a folder all its writers share: a writer stopped in its turn
// keeps waiting the writers of that file only. Nothing is written into a lock file, and
// one that is no lock file of this user's (a link at its name, say) is not used: its
// writers take turns by the next of a few names beside it instead, and past those the file
// is written without turns; either is logged once.
//
// Writers back to back win their turns unevenly: one whose look at the file held puts its
// next file in place before one that had to read the file again has written its own. A
// writer that found the file changed at its turn asks for the next by holding a share of
// a second lock (the lock file's name and ".priority") until it has put its file in place;
// one whose look holds finds that lock held, without waiting, and gives way, once, 100 ms
// at most. A give-way that came to nothing (the other stopped dead) is not made again
// while that lock stays held.
#include <filesystem>
#include <functional>
#include <optional>

#include "vistrel/platform/foundation/file_lock.hpp"

namespace platform {

class WritersTurns {
public:
    // The lock file in `folder` of the writers of `file`: the file's name (its first 64
    // bytes), then the 128-bit FNV-1a hash of the path it resolves to (the links of its
    // folders followed) in 32 hexadecimal digits, then ".lock". Writers of one file reach
    // the same lock by whatever path, in every process and build, and as a process ends;
    // writers of two files never share one (and if two paths ever hashed alike, their
    // writers would only wait for each other).
    static std::filesystem::path lockOf(const std::filesystem::path& folder, const std::filesystem::path& file);
    // The lock by which its writers ask for the next turn: "<lock>.priority".
    static std::filesystem::path priorityOf(const std::filesystem::path& lock);
    // When what has the lock's name is no lock file, its writers take turns by the first
    // alternate that is one (FileLock::takeServing); past them, the file is written
    // without turns.

    // Writers whose lock files are in the folder that `folder` gives at each write; none:
    // they take no turns.
    using LockFolder = std::function<std::optional<std::filesystem::path>()>;
    explicit WritersTurns(LockFolder folder = {}) : folder_(std::move(folder)) {}

    class Write;
    // The turns of one write of `file` (the file it puts in place), over its attempts.
    Write begin(const std::filesystem::path& file);

private:
    LockFolder folder_;
    // The lock file last found unusable, and logged so.
    std::filesystem::path loggedUnusable_;
    // Whether this writer gave way to an ask for the next turn that came to nothing.
    bool gaveWayInVain_ = false;
};

class WritersTurns::Write {
public:
    enum class Turn {
        had,           // held until letGo(), the next take(), or the write's end
        withoutTurns,  // no lock, or one that cannot be had at all: go on without
        notHad,        // another writer held it for as long as the call could wait (logged)
    };
    // Takes the turn, waiting for another writer what the thread's WaitBound leaves of
    // callWaitBound.
    Turn take();
    void letGo() { turn_.reset(); }

    // In the turn, the file found changed since the writer's look: asks for the next turn.
    void askForTheNext();
    // In the turn, the writer's look held: whether another writer asks for the next turn,
    // to which this one gives way.
    bool anotherAsks();
    // Lets the turn go and waits until `otherWrote` (polled) or 100 ms have passed, within
    // the thread's WaitBound. The step "defaults: giving way to another writer" is told
    // before the wait; where the steps stop the process (fileStepsStop), the step is the
    // whole wait, and `otherWrote` is asked once after it.
    void giveWay(const std::function<bool()>& otherWrote);
    // The file put in place: the writer's ask, if any, is over.
    void placed() { asking_.reset(); }

private:
    friend class WritersTurns;
    Write(WritersTurns& turns, std::filesystem::path file) : turns_(turns), file_(std::move(file)) {}

    WritersTurns& turns_;
    std::filesystem::path file_;
    std::optional<std::filesystem::path> lock_, priority_;
    std::optional<std::filesystem::path> base_;  // the lock's own name, once passed over for another
    std::optional<FileLock> turn_, asking_;
};

}  // namespace platform
