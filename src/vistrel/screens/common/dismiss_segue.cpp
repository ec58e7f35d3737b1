#include "vistrel/screens/common/dismiss_segue.hpp"

#include "vistrel/platform/ui/view_controller.hpp"

namespace vistrel {

void DismissSegue::perform() {
    if (auto from = source()) from->dismiss(true);
}

}  // namespace vistrel
