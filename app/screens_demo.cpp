#include "screens_demo.hpp"

#include <cctype>
#include <iostream>
#include <string>

#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/vistrel.hpp"

namespace {

// "CameraViewController" -> "camera"; "root" for a screen without an identifier.
std::string pictureName(const platform::ui::ViewController* screen) {
    std::string name = screen && screen->storyboardIdentifier() ? *screen->storyboardIdentifier() : "root";
    const std::string suffix = "ViewController";
    if (name.size() > suffix.size() && name.ends_with(suffix)) name.resize(name.size() - suffix.size());
    if (!name.empty()) name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
}

}  // namespace

void showRootScreen(const std::filesystem::path& out) {
    std::cout << "\n== the root screen: Vistrel::rootViewController()\n";
    auto navigation = vistrel::Vistrel::rootViewController();
    auto window = std::make_shared<platform::ui::Window>();
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    platform::dispatch::RunLoop::runUntilIdle();

    auto top = navigation->topViewController();
    std::cout << "screens on the stack: " << navigation->viewControllers().size() << ", on top: "
              << (top ? top->description() : "(none)") << "\nstatus bar: "
              << (navigation->effectiveStatusBarStyle() == platform::ui::StatusBarStyle::lightContent ? "light"
                                                                                                     : "dark")
              << " content\n";

    const auto path = out / (pictureName(top.get()) + ".png");
    auto bitmap = platform::ui::render(*window);
    if (bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "wrote " << path.string() << " (" << bitmap->width() << " x " << bitmap->height() << " pixels)\n";
    else
        std::cout << "could not write " << path.string() << "\n";
}
