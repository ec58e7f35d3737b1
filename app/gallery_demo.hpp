#pragma once
// The demo's gallery: the scan history on its three tabs, drawn, and the photos of the
// waiting list sent again by tapping their cards.
#include <filesystem>
#include <memory>

#include "resend_count.hpp"

namespace platform::ui {
class NavigationController;
class Window;
}  // namespace platform::ui

namespace vistrel {
class GalleryViewController;
}

// Pushes the gallery on the recents tab, as the camera screen does, in `navigation`
// (shown in `window`), then taps each tab button in turn and writes what the window
// shows as gallery-recents.png, gallery-favorites.png and gallery-waiting.png into `out`.
// Leaves the gallery on screen, on its waiting tab, and gives it.
std::shared_ptr<vistrel::GalleryViewController> showGallery(const std::shared_ptr<platform::ui::Window>& window,
                                                            const std::shared_ptr<platform::ui::NavigationController>& navigation,
                                                            const std::filesystem::path& out);

// Taps, one after the other, the card of every photo that was on the gallery's waiting
// list, waits for each answer (up to 30 s), prints one line per photo with what came
// back, and comes back to the gallery. Gives how many the service recognised (the action
// list, or the one action run at once) and how many failed (a message, no answer, or
// nothing at all); a photo whose card could not be reached counts in neither.
ResendCount resendWaitingPhotos(const std::shared_ptr<platform::ui::Window>& window,
                                const std::shared_ptr<platform::ui::NavigationController>& navigation,
                                vistrel::GalleryViewController& gallery);
