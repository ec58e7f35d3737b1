#pragma once
// A group counts outstanding work; when the count returns to zero it submits its
// notifications. A Group is a cheap copyable handle to one shared count.
#include <chrono>
#include <memory>

#include "vistrel/platform/dispatch/block.hpp"
#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/queue.hpp"

namespace platform::dispatch {

class Group {
public:
    Group();

    void enter() const;
    // A leave without a matching enter is a programming error: logged and ignored.
    void leave() const;

    // Enters, runs the block on the queue, then leaves (also when the block throws).
    void async(const Queue& queue, Block block) const;

    // Submits the block to the queue when the count next reaches zero; at once when it
    // is zero now. Every notification registered fires, in registration order.
    void notify(const Queue& queue, Block block) const;

    // Blocks until the count is zero or the timeout (real time) passes; true when it
    // reached zero.
    bool wait(Duration timeout) const;
    template <class Rep, class Period>
    bool wait(std::chrono::duration<Rep, Period> timeout) const { return wait(toDuration(timeout)); }

    friend bool operator==(const Group&, const Group&) = default;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace platform::dispatch
