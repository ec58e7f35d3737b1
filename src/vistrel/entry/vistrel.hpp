#pragma once
// The kit's entry: what a host application calls.
#include <memory>
#include <string>

namespace platform::ui {
class NavigationController;
}

namespace vistrel {

class Vistrel {
public:
    // Stores the API key (unchecked, as given); on the first run also turns the
    // black-and-white upload on and makes the application instance identifier; then
    // registers the kit's fonts. Call once at start, before showing any screen. Behind
    // another process stopped in its turn at writing the preferences it waits half a second
    // at most in all: what it could not write is kept (read back at once), and written by
    // the next preference set, or failing that as the process ends normally.
    static void setApiKey(const std::string& apiKey);

    // The kit's whole interface: the initial navigation controller of storyboard "Main"
    // (the camera screen first). The host presents or embeds it and owns it.
    static std::shared_ptr<platform::ui::NavigationController> rootViewController();

    // The camera screen alone, with its navigation buttons hidden, as the root of a new
    // navigation controller of the kit's kind; a new pair on every call.
    static std::shared_ptr<platform::ui::NavigationController> cameraViewController();

    // Both give the kit's navigation controller, whose top screen decides the supported
    // orientations (portrait for the kit's screens). Neither fails the host: when the
    // kit's bundle, storyboard "Main" or its screens are missing, they print a line and
    // give an empty one (portrait only).
};

}  // namespace vistrel
