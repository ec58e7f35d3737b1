// Modal presentation and dismissal. Presented views go straight into the window, above
// the screens they cover; a full-screen presentation takes the covered screens' views
// out of the window when it ends and puts them back when it is dismissed.
#include <algorithm>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/main_thread_check.hpp"
#include "vistrel/platform/ui/view_controller.hpp"
#include "vistrel/platform/ui/view_controller_private.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace platform::ui {

namespace {

std::shared_ptr<ViewController> shared(ViewController* controller) {
    return controller ? controller->weak_from_this().lock() : nullptr;
}

}  // namespace

std::shared_ptr<ViewController> ViewController::presentedViewController() const {
    for (const ViewController* c = this; c; c = c->parent_)
        if (c->presented_) return c->presented_;
    return nullptr;
}

std::shared_ptr<ViewController> ViewController::presentingViewController() const {
    for (const ViewController* c = this; c; c = c->parent_)
        if (c->presenting_) return shared(c->presenting_);
    return nullptr;
}

void ViewController::present(std::shared_ptr<ViewController> controller, bool animated, Completion completion) {
    detail::assertMainThread("ViewController::present");
    detail::finishPendingTransitions();
    if (!controller || controller.get() == this) {
        log(concatenate("Warning :: Attempt to present no controller, or ", description(), " on itself"));
        return;
    }
    if (controller->presenting_ || controller->parent_ || (controller->view_ && controller->view_->window())) {
        log(concatenate("Warning :: Attempt to present ", controller->description(), " on ", description(),
                        ", but it is already on screen or inside another controller"));
        return;
    }
    auto window = view_ ? view_->window() : nullptr;
    if (!window) {
        log(concatenate("Warning :: Attempt to present ", controller->description(), " on ", description(),
                        " whose view is not in the window hierarchy"));
        return;
    }
    auto presenter = rootAncestor();
    if (!presenter) return;
    if (presenter->presented_) {
        log(concatenate("Warning :: Attempt to present ", controller->description(), " on ", description(),
                        " which is already presenting ", presenter->presented_->description()));
        return;
    }

    // A full-screen presentation takes off the screen the presenter and whatever shows
    // through beneath it.
    std::vector<std::shared_ptr<ViewController>> covered;
    if (controller->presentationStyle_ == ModalPresentationStyle::fullScreen) {
        for (auto c = presenter; c; c = shared(c->presenting_)) {
            covered.push_back(c);
            if (!c->presenting_ || c->presentationStyle_ == ModalPresentationStyle::fullScreen) break;
        }
    }

    presenter->presented_ = controller;
    controller->presenting_ = presenter.get();
    controller->beingPresented_ = true;
    controller->covered_.assign(covered.begin(), covered.end());
    auto shown = controller->view();
    shown->setFrame(window->bounds());
    window->addSubview(shown);

    const bool onScreen = !window->isHidden();
    if (onScreen) {
        for (auto& c : covered) c->beginAppearanceTransition(false, animated);
        controller->beginAppearanceTransition(true, animated);
    }
    detail::endTransition(animated, [controller, covered, onScreen, completion = std::move(completion)] {
        controller->beingPresented_ = false;
        if (onScreen) {
            controller->endAppearanceTransition();
            for (auto& c : covered) c->endAppearanceTransition();
        }
        // Only screens still covered leave the window (not one dismissed meanwhile).
        if (PresentationAccess::presenting(*controller))
            for (auto& c : covered)
                if (auto v = c->viewIfLoaded(); v && v->superview() && v->window() == v->superview())
                    v->removeFromSuperview();
        if (completion) completion();
    });
}

void ViewController::dismiss(bool animated, Completion completion) {
    detail::assertMainThread("ViewController::dismiss");
    detail::finishPendingTransitions();
    // What this controller (or an ancestor) presents; else the presentation showing it.
    std::shared_ptr<ViewController> leaving;
    for (ViewController* c = this; c && !leaving; c = c->parent_) leaving = c->presented_;
    for (ViewController* c = this; c && !leaving; c = c->parent_)
        if (c->presenting_) leaving = shared(c);
    if (!leaving) {
        if (completion) completion();
        return;
    }

    auto chain = detail::presentationChain(leaving);  // the leaving one and all above it
    for (auto& c : chain) c->beingDismissed_ = true;
    std::shared_ptr<Window> window;
    for (auto& c : chain)
        if (auto v = c->viewIfLoaded(); v && (window = v->window())) break;
    std::vector<std::shared_ptr<ViewController>> returning;
    for (auto& weak : leaving->covered_)
        if (auto c = weak.lock()) returning.push_back(c);

    // The covered screens come back into the window, just beneath the leaving ones.
    if (window) {
        std::shared_ptr<View> anchor;
        for (auto& c : chain)
            if (auto v = c->viewIfLoaded(); v && v->superview() == window) {
                anchor = v;
                break;
            }
        for (auto& c : returning) {
            auto v = c->viewIfLoaded();
            if (!v || v->superview()) continue;
            v->setFrame(window->bounds());
            if (anchor) window->insertSubviewBelow(v, anchor.get());
            else window->insertSubview(v, 0);
            anchor = v;
        }
    }

    const bool onScreen = window && !window->isHidden();
    std::vector<std::shared_ptr<ViewController>> disappearing;
    if (onScreen) {
        disappearing = detail::visibleChain(leaving);
        std::reverse(disappearing.begin(), disappearing.end());  // top first
        for (auto& c : disappearing) c->beginAppearanceTransition(false, animated);
        for (auto it = returning.rbegin(); it != returning.rend(); ++it) (*it)->beginAppearanceTransition(true, animated);
    }
    detail::endTransition(animated, [chain, returning, disappearing, completion = std::move(completion)] {
        for (auto it = returning.rbegin(); it != returning.rend(); ++it) (*it)->endAppearanceTransition();
        for (auto& c : disappearing) c->endAppearanceTransition();
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            auto& c = *it;
            if (auto v = c->viewIfLoaded(); v && v->superview() && v->window() == v->superview())
                v->removeFromSuperview();
            c->covered_.clear();
            c->beingDismissed_ = false;
            if (ViewController* presenter = c->presenting_) {
                c->presenting_ = nullptr;
                if (presenter->presented_ == c) presenter->presented_.reset();
            }
        }
        if (completion) completion();
    });
}

}  // namespace platform::ui
