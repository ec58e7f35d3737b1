#include "vistrel/fab/fab_window.hpp"

#include "vistrel/fab/fab.hpp"
#include "vistrel/fab/fab_view_controller.hpp"

namespace vistrel {

namespace ui = platform::ui;

FabWindow::FabWindow(const ui::Rect& frame) : Window(frame) {
    setBackgroundColor(ui::Color::clear());
    setLevel(levelNormal);
}

bool FabWindow::pointInside(ui::Point point, const ui::Event*) const {
    auto controller = std::dynamic_pointer_cast<FabViewController>(rootViewController());
    if (!controller) return false;
    const Fab& fab = *controller->fab;
    if (!fab.closed()) return true;
    if (fab.convertRect(fab.bounds(), this).contains(point)) return true;
    // Only items a finger can see: a closed menu's transparent items take nothing.
    for (const auto& item : fab.items()) {
        if (item->isHidden() || item->alpha() <= 0.01 || item->superview().get() != &fab) continue;
        if (fab.convertRect(item->frame(), this).contains(point)) return true;
    }
    return false;
}

}  // namespace vistrel
