#include "vistrel/platform/ui/navigation_controller.hpp"

#include <algorithm>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/main_thread_check.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/view_controller_private.hpp"

namespace platform::ui {

namespace {

bool contains(const std::vector<std::shared_ptr<ViewController>>& list, const ViewController* c) {
    return std::any_of(list.begin(), list.end(), [c](const auto& e) { return e.get() == c; });
}

}  // namespace

NavigationController::NavigationController() : bar_(std::make_shared<NavigationBar>()) {}

NavigationController::NavigationController(std::shared_ptr<ViewController> rootViewController)
    : NavigationController() {
    if (!acceptable(rootViewController, false)) return;
    addChild(rootViewController);
    stack_.push_back(rootViewController);
    syncBarItems();
    rootViewController->didMoveToParent(this);
}

bool NavigationController::acceptable(const std::shared_ptr<ViewController>& c, bool allowOwn) const {
    std::string problem;
    if (!c) problem = "no controller";
    else if (dynamic_cast<const NavigationController*>(c.get())) problem = "a navigation controller";
    else if (PresentationAccess::presenting(*c)) problem = "a presented controller";
    else if (auto* parent = PresentationAccess::parent(*c); parent && parent != this) problem = "a child of another controller";
    else if (!allowOwn && contains(stack_, c.get())) problem = "a controller already on the stack";
    else if (!PresentationAccess::parent(*c) && c->viewIfLoaded() && c->viewIfLoaded()->window())
        problem = "a controller on screen elsewhere";
    if (problem.empty()) return true;
    log(concatenate("NavigationController :: refusing to put ", problem, " on the stack",
                    c ? concatenate(": ", c->description()) : std::string()));
    return false;
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
    return stack_.empty() ? nullptr : stack_.back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const {
    if (auto presented = presentedViewController()) return presented;
    return topViewController();
}

std::vector<std::shared_ptr<ViewController>> NavigationController::childrenForAppearance() const {
    if (auto top = topViewController()) return {top};
    return {};
}

void NavigationController::syncBarItems() {
    std::vector<std::shared_ptr<NavigationItem>> items;
    for (auto& c : stack_) items.push_back(c->navigationItemPointer());
    bar_->setItems(std::move(items));
}

// ---- The view ----

void NavigationController::loadView() {
    auto container = std::make_shared<LayoutCallbackView>(Screen::main().bounds());
    std::weak_ptr<ViewController> weak = weak_from_this();
    container->onLayout = [weak] {
        if (auto self = weak.lock()) static_cast<NavigationController&>(*self).layoutContent();
    };
    if (auto self = std::static_pointer_cast<NavigationController>(weak.lock()))
        bar_->setDelegate(std::weak_ptr<NavigationBarDelegate>(self));
    bar_->setHidden(barHidden_);
    container->addSubview(bar_);
    setView(container);
    if (auto top = topViewController()) container->insertSubviewBelow(top->view(), bar_.get());
    layoutContent();
}

void NavigationController::layoutContent() {
    auto container = viewIfLoaded();
    if (!container) return;
    const Rect b = container->bounds();
    bar_->setFrame({0, NavigationBar::statusBarHeight, b.width(), NavigationBar::defaultHeight});
    Rect content = b;
    if (!barHidden_ && !bar_->isTranslucent()) {
        const double top = NavigationBar::statusBarHeight + NavigationBar::defaultHeight;
        content = {b.minX(), b.minY() + top, b.width(), std::max(0.0, b.height() - top)};
    }
    for (auto& child : children())
        if (auto v = child->viewIfLoaded(); v && v->superview() == container) v->setFrame(content);
}

void NavigationController::setNavigationBarHidden(bool hidden, bool animated) {
    (void)animated;
    barHidden_ = hidden;
    bar_->setHidden(hidden);
    layoutContent();
}

void NavigationController::navigationBarDidTapBack(NavigationBar&) { popViewController(true); }

// ---- The stack ----

void NavigationController::transition(const std::shared_ptr<ViewController>& from, bool animated,
                                      std::vector<std::shared_ptr<ViewController>> leaving,
                                      std::vector<std::shared_ptr<ViewController>> arriving) {
    auto to = topViewController();
    auto container = viewIfLoaded();
    if (container && to) {
        auto v = to->view();
        if (v->superview() != container) container->insertSubviewBelow(v, bar_.get());
        layoutContent();
    }
    const bool onScreen = container && from != to && appearanceState() == AppearanceState::appeared;
    if (onScreen) {
        if (from) from->beginAppearanceTransition(false, animated);
        if (to) to->beginAppearanceTransition(true, animated);
    }
    auto self = std::static_pointer_cast<NavigationController>(weak_from_this().lock());
    detail::endTransition(animated && onScreen, [self, from, to, onScreen, leaving = std::move(leaving),
                                                  arriving = std::move(arriving)] {
        if (from && self && from != self->topViewController())
            if (auto v = from->viewIfLoaded(); v && v->superview() == self->viewIfLoaded()) v->removeFromSuperview();
        if (onScreen) {
            if (from) from->endAppearanceTransition();
            if (to) to->endAppearanceTransition();
        }
        for (auto& c : leaving) c->removeFromParent();
        for (auto& c : arriving) c->didMoveToParent(self.get());
    });
}

void NavigationController::pushViewController(std::shared_ptr<ViewController> controller, bool animated) {
    detail::assertMainThread("NavigationController::pushViewController");
    detail::finishPendingTransitions();
    if (!acceptable(controller, false)) return;
    auto from = topViewController();
    addChild(controller);
    stack_.push_back(controller);
    syncBarItems();
    transition(from, animated, {}, {controller});
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated) {
    detail::assertMainThread("NavigationController::popViewController");
    if (stack_.size() < 2) return nullptr;
    auto popped = popToViewController(stack_[stack_.size() - 2].get(), animated);
    return popped.empty() ? nullptr : popped.back();
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(const ViewController* controller,
                                                                                       bool animated) {
    detail::assertMainThread("NavigationController::popToViewController");
    detail::finishPendingTransitions();
    auto it = std::find_if(stack_.begin(), stack_.end(), [controller](const auto& c) { return c.get() == controller; });
    if (it == stack_.end() || it + 1 == stack_.end()) return {};
    auto from = topViewController();
    std::vector<std::shared_ptr<ViewController>> popped(it + 1, stack_.end());
    stack_.erase(it + 1, stack_.end());
    for (auto& c : popped) c->willMoveToParent(nullptr);
    syncBarItems();
    transition(from, animated, popped, {});
    return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(bool animated) {
    detail::assertMainThread("NavigationController::popToRootViewController");
    if (stack_.empty()) return {};
    return popToViewController(stack_.front().get(), animated);
}

void NavigationController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                                              bool animated) {
    detail::assertMainThread("NavigationController::setViewControllers");
    detail::finishPendingTransitions();
    for (std::size_t i = 0; i < controllers.size(); ++i) {
        if (!acceptable(controllers[i], true)) return;
        for (std::size_t j = 0; j < i; ++j)
            if (controllers[j] == controllers[i]) {
                log(concatenate("NavigationController :: refusing a stack that holds ", controllers[i]->description(),
                                " twice"));
                return;
            }
    }
    auto from = topViewController();
    std::vector<std::shared_ptr<ViewController>> leaving, arriving;
    for (auto& c : stack_)
        if (!contains(controllers, c.get())) {
            c->willMoveToParent(nullptr);
            leaving.push_back(c);
        }
    for (auto& c : controllers)
        if (!contains(stack_, c.get())) {
            addChild(c);
            arriving.push_back(c);
        }
    stack_ = std::move(controllers);
    syncBarItems();
    transition(from, animated, std::move(leaving), std::move(arriving));
}

}  // namespace platform::ui
