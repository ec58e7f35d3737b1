#pragma once
// The kit's screens colour the bar of the navigation controller they sit in with the
// theme: the primary colour behind, white items and title, not translucent, no line.
namespace platform::ui {
class ViewController;
}

namespace vistrel {

// Nothing when the screen is in no navigation controller.
void applyThemeToNavigationBar(const platform::ui::ViewController& screen);

}  // namespace vistrel
