#pragma once
// A view controller: one screen. It owns a view, loaded on first use, and its place
// among the other screens: a parent with children (containers such as the navigation
// controller), the controller it presents and the one presenting it, a navigation item,
// the storyboard it came from, and the will/did appear and disappear calls in the
// phone's order. Held by std::shared_ptr; main thread only.
//
// Transitions (push, pop, present, dismiss) begin inside the call: the views move and
// the will-calls run at once. A transition that is not animated also ends inside the
// call (did-calls, then the completion). An animated one ends in one block on the main
// queue, so its did-calls and completion run when the run loop next turns; a transition
// begun before that finishes every pending one first, so transitions never overlap.
//
// Sources by concern: view, containment and appearance (view_controller.cpp),
// presentation (view_controller_presentation.cpp), segues (storyboard.cpp).
#include <any>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/ui/navigation_item.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/view_controller_types.hpp"

namespace platform::ui {

class NavigationController;
class Storyboard;
class StoryboardSegue;
class Window;

class ViewController : public std::enable_shared_from_this<ViewController> {
public:
    using Completion = std::function<void()>;

    ViewController();
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // ---- The view ----
    // On first use: loadView, the storyboard's embed segues, then viewDidLoad, once.
    std::shared_ptr<View> view();
    std::shared_ptr<View> viewIfLoaded() const { return view_; }
    bool isViewLoaded() const { return view_ != nullptr; }
    void loadViewIfNeeded() { view(); }
    // Sets the view as loadView does; a view set from outside before the first use
    // counts as loaded, so viewDidLoad is not called for it.
    void setView(std::shared_ptr<View> view);

    // Makes the view; the default is a plain view the size of the main screen. A
    // loadView that sets no view gets that plain view too. Asked for before it is set,
    // from inside loadView, the view is none.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }
    virtual void viewDidDisappear(bool animated) { (void)animated; }

    // ---- Appearance ----
    AppearanceState appearanceState() const { return appearance_; }
    // For containers: begins or ends this controller's appearance (and that of the
    // children whose views are in its view). A call that would repeat the current
    // state does nothing, so no controller hears the same call twice in a row.
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();

    // ---- Title and navigation item ----
    const std::optional<std::string>& title() const { return title_; }
    // Also the navigation item's title.
    void setTitle(std::optional<std::string> title);
    NavigationItem& navigationItem() const { return *navigationItem_; }
    const std::shared_ptr<NavigationItem>& navigationItemPointer() const { return navigationItem_; }

    // ---- Children ----
    std::shared_ptr<ViewController> parent() const;
    const std::vector<std::shared_ptr<ViewController>>& children() const { return children_; }
    // Adds a child (leaving its old parent first) and tells it willMoveToParent; the
    // container places the child's view and then calls didMoveToParent, as on the phone.
    // A controller that is presented, or is this one or one of its ancestors, is refused
    // with a log line.
    void addChild(std::shared_ptr<ViewController> child);
    // Leaves the parent and tells didMoveToParent(nullptr); the view stays where it is.
    void removeFromParent();
    virtual void willMoveToParent(ViewController* parent) { (void)parent; }
    virtual void didMoveToParent(ViewController* parent) { (void)parent; }
    // The nearest navigation controller among the ancestors.
    std::shared_ptr<NavigationController> navigationController() const;

    // ---- Modal presentation ----
    // The controller presented by this one or by the nearest ancestor that presents.
    std::shared_ptr<ViewController> presentedViewController() const;
    // The controller presenting this one or the nearest presented ancestor.
    std::shared_ptr<ViewController> presentingViewController() const;
    // True from the start of the presentation or dismissal of this controller to its end.
    bool isBeingPresented() const { return beingPresented_; }
    bool isBeingDismissed() const { return beingDismissed_; }
    ModalPresentationStyle modalPresentationStyle() const { return presentationStyle_; }
    void setModalPresentationStyle(ModalPresentationStyle style) { presentationStyle_ = style; }

    // Presents `controller` over the screen: the presenter is the root of this
    // controller's parents. Refused, with a warning line and without the completion,
    // when this controller's view is in no window, when the presenter already presents
    // one, and when `controller` is null, this one, presented or a child elsewhere.
    void present(std::shared_ptr<ViewController> controller, bool animated, Completion completion = {});
    // Ends the presentation this controller (or an ancestor) makes; else the one that
    // shows this controller (or its presented ancestor: dismissing the root of a
    // presented navigation controller closes the whole navigation controller). Every
    // controller presented above goes with it. With nothing to dismiss, the completion
    // runs at once.
    void dismiss(bool animated, Completion completion = {});

    // ---- Storyboards ----
    // The storyboard this controller was made from, and its identifier there (none for
    // the initial controller).
    std::shared_ptr<Storyboard> storyboard() const { return storyboard_; }
    const std::optional<std::string>& storyboardIdentifier() const { return storyboardIdentifier_; }
    // Makes the segue of this controller's storyboard scene with that identifier, calls
    // prepareForSegue, then performs it. A controller from no storyboard, or a scene
    // without that segue, logs a line and does nothing.
    void performSegue(std::string_view identifier, std::any sender = {});
    virtual void prepareForSegue(StoryboardSegue& segue, const std::any& sender) {
        (void)segue;
        (void)sender;
    }

    // ---- Status bar, orientations, insets ----
    virtual StatusBarStyle preferredStatusBarStyle() const { return StatusBarStyle::defaultStyle; }
    virtual bool prefersStatusBarHidden() const { return false; }
    // A child that decides the status bar in this controller's place (none: this one).
    virtual std::shared_ptr<ViewController> childViewControllerForStatusBarStyle() const { return nullptr; }
    virtual std::shared_ptr<ViewController> childViewControllerForStatusBarHidden() const { return nullptr; }
    // What the status bar shows for this screen: the deciding child's answer, followed down.
    StatusBarStyle effectiveStatusBarStyle() const;
    bool effectiveStatusBarHidden() const;
    virtual InterfaceOrientationMask supportedInterfaceOrientations() const {
        return InterfaceOrientationMask::allButUpsideDown;
    }
    // Kept as data; true by default.
    bool automaticallyAdjustsScrollViewInsets() const { return adjustsScrollViewInsets_; }
    void setAutomaticallyAdjustsScrollViewInsets(bool adjusts) { adjustsScrollViewInsets_ = adjusts; }

    // A short name for log lines: the class name and, when set, the title.
    std::string description() const;

protected:
    // The children that appear and disappear with this controller: by default those
    // whose views are inside its view.
    virtual std::vector<std::shared_ptr<ViewController>> childrenForAppearance() const;

private:
    friend class Storyboard;
    friend class Window;
    friend struct PresentationAccess;

    std::shared_ptr<ViewController> rootAncestor();

    std::shared_ptr<View> view_;
    bool loading_ = false;
    AppearanceState appearance_ = AppearanceState::disappeared;
    bool appearanceAnimated_ = false;
    std::optional<std::string> title_;
    std::shared_ptr<NavigationItem> navigationItem_;
    std::vector<std::shared_ptr<ViewController>> children_;
    ViewController* parent_ = nullptr;
    // The presenter holds what it presents; the link back is plain and cleared by
    // whichever of the two goes first.
    std::shared_ptr<ViewController> presented_;
    ViewController* presenting_ = nullptr;
    // The controllers this presentation took off the screen (full screen), shown again
    // when it ends.
    std::vector<std::weak_ptr<ViewController>> covered_;
    ModalPresentationStyle presentationStyle_ = ModalPresentationStyle::fullScreen;
    bool beingPresented_ = false;
    bool beingDismissed_ = false;
    std::shared_ptr<Storyboard> storyboard_;
    std::optional<std::string> storyboardIdentifier_;
    bool adjustsScrollViewInsets_ = true;
};

}  // namespace platform::ui
