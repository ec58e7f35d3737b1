#pragma once
// The demo's scan of a photo file: a loopback recognition service answers with an
// answer file (or refuses), the scan pipeline runs on the photo, the merged image is printed.
#include <filesystem>

struct PhotoDemoOptions {
    std::filesystem::path photo;
    std::filesystem::path answer;  // what the loopback service answers with
    bool service = true;           // false: nothing listens, so only the photo's codes count
};

// Scans the photo and prints the result; 1 (after a one-line error) when the photo file
// is missing, empty or not an image, or the service cannot be started; else 0.
int scanPhoto(const PhotoDemoOptions& options);
