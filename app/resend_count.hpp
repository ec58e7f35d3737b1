#pragma once
// The demo's line for the photos of the waiting list sent again from the gallery: how
// many the service recognised and how many failed (no answer, an error, a page it did
// not know), so that a failed resend never reads as a sent one.
#include <string>

struct ResendCount {
    int recognised = 0;
    int failed = 0;
};

// "waiting photos sent again: R recognised, F failed".
std::string describe(const ResendCount& count);
