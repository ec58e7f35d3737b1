// The view controller's view, title, children and appearance.
#include "vistrel/platform/ui/view_controller.hpp"

#include <cxxabi.h>

#include <cstdlib>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/main_thread_check.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/platform/ui/view_controller_private.hpp"

namespace platform::ui {

namespace detail {

std::string className(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : type.name();
    std::free(demangled);
    if (auto colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
    return name;
}

std::vector<std::shared_ptr<ViewController>> presentationChain(const std::shared_ptr<ViewController>& root) {
    std::vector<std::shared_ptr<ViewController>> chain;
    for (auto c = root; c; c = PresentationAccess::presented(*c)) chain.push_back(c);
    return chain;
}

std::vector<std::shared_ptr<ViewController>> visibleChain(const std::shared_ptr<ViewController>& root) {
    auto chain = presentationChain(root);
    std::vector<std::shared_ptr<ViewController>> visible;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        visible.insert(visible.begin(), *it);
        const bool presented = PresentationAccess::presenting(**it) != nullptr;
        if (presented && (*it)->modalPresentationStyle() == ModalPresentationStyle::fullScreen) break;
    }
    return visible;
}

}  // namespace detail

ViewController::ViewController() : navigationItem_(std::make_shared<NavigationItem>()) {}

ViewController::~ViewController() {
    for (auto& child : children_) child->parent_ = nullptr;
    if (presented_ && presented_->presenting_ == this) presented_->presenting_ = nullptr;
}

// ---- The view ----

std::shared_ptr<View> ViewController::view() {
    if (view_ || loading_) return view_;
    detail::assertMainThread("ViewController::view (loading)");
    loading_ = true;
    loadView();
    if (!view_) view_ = std::make_shared<View>(Screen::main().bounds());
    // Containers the storyboard fills (embed segues) are filled before viewDidLoad.
    if (storyboard_) storyboard_->performEmbedSegues(*this);
    loading_ = false;
    viewDidLoad();
    return view_;
}

void ViewController::setView(std::shared_ptr<View> view) { view_ = std::move(view); }

void ViewController::loadView() { setView(std::make_shared<View>(Screen::main().bounds())); }

// ---- Appearance ----

std::vector<std::shared_ptr<ViewController>> ViewController::childrenForAppearance() const {
    std::vector<std::shared_ptr<ViewController>> shown;
    if (!view_) return shown;
    for (auto& child : children_)
        if (child->view_ && child->view_->isDescendant(*view_)) shown.push_back(child);
    return shown;
}

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
    detail::assertMainThread("ViewController::beginAppearanceTransition");
    if (appearing) {
        if (appearance_ == AppearanceState::appearing || appearance_ == AppearanceState::appeared) return;
        appearance_ = AppearanceState::appearing;
        appearanceAnimated_ = animated;
        viewWillAppear(animated);
    } else {
        if (appearance_ == AppearanceState::disappearing || appearance_ == AppearanceState::disappeared) return;
        appearance_ = AppearanceState::disappearing;
        appearanceAnimated_ = animated;
        viewWillDisappear(animated);
    }
    for (auto& child : childrenForAppearance()) child->beginAppearanceTransition(appearing, animated);
}

void ViewController::endAppearanceTransition() {
    detail::assertMainThread("ViewController::endAppearanceTransition");
    if (appearance_ == AppearanceState::appearing) {
        appearance_ = AppearanceState::appeared;
        viewDidAppear(appearanceAnimated_);
    } else if (appearance_ == AppearanceState::disappearing) {
        appearance_ = AppearanceState::disappeared;
        viewDidDisappear(appearanceAnimated_);
    } else {
        return;
    }
    for (auto& child : childrenForAppearance()) child->endAppearanceTransition();
}

// ---- Title and navigation item ----

void ViewController::setTitle(std::optional<std::string> title) {
    title_ = title;
    navigationItem_->setTitle(std::move(title));
}

// ---- Children ----

std::shared_ptr<ViewController> ViewController::parent() const {
    return parent_ ? parent_->weak_from_this().lock() : nullptr;
}

void ViewController::addChild(std::shared_ptr<ViewController> child) {
    if (!child) return;
    if (child->parent_ == this) return;
    for (const ViewController* c = this; c; c = c->parent_) {
        if (c == child.get()) {
            log(concatenate("ViewController :: refusing to make ", description(),
                            " a child of itself or of its own child"));
            return;
        }
    }
    if (child->presenting_) {
        log(concatenate("ViewController :: refusing to add ", child->description(),
                        " as a child while it is presented"));
        return;
    }
    if (child->parent_) child->removeFromParent();
    child->willMoveToParent(this);
    children_.push_back(child);
    child->parent_ = this;
}

void ViewController::removeFromParent() {
    if (!parent_) return;
    auto self = weak_from_this().lock();  // the parent may hold the last reference
    auto& siblings = parent_->children_;
    std::erase_if(siblings, [this](const auto& c) { return c.get() == this; });
    parent_ = nullptr;
    didMoveToParent(nullptr);
}

std::shared_ptr<NavigationController> ViewController::navigationController() const {
    for (ViewController* c = parent_; c; c = c->parent_)
        if (auto* navigation = dynamic_cast<NavigationController*>(c))
            return std::static_pointer_cast<NavigationController>(navigation->weak_from_this().lock());
    return nullptr;
}

std::shared_ptr<ViewController> ViewController::rootAncestor() {
    ViewController* c = this;
    while (c->parent_) c = c->parent_;
    return c->weak_from_this().lock();
}

// ---- Segues ----

void ViewController::performSegue(std::string_view identifier, std::any sender) {
    auto storyboard = storyboard_;
    if (!storyboard) {
        log(concatenate("ViewController :: ", description(), " comes from no storyboard; no segue \"",
                        escapeControlCharacters(identifier), "\""));
        return;
    }
    storyboard->performSegue(*this, identifier, sender);
}

// ---- Status bar ----

StatusBarStyle ViewController::effectiveStatusBarStyle() const {
    std::shared_ptr<ViewController> decider = childViewControllerForStatusBarStyle();
    // A chain of deciding children ends in a few steps; a cycle is cut off.
    for (int depth = 0; decider && depth < 64; ++depth) {
        auto next = decider->childViewControllerForStatusBarStyle();
        if (!next) return decider->preferredStatusBarStyle();
        decider = std::move(next);
    }
    return preferredStatusBarStyle();
}

bool ViewController::effectiveStatusBarHidden() const {
    std::shared_ptr<ViewController> decider = childViewControllerForStatusBarHidden();
    for (int depth = 0; decider && depth < 64; ++depth) {
        auto next = decider->childViewControllerForStatusBarHidden();
        if (!next) return decider->prefersStatusBarHidden();
        decider = std::move(next);
    }
    return prefersStatusBarHidden();
}

std::string ViewController::description() const {
    std::string text = detail::className(typeid(*this));
    if (title_) text += concatenate(" \"", escapeControlCharacters(*title_), '"');
    return text;
}

}  // namespace platform::ui
