#include "vistrel/fab/fab_view_controller.hpp"

namespace vistrel {

void FabViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    view()->addSubview(fab);
}

}  // namespace vistrel
