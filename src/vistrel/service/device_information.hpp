#pragma once
// The description of the device that every recognition request carries: system, device
// name, screen, and the kind of network connection. One instance per process; every
// value but the connection kind is read once, when it is made.
#include <memory>
#include <optional>
#include <string>

#include "vistrel/service/reachability.hpp"

namespace vistrel {

class DeviceInformation {
public:
    // Made on first use (safe from any thread), never destroyed.
    static DeviceInformation& shared();

    // Reads the device values now; watches the network through `reachability` (none:
    // the network always reads as not reachable).
    explicit DeviceInformation(std::shared_ptr<Reachability> reachability);

    std::string os;
    std::string name;               // the host name
    std::string systemVersion;      // os-release VERSION_ID, else the kernel release
    std::string systemVersionName;  // os-release NAME, else the kernel name
    std::string screenDiagonal;
    std::string screenWidth;  // points, rounded half away from zero
    std::string screenHeight;

    // "WiFi", "Data" or "": starts the monitor's notifier first (when it is not running)
    // and reads a fresh status. Cellular needs a radio technology, which this platform
    // does not report, so a cellular link gives "".
    std::string networkType() const;
    // The monitor's status now; does not start the notifier.
    Reachability::NetworkStatus reachabilityStatus() const;

private:
    std::shared_ptr<Reachability> reachability_;
};

// The radio access technology of a cellular link; none on this platform.
std::optional<std::string> currentRadioAccessTechnology();

}  // namespace vistrel
