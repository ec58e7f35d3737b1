#pragma once
// The demo's reading of a recognition answer file.
#include <filesystem>

// Reads the answer document at `path` into an image and prints its title and each
// action's kind and name, in the answer's order; then, for each shown action in
// display order, the values its row is drawn with.
void printAnswer(const std::filesystem::path& path);
