#pragma once
// The demo's camera: the user has allowed it, and it photographs the photo file given
// on the command line (or each JPEG of a folder in turn).
#include <filesystem>

// Points the simulated back camera at `photo`; everything else as a phone starts.
void pointCameraAt(const std::filesystem::path& photo);
