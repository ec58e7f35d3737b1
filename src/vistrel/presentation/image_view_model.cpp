#include "vistrel/presentation/image_view_model.hpp"

#include <algorithm>

#include "vistrel/model/themes.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/presentation/display_limits.hpp"

namespace vistrel {

namespace {

// "Order" - 100 x "Priority" of 64-bit values cannot overflow in 128 bits.
__int128 sortKey(const Action& action) {
    return static_cast<__int128>(action.order.value_or(0)) - 100 * static_cast<__int128>(action.priority.value_or(0));
}

bool carriesData(const Action& action) { return action.content && action.content->type == ActionType::Data; }

}  // namespace

ImageViewModel::ImageViewModel(Image image, std::optional<bool> filterData) : image_(std::move(image)) {
    if (!image_.actions) return;
    actions_ = *image_.actions;
    if (filterData.value_or(true)) std::erase_if(actions_, carriesData);
    std::stable_sort(actions_.begin(), actions_.end(),
                     [](const Action& a, const Action& b) { return sortKey(a) < sortKey(b); });
}

bool ImageViewModel::shouldAutoTrigger() const { return image_.autoTrigger.value_or(false) && actions_.size() == 1; }

std::optional<std::string> ImageViewModel::imageName() const { return image_.title; }
std::optional<std::string> ImageViewModel::imageId() const { return image_.id; }
std::optional<std::string> ImageViewModel::imageSessionId() const { return image_.sessionId; }

std::optional<std::string> ImageViewModel::imageDocumentId() const {
    if (!image_.documentId) return std::nullopt;
    std::string documentId = *image_.documentId;
    for (const Action& action : actions_)
        if (action.isQrCode && action.name) documentId += *action.name;
    return documentId;
}

std::intptr_t ImageViewModel::numberOfActions() const { return static_cast<std::intptr_t>(actions_.size()); }

const Action* ImageViewModel::getActionAtPosition(std::intptr_t position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= actions_.size()) return nullptr;
    return &actions_[static_cast<std::size_t>(position)];
}

std::optional<std::string> ImageViewModel::idForAction(std::intptr_t position) const {
    const Action* action = getActionAtPosition(position);
    return action ? action->id : std::nullopt;
}

ActionType ImageViewModel::typeForAction(std::intptr_t position) const {
    const Action* action = getActionAtPosition(position);
    return action && action->type ? *action->type : ActionType::Unknown;
}

std::shared_ptr<ActionViewModel> ImageViewModel::viewModelForAction(std::intptr_t position) const {
    const Action* action = getActionAtPosition(position);
    return action ? std::make_shared<ActionViewModel>(*action) : nullptr;
}

std::optional<std::string> ImageViewModel::nameForAction(std::intptr_t position) const {
    const Action* action = getActionAtPosition(position);
    return action ? action->name : std::nullopt;
}

double ImageViewModel::buttonHeightForAction(std::intptr_t position, double buttonWidth) const {
    const Action* action = getActionAtPosition(position);
    if (!action) return VistrelImageTheme::buttonHeight;
    ActionViewModel viewModel(*action);
    double height = viewModel.buttonHasRatio() ? viewModel.buttonHeightRatio() * buttonWidth
                                               : viewModel.buttonHeightMultiplier() * VistrelActionTheme::buttonHeight;
    return display_limits::clampLength(height);
}

}  // namespace vistrel
