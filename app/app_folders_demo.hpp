#pragma once
// Each app its own data folder under the kit's shared one: the demo started again under
// other program names, with XDG_DATA_HOME in its output folder and no VISTREL_HOME, as
// apps that embed the kit; a shared folder an earlier version left, taken over by one
// of two apps that start at once, also with a store the kit cannot read; and a host
// named like the kit, whose files there stay.
#include <filesystem>
#include <optional>

// The demo's own arguments for the apps it starts: "--as-an-app RESULT KEY RECORD READY
// GO", the key it sets and the identifier of the scan it records ("-": none), and the pipe
// ends by number it signals and then waits on to start (-1: none). It writes its data
// folder, its key and its scans' identifiers, a line each, to RESULT. Gives the exit
// status when those are the arguments, none otherwise.
std::optional<int> runAppFolderChild(int argc, char** argv);

// A section of a line each: two apps, each with its key and scan, the earlier shared
// folder taken over, a host named like the kit keeping its own files, and earlier stores
// left oddly (a FIFO, a backup of its log alone) or not to be read (a view without end,
// one that cannot be linked).
void appFolders(const std::filesystem::path& out);
