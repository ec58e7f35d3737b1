#pragma once
// The demo's look at the floating action menu.
#include <filesystem>

// Writes into `out`: fab-closed.png and fab-open.png (a menu of three items with their
// titles, over a plain screen, closed and open) and fab-global.png (the global menu
// open in its own window above a root screen), with a line for each.
void writeFabPictures(const std::filesystem::path& out);
