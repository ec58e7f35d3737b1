#pragma once
// The kit's entry: what a host application calls.
#include <string>

namespace vistrel {

class Vistrel {
public:
    // Stores the API key (unchecked, as given); on the first run also turns the
    // black-and-white upload on and makes the application instance identifier; then
    // registers the kit's fonts. Call once at start, before showing any screen.
    static void setApiKey(const std::string& apiKey);
};

}  // namespace vistrel
