#pragma once
// The demo's road after a scan: the action list of an answer, each action tapped in
// turn, what it launched printed and drawn, and the click reports a loopback
// statistics service received.
#include <filesystem>

struct ActionListDemo;

// False, after a line on standard error, when a service's loopback port is taken.
bool runActionRoad(const std::filesystem::path& answer, const std::filesystem::path& out);

// Taps row `row` of the shown list and prints what the action launched (addresses
// opened, the screen it put on top); a screen on top is written as
// action-<row>-<kind>.png into `out` and closed again.
void tapAndDescribe(ActionListDemo& demo, int row, const std::filesystem::path& out);
