#pragma once
// The steps of the file writes that must survive a run stopped at any instant (a photo
// written, set aside, put back), and of the reads that must survive a file changing under
// them (a defaults file read), told to one observer as they pass, so that a test can stop
// a run, or change the file, exactly there. A wait for another process (for the store's
// lock, or a file's) is told before it starts, so that a test stepping two processes
// knows which must go on first. With no observer a step costs one relaxed load.
#include <string_view>

namespace platform {

using FileStepObserver = void (*)(std::string_view step);

// Sets the observer every step is told to (none: nullptr). Meant to be set before the
// writes it watches start. `stops`: the observer stops the process at each step until
// something outside it lets it go on (a test stepping processes against each other, one
// step at a time). A wait between steps for what another process does is then a step of
// its own, ended by that go, after which what it waits for is looked at once, not polled:
// the other process is stopped whenever this one runs, and did meanwhile whatever it did.
void setFileStepObserver(FileStepObserver observer, bool stops = false);

// Whether the observer set stops the process at each step (see setFileStepObserver).
bool fileStepsStop();

// Tells the observer, if any, that `step` has just been done (or is about to be, as its
// name says).
void fileStep(std::string_view step);

}  // namespace platform
