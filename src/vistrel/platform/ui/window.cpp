#include "vistrel/platform/ui/window.hpp"

#include <algorithm>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/update_pass.hpp"
#include "vistrel/platform/ui/view_controller.hpp"
#include "vistrel/platform/ui/view_controller_private.hpp"

namespace platform::ui {

namespace {

// Windows register themselves while they live; main thread only, like all view work.
// Never destroyed, so that a window living until exit can still leave it.
std::vector<Window*>& registry() {
    static auto* windows = new std::vector<Window*>;
    return *windows;
}

Window* keyWindowPointer = nullptr;
std::uint64_t lastShownOrder = 0;

}  // namespace

Window::Window() : Window(Screen::main().bounds()) {}

Window::Window(const Rect& frame) : View(frame) {
    setHidden(true);
    registry().push_back(this);
    detail::installUpdatePass();
}

Window::~Window() {
    auto& list = registry();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (keyWindowPointer == this) keyWindowPointer = nullptr;
}

void Window::setRootView(std::shared_ptr<View> view) {
    if (rootViewController_ && (!view || view != rootViewController_->viewIfLoaded())) setRootViewController(nullptr);
    installRootView(std::move(view));
}

void Window::installRootView(std::shared_ptr<View> view) {
    if (view == rootView_) return;
    if (rootView_ && rootView_->superview().get() == this) rootView_->removeFromSuperview();
    rootView_ = std::move(view);
    if (!rootView_) return;
    rootView_->setFrame(bounds());
    addSubview(rootView_);
}

void Window::layoutSubviews() {
    View::layoutSubviews();
    if (rootView_ && rootView_->superview().get() == this) rootView_->setFrame(bounds());
}

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
    if (controller == rootViewController_) return;
    if (controller && (PresentationAccess::parent(*controller) || PresentationAccess::presenting(*controller) ||
                       (controller->viewIfLoaded() && controller->viewIfLoaded()->window()))) {
        log("Window :: refusing a root view controller that is a child, presented or on screen elsewhere: " +
            controller->description());
        return;
    }
    detail::finishPendingTransitions();
    const bool onScreen = !isHidden();
    auto old = rootViewController_;
    std::vector<std::shared_ptr<ViewController>> leaving;
    if (old) leaving = detail::visibleChain(old);
    if (onScreen)
        for (auto it = leaving.rbegin(); it != leaving.rend(); ++it) (*it)->beginAppearanceTransition(false, false);
    if (old)
        for (auto& c : detail::presentationChain(old))
            if (auto v = c->viewIfLoaded(); v && v->superview().get() == this && v != rootView_) v->removeFromSuperview();

    rootViewController_ = controller;
    installRootView(controller ? controller->view() : nullptr);
    if (onScreen && controller) controller->beginAppearanceTransition(true, false);
    if (onScreen)
        for (auto it = leaving.rbegin(); it != leaving.rend(); ++it) (*it)->endAppearanceTransition();
    if (onScreen && controller) controller->endAppearanceTransition();
}

void Window::setHidden(bool hidden) {
    const bool wasHidden = isHidden();
    View::setHidden(hidden);
    if (wasHidden == hidden) return;
    if (!hidden) shownOrder_ = ++lastShownOrder;
    if (!rootViewController_) return;
    auto shown = detail::visibleChain(rootViewController_);
    if (hidden) std::reverse(shown.begin(), shown.end());
    for (auto& c : shown) c->beginAppearanceTransition(!hidden, false);
    for (auto& c : shown) c->endAppearanceTransition();
}

void Window::makeKeyAndVisible() {
    setHidden(false);
    keyWindowPointer = this;
}

bool Window::isKeyWindow() const { return keyWindowPointer == this; }

std::shared_ptr<Window> Window::keyWindow() {
    if (!keyWindowPointer) return nullptr;
    return std::static_pointer_cast<Window>(keyWindowPointer->weak_from_this().lock());
}

std::vector<std::shared_ptr<Window>> Window::allWindows() {
    std::vector<std::shared_ptr<Window>> windows;
    for (Window* window : registry())
        if (auto live = window->weak_from_this().lock()) windows.push_back(std::static_pointer_cast<Window>(live));
    return windows;
}

}  // namespace platform::ui
