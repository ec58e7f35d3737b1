#pragma once
// The tutorial.
#include <memory>

#include "ui/vistrel_view_controller.hpp"

namespace vistrel {

class TutorialViewController : public VistrelViewController {
public:
    static std::shared_ptr<TutorialViewController> instance();
};

}  // namespace vistrel
