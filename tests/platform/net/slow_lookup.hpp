#pragma once
// A name lookup that stalls on purpose, for the tests of transfers whose lookup does not
// return: this test program's getaddrinfo holds a lookup of `slowHost` until the lookups
// are released (or for ten minutes), then says there is no such name. Every other name
// is looked up by the C library as usual.
#include <chrono>

namespace nettest::slowlookup {

inline constexpr const char* slowHost = "slow-lookup.invalid";

// Lookups of the slow name begun since the program started, and those still held.
int begun();
int held();
// Waits (real time, at most `bound`) until `count` lookups of the slow name have begun.
bool waitForBegun(int count, std::chrono::milliseconds bound);

// Lets every held lookup (and any later one) of the slow name end at once, and waits
// (at most `bound`) until none is held any more.
bool release(std::chrono::milliseconds bound);
// Makes later lookups of the slow name stall again; none may be held.
void rearm();

}  // namespace nettest::slowlookup
