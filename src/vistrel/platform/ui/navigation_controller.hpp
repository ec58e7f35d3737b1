#pragma once
// A navigation controller: a stack of screens, of which it shows the top one under its
// navigation bar. Pushing and popping move the screens in and out with the appearance
// calls in the phone's order (the leaving screen's will-call first, then the coming
// one's; then the did-calls in the same order). Screens on the stack are its children;
// a popped screen stays a child until its transition ends. The screen on top decides
// the status bar's style and visibility.
//
// Transitions follow ViewController's rule: an animated push or pop ends on the main
// queue, one that is not animated ends inside the call. Off screen (the navigation
// controller has not appeared) the stack changes at once, without appearance calls.
#include <memory>
#include <vector>

#include "vistrel/platform/ui/navigation_bar.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::ui {

class NavigationController : public ViewController, public NavigationBarDelegate {
public:
    NavigationController();
    explicit NavigationController(std::shared_ptr<ViewController> rootViewController);

    // The stack, bottom first.
    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
    // Replaces the stack. Refused (with a log line) when an entry is null, repeated, a
    // navigation controller, presented, or a child elsewhere.
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated);
    std::shared_ptr<ViewController> topViewController() const;
    // What presents over the stack, else the top screen.
    std::shared_ptr<ViewController> visibleViewController() const;

    // Refused, with a log line, for the kinds setViewControllers refuses and for a
    // controller already on this stack.
    void pushViewController(std::shared_ptr<ViewController> controller, bool animated);
    // The popped screen; none, and nothing changes, when only the root is left.
    std::shared_ptr<ViewController> popViewController(bool animated);
    // The popped screens, bottom first; empty when `controller` is not on the stack.
    std::vector<std::shared_ptr<ViewController>> popToViewController(const ViewController* controller, bool animated);
    std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);

    NavigationBar& navigationBar() const { return *bar_; }
    const std::shared_ptr<NavigationBar>& navigationBarPointer() const { return bar_; }
    bool isNavigationBarHidden() const { return barHidden_; }
    // Takes effect at once, animated or not (the model value, as animations do).
    void setNavigationBarHidden(bool hidden, bool animated);

    // The top screen decides; none for an empty stack.
    std::shared_ptr<ViewController> childViewControllerForStatusBarStyle() const override { return topViewController(); }
    std::shared_ptr<ViewController> childViewControllerForStatusBarHidden() const override { return topViewController(); }

    void loadView() override;
    void navigationBarDidTapBack(NavigationBar& bar) override;

protected:
    // Only the top screen appears with the navigation controller.
    std::vector<std::shared_ptr<ViewController>> childrenForAppearance() const override;

private:
    bool acceptable(const std::shared_ptr<ViewController>& controller, bool allowOwn) const;
    // Moves from `from` (which may be gone from the stack) to the current top.
    void transition(const std::shared_ptr<ViewController>& from, bool animated,
                    std::vector<std::shared_ptr<ViewController>> leaving,
                    std::vector<std::shared_ptr<ViewController>> arriving);
    void layoutContent();
    void syncBarItems();

    std::vector<std::shared_ptr<ViewController>> stack_;
    std::shared_ptr<NavigationBar> bar_;
    bool barHidden_ = false;
};

}  // namespace platform::ui
