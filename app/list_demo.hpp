#pragma once
// The demo's look at a long list.
#include <filesystem>

// Shows a table of 100 rows in a window, scrolls it to the middle as a finger would, and
// writes what the window shows as list-sample.png into `out`.
void writeListSample(const std::filesystem::path& out);
