#pragma once
// A scan's photo saved over the photo a deleted record left, the run stopped dead
// (SIGKILL) at each step of the save in turn, and what the next start finds.
#include <filesystem>
#include <optional>

// The demo's own argument for the stopped run it starts: "--stopped-save FOLDER STEP"
// (with "--record-fails" after, for a store whose records cannot be saved). Gives the
// exit status when those are the arguments, none otherwise.
std::optional<int> runStoppedSaveChild(int argc, char** argv);

// Stops a save at every step, in a store whose records are saved and in one whose records
// cannot be; one line for each run of steps with the same outcome.
void stoppedSaves(const std::filesystem::path& out);
