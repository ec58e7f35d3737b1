#pragma once
// The demo's look at the kit's screens.
#include <filesystem>

// Shows Vistrel::rootViewController() in a window, as a host would, and writes what the
// window shows as a PNG named after the screen on top (camera.png) into `out`.
void showRootScreen(const std::filesystem::path& out);
