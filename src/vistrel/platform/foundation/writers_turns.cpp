#include "vistrel/platform/foundation/writers_turns.hpp"

#include <chrono>
#include <string>
#include <system_error>
#include <thread>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/digest.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/wait_bound.hpp"

namespace platform {

namespace {

// How long a writer gives way to another that asks for the next turn, time enough for the
// other to make its write again.
constexpr std::chrono::milliseconds kGiveWay{100};

}  // namespace

std::filesystem::path WritersTurns::lockOf(const std::filesystem::path& folder, const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(file, ec);
    if (ec || resolved.empty()) resolved = std::filesystem::absolute(file, ec).lexically_normal();
    // Short enough for any file system's names, however long the file's own.
    const std::string name = file.filename().native().substr(0, 64);
    return folder / concatenate(name, ".", fnv1a128Hex(resolved.native()), ".lock");
}

std::filesystem::path WritersTurns::priorityOf(const std::filesystem::path& lock) {
    return std::filesystem::path(lock).concat(".priority");
}

WritersTurns::Write WritersTurns::begin(const std::filesystem::path& file) {
    Write write(*this, file);
    if (const std::optional<std::filesystem::path> folder = folder_ ? folder_() : std::nullopt) {
        write.lock_ = lockOf(*folder, file);
        write.priority_ = priorityOf(*write.lock_);
    }
    return write;
}

WritersTurns::Write::Turn WritersTurns::Write::take() {
    turn_.reset();
    if (!lock_) return Turn::withoutTurns;
    const std::chrono::milliseconds bound = WaitBound::left(callWaitBound);
    // What cannot serve as the lock at its name (a link to another's file, a FIFO, a
    // folder) is passed over for the next name beside it that every writer walks alike:
    // they still take turns.
    const std::filesystem::path named = base_ ? *base_ : *lock_;
    FileLock::Failure failure = FileLock::Failure::unavailable, namedFailure = failure;
    std::filesystem::path taken;
    const auto asked = std::chrono::steady_clock::now();
    turn_ = FileLock::takeServing(named, bound, taken, &failure, &namedFailure);
    WaitBound::spend(std::chrono::steady_clock::now() - asked);
    if (taken != named) base_ = named;
    else base_.reset();
    lock_ = taken;
    priority_ = priorityOf(taken);
    if (!base_) {
        if (turn_ || failure == FileLock::Failure::timedOut) turns_.loggedUnusable_.clear();
    } else if (turns_.loggedUnusable_ != named) {
        turns_.loggedUnusable_ = named;
        log(concatenate("UserDefaults :: ", named.string(),
                        namedFailure == FileLock::Failure::notALockFile
                            ? " is no regular file of one link owned by this user, and is not used; "
                            : " could not be opened; ",
                        file_.string(),
                        turn_ || failure == FileLock::Failure::timedOut
                            ? concatenate("'s writers take turns by ", lock_->string(), " instead")
                            : std::string(" is written without taking turns")));
    }
    if (turn_) return Turn::had;
    if (failure == FileLock::Failure::timedOut) {
        log(concatenate("UserDefaults :: could not write ", file_.string(), ": its turn at writing was not had (",
                        lock_->string(), " held past the ", std::to_string(bound.count()),
                        " ms the call could wait); the changes are kept for the next write"));
        return Turn::notHad;
    }
    // Had by no writer: the look and the exchange of names still keep their writes apart,
    // but for the instant between two exchanges.
    return Turn::withoutTurns;
}

void WritersTurns::Write::askForTheNext() {
    // Taken while the turn is held, as others look for it only in theirs: a look never
    // keeps an ask from being made. Asked once for the whole write.
    if (turn_ && priority_ && !asking_)
        asking_ = FileLock::take(*priority_, std::chrono::milliseconds::zero(), nullptr, FileLock::Hold::shared);
}

bool WritersTurns::Write::anotherAsks() {
    // One that asks itself goes first, whoever else asks.
    if (!turn_ || !priority_ || asking_) return false;
    const bool asked = FileLock::isHeld(*priority_);
    if (!asked) turns_.gaveWayInVain_ = false;
    return asked && !turns_.gaveWayInVain_;
}

void WritersTurns::Write::giveWay(const std::function<bool()>& otherWrote) {
    letGo();
    const std::chrono::milliseconds wait = WaitBound::left(kGiveWay);
    if (wait <= std::chrono::milliseconds::zero()) return;
    fileStep("defaults: giving way to another writer");
    bool wrote = false;
    if (fileStepsStop()) {
        // Stopped at the step while the other went on, or not: whatever it wrote meanwhile
        // is there now, and waiting longer here would only wait for a process stopped too.
        wrote = otherWrote();
    } else {
        const auto started = std::chrono::steady_clock::now();
        const auto deadline = started + wait;
        while (!(wrote = otherWrote()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        WaitBound::spend(std::chrono::steady_clock::now() - started);
    }
    // The other never wrote: stopped, or gone without letting its ask go yet.
    if (!wrote) turns_.gaveWayInVain_ = wait == kGiveWay;
}

}  // namespace platform
