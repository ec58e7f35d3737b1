#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

namespace {

// The innermost scope of the calling thread.
thread_local PersistanceController::PictureReadScope* innermost = nullptr;

}  // namespace

PersistanceController::PictureReadScope::PictureReadScope(const PersistanceController& controller,
                                                          std::string_view key)
    : controller_(&controller), key_(key), outer_(innermost) {
    innermost = this;
}

PersistanceController::PictureReadScope::~PictureReadScope() { innermost = outer_; }

bool PersistanceController::PictureReadScope::takeOver(const PersistanceController& controller,
                                                       std::string_view key) {
    for (PictureReadScope* scope = innermost; scope; scope = scope->outer_) {
        if (scope->controller_ != &controller || scope->key_ != key) continue;
        scope->leftToTheKit_ = true;
        return true;
    }
    return false;
}

}  // namespace vistrel
