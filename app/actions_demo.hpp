#pragma once
// The demo's look at the action list of a recognised image.
#include <filesystem>
#include <memory>
#include <string>

namespace platform::ui {
class NavigationController;
class ViewController;
class Window;
}  // namespace platform::ui

namespace vistrel {
class DisplayActionsViewController;
}

// The action list on screen: the kit's root navigation controller in a shown window,
// with the list pushed on it.
struct ActionListDemo {
    std::shared_ptr<platform::ui::Window> window;
    std::shared_ptr<platform::ui::NavigationController> navigation;
    std::shared_ptr<vistrel::DisplayActionsViewController> screen;
};

// Reads the answer file, pushes its action list in the root navigation controller and
// writes what the window shows as `picture` into `out`. None (with a line) when the kit
// gives no navigation controller.
std::shared_ptr<ActionListDemo> showActionList(const std::filesystem::path& answer, const std::filesystem::path& out,
                                               const std::string& picture = "actions.png");

// Lets the main queue run until the pictures the rows asked for have come (ten seconds
// at most).
void waitForRowImages();

// Taps row `row` of the list, lets the main queue run, and gives what is then on top:
// the screen presented over the window's root, else the navigation controller's top
// screen (the list itself when the action opened nothing).
std::shared_ptr<platform::ui::ViewController> tapAction(ActionListDemo& demo, int row);
