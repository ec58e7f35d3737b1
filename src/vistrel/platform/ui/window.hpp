#pragma once
// A window: the root of a view tree on the screen. Hidden until shown; its level orders
// it among the others (a higher level is in front). It holds one root view that fills it,
// usually the view of its root view controller.
#include <cstdint>
#include <memory>
#include <vector>

#include "vistrel/platform/ui/update_pass.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

class ViewController;

class Window : public View {
public:
    static constexpr double levelNormal = 0;
    static constexpr double levelStatusBar = 1000;
    static constexpr double levelAlert = 2000;

    // A window the size of the main screen.
    Window();
    explicit Window(const Rect& frame);
    ~Window() override;

    double level() const { return level_; }
    void setLevel(double level) { level_ = level; }

    // The view that fills the window; a new one replaces (and removes) the old one. A
    // view other than the root controller's lets that controller go.
    std::shared_ptr<View> rootView() const { return rootView_; }
    void setRootView(std::shared_ptr<View> view);

    // Setting it loads the controller's view and fills the window with it. On a shown
    // window the old root's screens disappear and the new one appears (not animated).
    // Whatever the old root presented leaves the window with it. A controller that is
    // a child, presented or on screen in a window is refused with a log line.
    std::shared_ptr<ViewController> rootViewController() const { return rootViewController_; }
    void setRootViewController(std::shared_ptr<ViewController> controller);

    // Hides or shows the window (through the window, not through a plain view pointer):
    // the screens on it appear when it is shown and disappear when it is hidden.
    void setHidden(bool hidden);
    // Shows the window and makes it the key window.
    void makeKeyAndVisible();
    // Grows each time some window is shown: a window shown later has a larger number.
    // 0 for a window never shown.
    std::uint64_t shownOrder() const { return shownOrder_; }
    bool isKeyWindow() const;
    static std::shared_ptr<Window> keyWindow();

    // Every live window, in the order they were made.
    static std::vector<std::shared_ptr<Window>> allWindows();

    void layoutSubviews() override;

private:
    void installRootView(std::shared_ptr<View> view);

    std::shared_ptr<View> rootView_;
    std::shared_ptr<ViewController> rootViewController_;
    double level_ = levelNormal;
    std::uint64_t shownOrder_ = 0;
};

}  // namespace platform::ui
