#include "platform/ui/window.hpp"

#include <algorithm>

#include "platform/ui/screen.hpp"

namespace platform::ui {

namespace {

// Windows register themselves while they live; main thread only, like all view work.
// Never destroyed, so that a window living until exit can still leave it.
std::vector<Window*>& registry() {
    static auto* windows = new std::vector<Window*>;
    return *windows;
}

Window* keyWindowPointer = nullptr;

}  // namespace

Window::Window() : Window(Screen::main().bounds()) {}

Window::Window(const Rect& frame) : View(frame) {
    setHidden(true);
    registry().push_back(this);
}

Window::~Window() {
    auto& list = registry();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (keyWindowPointer == this) keyWindowPointer = nullptr;
}

void Window::setRootView(std::shared_ptr<View> view) {
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

void displayPass() {
    auto windows = Window::allWindows();
    std::stable_sort(windows.begin(), windows.end(),
                     [](const auto& a, const auto& b) { return a->level() < b->level(); });
    for (auto& window : windows)
        if (!window->isHidden()) window->displayIfNeeded();
}

}  // namespace platform::ui
