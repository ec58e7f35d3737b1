#include "vistrel/screens/actions/action_text_view_controller.hpp"

#include <algorithm>

#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/scroll_view.hpp"
#include "vistrel/presentation/display_limits.hpp"
#include "vistrel/screens/actions/actions_storyboard.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/screens/common/themed_bar.hpp"

namespace vistrel {

using platform::ui::Rect;

std::shared_ptr<ActionTextViewController> ActionTextViewController::instance() {
    return kitSceneOrBuilt<ActionTextViewController>(actionsStoryboard(), kActionsStoryboardName,
                                                     kActionTextViewControllerIdentifier);
}

// A long text scrolls: the label takes the height its wrapped lines need, inside a
// scroll view that fills the page.
void ActionTextViewController::loadView() {
    auto view = std::make_shared<platform::ui::LayoutCallbackView>(platform::ui::Screen::main().bounds());
    auto scroll = std::make_shared<platform::ui::ScrollView>(view->bounds());
    auto label = std::make_shared<platform::ui::Label>();
    label->setNumberOfLines(0);
    label->setLineBreakMode(platform::graphics::LineBreakMode::wordWrap);
    scroll->addSubview(label);
    view->addSubview(scroll);
    view->onLayout = [container = view.get(), scroll = scroll.get(), label = label.get()] {
        const Rect bounds = container->bounds();
        scroll->setFrame(bounds);
        const double width = std::max(0.0, bounds.width() - 2 * textMargin);
        const double height = label->sizeThatFits({width, 0}).height;
        label->setFrame({textMargin, textMargin, width, height});
        scroll->setContentSize({bounds.width(), height + 2 * textMargin});
    };
    actionTextLabel_ = label;
    setView(view);
}

void ActionTextViewController::viewDidLoad() {
    platform::ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(platform::graphics::Color::white());
    // However long the text, the page lays out no more than a reader could want of it.
    if (auto label = actionTextLabel(); label && text) label->setText(display_limits::clampText(*text));
    applyThemeToNavigationBar(*this);
    auto done = std::make_shared<platform::ui::BarButtonItem>(platform::ui::BarButtonSystemItem::done);
    done->setTarget(std::static_pointer_cast<ActionTextViewController>(shared_from_this()),
                    &ActionTextViewController::dismissActionText);
    navigationItem().setRightBarButtonItem(done);
}

void ActionTextViewController::dismissActionText() { dismiss(true); }

}  // namespace vistrel
