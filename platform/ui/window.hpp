#pragma once
// A window: the root of a view tree on the screen. Hidden until shown; its level orders
// it among the others (a higher level is in front). It holds one root view that fills it.
#include <memory>
#include <vector>

#include "platform/ui/view.hpp"

namespace platform::ui {

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

    // The view that fills the window; a new one replaces (and removes) the old one.
    std::shared_ptr<View> rootView() const { return rootView_; }
    void setRootView(std::shared_ptr<View> view);

    // Shows the window and makes it the key window.
    void makeKeyAndVisible();
    bool isKeyWindow() const;
    static std::shared_ptr<Window> keyWindow();

    // Every live window, in the order they were made.
    static std::vector<std::shared_ptr<Window>> allWindows();

    void layoutSubviews() override;

private:
    std::shared_ptr<View> rootView_;
    double level_ = levelNormal;
};

// Runs the display pass over every shown window, in level order.
void displayPass();

}  // namespace platform::ui
