#pragma once
// A scan's photo saved over the photo a deleted record left, the run stopped dead
// (SIGKILL) at each step of the save in turn, and what the next start finds; two hosts
// recording one scan at once, with the kit's savePicture and with one of their own that
// writes the photo at its name; a host stopped holding the store's write lock; links left
// at a photo's temporary names.
#include <filesystem>
#include <optional>

// The demo's own arguments for the runs it starts: "--stopped-save FOLDER STEP" (with
// "--record-fails" after, for a store whose records cannot be saved), and "--two-hosts
// FOLDER first|second SIGNAL WAIT" (with "--own-photos" after, for a host whose own
// savePicture writes the photo at its name) for a host recording at the same time as
// another, and "--hold-store FOLDER SIGNAL WAIT" for a host stopped holding the store's write lock.
// Gives the exit status when those are the arguments, none otherwise.
std::optional<int> runStoppedSaveChild(int argc, char** argv);

// Stops a save at every step, in a store whose records are saved and in one whose records
// cannot be; one line for each run of steps with the same outcome. Then a line for two
// hosts recording one scan at once (the kit's savePicture, then the hosts' own), one for a
// host stopped holding the store, and one for links left at a photo's temporary names.
void stoppedSaves(const std::filesystem::path& out);
