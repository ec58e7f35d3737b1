#pragma once
// The demo's look at the about page and the text page.
#include <filesystem>

// Shows the about page, then a text page with a sample text, each as the kit's callers
// do (the root of a navigation controller presented over the host's screen), and writes
// what the window shows as about.png and text.png into `out`.
void writeAboutAndTextPictures(const std::filesystem::path& out);
