#pragma once
// A kit process stopped dead in its turn at writing the kit's preferences file, and what
// other processes of the host meanwhile make of their preferences: a set of the host's
// standard defaults, and the API key set at start, whose values wait for the stopped
// writer to be gone.
#include <filesystem>
#include <optional>

// The demo's own arguments for the kit processes it starts: "--preferences-turn holder
// SIGNAL WAIT", "--preferences-turn host SIGNAL WAIT FILE" and "--preferences-turn key
// SIGNAL WAIT" (pipe ends by number), their data folder in VISTREL_HOME. Gives the exit
// status when those are the arguments, none otherwise.
std::optional<int> runStoppedWriterChild(int argc, char** argv);

// Two lines: what a set of the host's standard defaults and Vistrel::setApiKey cost behind
// a kit process stopped in its turn, and what the key's process leaves in the kit's file
// once that process is gone and it ends normally.
void stoppedWriter(const std::filesystem::path& out);
