#pragma once
// Preferences files written by more than one process: kit processes of one host setting
// preferences at the same instant, a host renaming its own file over and over while the
// kit sets values in it, and kit processes setting preferences while a hard link to a
// host's file stands at the name of their lock.
#include <filesystem>
#include <optional>

// The demo's own arguments for the kit processes it starts: "--set-preferences FOLDER
// NAME READY GO" (pipe ends by number). Gives the exit status when those are the
// arguments, none otherwise.
std::optional<int> runSharedDefaultsChild(int argc, char** argv);

// One line for three kit processes setting 100 preferences each at once, one for a host
// renaming its file while the kit sets values, one for the hard link at the lock's name.
void sharedDefaults(const std::filesystem::path& out);
