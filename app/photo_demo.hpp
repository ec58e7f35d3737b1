#pragma once
// The demo's road of a photo file through the kit's screens: the camera screen takes it
// and scans it, then the gallery on its three tabs (sending the waiting photos again),
// then the tutorial.
#include <filesystem>
#include <optional>

struct PhotoDemoOptions {
    std::filesystem::path photo;
    std::filesystem::path answer;  // what the loopback service answers with
    bool service = true;           // false: nothing listens, so only the photo's codes count
    bool offline = false;          // the network is unreachable: the photo waits in the gallery
};

// Runs the road, printing a line for each step and writing a picture of each screen into
// `out`; 1 (after a one-line error) when the photo file is missing, empty or not an
// image, or the service cannot be started; else 0.
int runPhotoRoad(const PhotoDemoOptions& options, const std::filesystem::path& out);
