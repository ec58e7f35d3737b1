#pragma once
// The demo's look at an animated image: the kit's loading spinner.
#include <filesystem>

// Shows the kit's spinner animation in an image view and writes spinner.png into `out`:
// the view rendered at two clock times, side by side. Without a spinner in the kit's
// bundle it says so and shows a two-frame animation made here instead.
void writeSpinnerPicture(const std::filesystem::path& out);
