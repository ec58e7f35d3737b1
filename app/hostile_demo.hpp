#pragma once
// The kit against a hostile recognition service and hostile answers, one line each: the
// sample page scanned while its service sends an answer without end, redirects to
// another host or drips its answer; then action lists no screen could show as they come
// (a megabyte of text without a break; accents, bidi overrides and emoji joined without
// end, with how long the main thread was held up; text pages of 15 MB of the make-ups that
// cost layout most, with the main thread's time and the peak memory while each opened;
// icons of 8192 x 8192 pixels), drawn as hostile-text.png, hostile-accents.png,
// hostile-bidi.png, hostile-emoji.png, hostile-page-*.png and hostile-icons.png; then the
// gallery over hostile photo files (hostile_gallery_demo.hpp), saves stopped dead and hosts
// sharing the store (stopped_save_demo.hpp), the host's preferences file and processes
// sharing preferences (host_defaults_demo.hpp, shared_defaults_demo.hpp,
// stopped_writer_demo.hpp), and the apps' own data folders (app_folders_demo.hpp).
#include <filesystem>

// 0 when every step ran; 1, after a line, when the photo cannot be read or a loopback
// port is taken.
int runHostileDemo(const std::filesystem::path& photo, const std::filesystem::path& out);
