#pragma once
// A plain view that hands its layout pass to its owner: controllers whose view is a
// container (an alert, a navigation stack) lay it out from outside.
#include <functional>

#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

class LayoutCallbackView final : public View {
public:
    using View::View;
    std::function<void()> onLayout;

    void layoutSubviews() override {
        View::layoutSubviews();
        if (onLayout) onLayout();
    }
};

}  // namespace platform::ui
