#pragma once
// The host's own preferences file (the standard defaults), as a host keeps it: written in
// both forms with what hosts keep there, reached through a link, files the defaults cannot
// carry or that are no property list, one whose long value is shared among a million
// references, and one the host rewrites in place while it is opened; each opened, a
// value set beside the host's, and what a new launch finds.
#include <filesystem>

void hostDefaults(const std::filesystem::path& out);
