#include "screens/tutorial_view_controller.hpp"

namespace vistrel {

std::shared_ptr<TutorialViewController> TutorialViewController::instance() {
    return std::make_shared<TutorialViewController>();
}

}  // namespace vistrel
