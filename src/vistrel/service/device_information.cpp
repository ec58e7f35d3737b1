#include "vistrel/service/device_information.hpp"

#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <map>
#include <sstream>

#include "vistrel/core/device_diagonal.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace vistrel {

namespace {

// NAME and VERSION_ID of the system's os-release file, unquoted.
std::map<std::string, std::string> osRelease() {
    std::map<std::string, std::string> values;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        // A few lines; whatever is larger, or not a regular file, is not that file.
        const auto text = platform::readFile(path, 64u << 10);
        if (!text) continue;
        std::istringstream file(*text);
        std::string line;
        while (std::getline(file, line)) {
            auto equals = line.find('=');
            if (equals == std::string::npos) continue;
            std::string value = line.substr(equals + 1);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            values[line.substr(0, equals)] = value;
        }
        break;
    }
    return values;
}

std::string hostName() {
    std::array<char, 256> buffer{};
    if (gethostname(buffer.data(), buffer.size() - 1) != 0) return "";
    return buffer.data();
}

std::string roundedPoints(double points) { return std::to_string(std::lround(points)); }

}  // namespace

std::optional<std::string> currentRadioAccessTechnology() { return std::nullopt; }

DeviceInformation& DeviceInformation::shared() {
    static auto* instance = new DeviceInformation(Reachability::make());
    return *instance;
}

DeviceInformation::DeviceInformation(std::shared_ptr<Reachability> reachability)
    : reachability_(std::move(reachability)) {
    // The service knows the kit's platform family by this name.
    os = "iOS";
    name = hostName();
    auto release = osRelease();
    utsname system{};
    bool haveUname = uname(&system) == 0;
    systemVersion = release.count("VERSION_ID") ? release["VERSION_ID"] : haveUname ? system.release : "";
    systemVersionName = release.count("NAME") ? release["NAME"] : haveUname ? system.sysname : "";
    auto bounds = platform::ui::Screen::main().bounds();
    screenWidth = roundedPoints(bounds.size.width);
    screenHeight = roundedPoints(bounds.size.height);
    screenDiagonal = diagonal();
}

std::string DeviceInformation::networkType() const {
    if (!reachability_ || reachability_->startNotifier()) return "";
    switch (reachability_->currentReachabilityStatus()) {
    case Reachability::NetworkStatus::reachableViaWiFi: return "WiFi";
    case Reachability::NetworkStatus::reachableViaWWAN: return currentRadioAccessTechnology() ? "Data" : "";
    case Reachability::NetworkStatus::notReachable: break;
    }
    return "";
}

Reachability::NetworkStatus DeviceInformation::reachabilityStatus() const {
    return reachability_ ? reachability_->currentReachabilityStatus() : Reachability::NetworkStatus::notReachable;
}

}  // namespace vistrel
