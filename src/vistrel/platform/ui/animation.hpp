#pragma once
// View animations. The animation block runs at once and sets the final values (the
// model values); its completion runs on the main queue once the dispatch clock has
// passed start + delay + duration, always with `finished` true, even when the block
// changed nothing. Completions run in the order of their end times, ties in the order
// the animations started; nothing cancels an animation. Curves, springs and options
// are kept as data (see AnimationLog) for whoever wants to interpolate.
#include <cstdint>
#include <functional>
#include <optional>

#include "vistrel/platform/dispatch/clock.hpp"

namespace platform::ui {

enum class AnimationOptions : std::uint32_t {
    none = 0,
    allowUserInteraction = 1u << 1,
    beginFromCurrentState = 1u << 2,
    curveEaseInOut = 0,  // the default curve
    curveEaseIn = 1u << 16,
    curveEaseOut = 2u << 16,
    curveLinear = 3u << 16,
};

constexpr AnimationOptions operator|(AnimationOptions a, AnimationOptions b) {
    return static_cast<AnimationOptions>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
// True when every bit of `option` is set in `options` (the curves share two bits).
constexpr bool contains(AnimationOptions options, AnimationOptions option) {
    return (static_cast<std::uint32_t>(options) & static_cast<std::uint32_t>(option)) ==
           static_cast<std::uint32_t>(option);
}

struct Spring {
    double dampingRatio = 1;
    double initialVelocity = 0;
    friend bool operator==(const Spring&, const Spring&) = default;
};

// How one animation runs. Durations in seconds.
struct AnimationTiming {
    double duration = 0;
    double delay = 0;
    AnimationOptions options = AnimationOptions::none;
    std::optional<Spring> spring;
    // When `animate` was called, on the dispatch clock.
    dispatch::TimePoint start;

    // start + delay + duration: when the completion falls due.
    dispatch::TimePoint end() const;
};

using AnimationBlock = std::function<void()>;
using AnimationCompletion = std::function<void(bool finished)>;

// A duration or delay that is negative or not a number counts as zero; an infinite
// one is refused with a log line and counts as zero too, so that every completion runs.
void animate(double duration, const AnimationBlock& animations, AnimationCompletion completion = {});
void animate(double duration, double delay, AnimationOptions options, const AnimationBlock& animations,
             AnimationCompletion completion = {});
// A spring: damping ratio (1 is critically damped) and initial velocity.
void animate(double duration, double delay, double dampingRatio, double initialVelocity,
             AnimationOptions options, const AnimationBlock& animations, AnimationCompletion completion = {});

// The timing of the innermost animation block running on this thread, if any.
std::optional<AnimationTiming> currentAnimation();

}  // namespace platform::ui
