#pragma once
// The main screen's diagonal in inches, as the device description of a recognition
// request names it.
#include <string>

namespace vistrel {

// Decided from the longer side of the main screen in points (so the orientation does
// not matter): 480 "3.5", 568 "4.0", 667 "4.7" ("5.5" at a scale of exactly 3), 736
// "5.5", 1024 "9.7", 1366 "12.9"; any other size "0".
std::string diagonal();

}  // namespace vistrel
