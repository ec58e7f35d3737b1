#include "vistrel/platform/ui/storyboard_segue.hpp"

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::ui {

StoryboardSegue::StoryboardSegue(std::optional<std::string> identifier, std::shared_ptr<ViewController> source,
                                 std::shared_ptr<ViewController> destination)
    : identifier_(std::move(identifier)), source_(std::move(source)), destination_(std::move(destination)) {}

void ShowSegue::perform() {
    if (!source() || !destination()) return;
    if (auto navigation = source()->navigationController()) navigation->pushViewController(destination(), true);
    else source()->present(destination(), true);
}

void PresentModallySegue::perform() {
    if (source() && destination()) source()->present(destination(), true);
}

EmbedSegue::EmbedSegue(std::optional<std::string> identifier, std::shared_ptr<ViewController> source,
                       std::shared_ptr<ViewController> destination, int containerTag)
    : StoryboardSegue(std::move(identifier), std::move(source), std::move(destination)), containerTag_(containerTag) {}

void EmbedSegue::perform() {
    if (!source() || !destination()) return;
    auto root = source()->viewIfLoaded();
    auto container = root && containerTag_ != 0 ? root->viewWithTag(containerTag_) : root;
    if (!container) {
        log(concatenate("StoryboardSegue :: no container view tagged ", std::to_string(containerTag_), " in ",
                        source()->description(), " for segue \"", escapeControlCharacters(identifier().value_or("")),
                        "\""));
        return;
    }
    source()->addChild(destination());
    auto view = destination()->view();
    view->setFrame(container->bounds());
    container->addSubview(view);
    destination()->didMoveToParent(source().get());
}

}  // namespace platform::ui
