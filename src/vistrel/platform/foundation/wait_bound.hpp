#pragma once
// A bound on what the calling thread waits, in all, for other processes (for their turns
// at writing a file they share) while it lives: a call made of several writes waits no
// longer than one may, however many of them find the turn held. Only the waits count, as
// they report what they took (spend), never the thread's own work between them (a write
// flushed to a disk under load, say). Bounds nest: an inner one never outlasts the one
// around it, and what it spends is spent by that one too.
#include <chrono>

namespace platform {

// How long one call waits for other processes at most: a turn at writing spans a look and
// a rename, so only a holder stopped dead (or a disk stalled for as long) keeps anyone
// waiting this long.
inline constexpr std::chrono::milliseconds callWaitBound{500};

class WaitBound {
public:
    explicit WaitBound(std::chrono::milliseconds bound);
    ~WaitBound();
    WaitBound(const WaitBound&) = delete;
    WaitBound& operator=(const WaitBound&) = delete;

    // What the calling thread may still wait: `most` at most, none once its bound is spent.
    static std::chrono::milliseconds left(std::chrono::milliseconds most);
    // A wait of the calling thread took `waited`: it is spent from every bound in force.
    static void spend(std::chrono::steady_clock::duration waited);

private:
    std::chrono::steady_clock::duration left_;
    WaitBound* outer_;
};

}  // namespace platform
