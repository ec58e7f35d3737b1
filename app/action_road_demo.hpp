#pragma once
// The demo's road after a scan: the action list of an answer, each action tapped in
// turn, what it launched printed and drawn, and the click reports a loopback
// statistics service received.
#include <filesystem>

void runActionRoad(const std::filesystem::path& answer, const std::filesystem::path& out);
