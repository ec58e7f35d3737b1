#pragma once
// Whether the network can be reached, and over which kind of link, as a flag word; and
// where the flags come from. On Linux they come from the kernel's routing state.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace platform::net {

using ReachabilityFlagWord = std::uint32_t;

namespace ReachabilityFlags {
inline constexpr ReachabilityFlagWord transientConnection = 0x1;
inline constexpr ReachabilityFlagWord reachable = 0x2;
inline constexpr ReachabilityFlagWord connectionRequired = 0x4;
inline constexpr ReachabilityFlagWord connectionOnTraffic = 0x8;
inline constexpr ReachabilityFlagWord interventionRequired = 0x10;
inline constexpr ReachabilityFlagWord connectionOnDemand = 0x20;
inline constexpr ReachabilityFlagWord isLocalAddress = 0x10000;
inline constexpr ReachabilityFlagWord isDirect = 0x20000;
inline constexpr ReachabilityFlagWord isWWAN = 0x40000;
}  // namespace ReachabilityFlags

class ReachabilityFlagsSource {
public:
    virtual ~ReachabilityFlagsSource() = default;

    // The flags now; none when they cannot be read.
    virtual std::optional<ReachabilityFlagWord> currentFlags() const = 0;

    // Calls `changed` (on a thread of the source's own) whenever the flags may have
    // changed, until stopWatching(). False when watching cannot start. Starting again
    // while watching replaces the callback.
    virtual bool startWatching(std::function<void()> changed) = 0;
    // Returns once `changed` will not be called any more. Safe when not watching.
    virtual void stopWatching() = 0;
};

// The kernel's routing state: reachable when a default route (IPv4 or IPv6) goes
// through an interface that is up and running; with the WWAN flag when every such
// interface is a cellular modem. Watches route and link changes over rtnetlink.
std::shared_ptr<ReachabilityFlagsSource> makeRoutingFlagsSource();

// The device's network as the host chooses to present it, in place of the kernel's
// routing state, for every routing source of the process (like a phone put in airplane
// mode): 0 is no network, `reachable` a local network. None goes back to the kernel's
// state. Sources read it at their next query; watchers are not called for the change.
void setSimulatedNetwork(std::optional<ReachabilityFlagWord> flags);
std::optional<ReachabilityFlagWord> simulatedNetwork();

}  // namespace platform::net
