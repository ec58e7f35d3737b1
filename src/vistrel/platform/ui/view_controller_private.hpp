#pragma once
// Internals shared by the view controller sources and the window; not for use outside
// platform/ui.
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::ui {

struct PresentationAccess {
    static ViewController* presenting(const ViewController& c) { return c.presenting_; }
    static const std::shared_ptr<ViewController>& presented(const ViewController& c) { return c.presented_; }
    static ViewController* parent(const ViewController& c) { return c.parent_; }
};

namespace detail {

// Ends a transition: at once, or, when animated, from one block on the main queue.
void endTransition(bool animated, std::function<void()> end);
// Runs the end of every transition still pending, oldest first; each new transition
// calls it before it begins.
void finishPendingTransitions();

// The presentation chain from `root` up, bottom first: the root, what it presents, ...
std::vector<std::shared_ptr<ViewController>> presentationChain(const std::shared_ptr<ViewController>& root);
// Of that chain, the controllers on screen, bottom first: the top one, and below it
// each one not covered by a full-screen presentation above it.
std::vector<std::shared_ptr<ViewController>> visibleChain(const std::shared_ptr<ViewController>& root);

// Demangled class name without its namespaces.
std::string className(const std::type_info& type);

}  // namespace detail

}  // namespace platform::ui
