#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

namespace {

// The innermost scope of the calling thread.
thread_local PersistanceController::PictureReadScope* innermost = nullptr;

}  // namespace

PersistanceController::PictureReadScope::PictureReadScope(const PersistanceController& controller)
    : controller_(&controller), outer_(innermost) {
    innermost = this;
}

PersistanceController::PictureReadScope::~PictureReadScope() { innermost = outer_; }

bool PersistanceController::PictureReadScope::takeOver(const PersistanceController& controller) {
    for (PictureReadScope* scope = innermost; scope; scope = scope->outer_) {
        if (scope->controller_ != &controller) continue;
        scope->leftToTheKit_ = true;
        return true;
    }
    return false;
}

}  // namespace vistrel
