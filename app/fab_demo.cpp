#include "fab_demo.hpp"

#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "vistrel/core/icon_image.hpp"
#include "vistrel/core/icon_type.hpp"
#include "vistrel/fab/fab.hpp"
#include "vistrel/fab/fab_manager.hpp"
#include "vistrel/fab/fab_window.hpp"
#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/view_controller.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace {

namespace ui = platform::ui;
using platform::graphics::Bitmap;
using platform::graphics::Image;
using vistrel::Fab;
using vistrel::FabItemLabelPositionType;
using vistrel::VistrelIconType;

const ui::Color kScreenColour = ui::Color::rgba(0.16, 0.18, 0.22, 1);

// A plain screen: a dark background and a caption at the top.
std::shared_ptr<ui::View> plainScreen(const std::string& caption) {
    const ui::Rect bounds = ui::Screen::main().bounds();
    auto screen = std::make_shared<ui::View>(bounds);
    screen->setBackgroundColor(kScreenColour);
    auto label = std::make_shared<ui::Label>(ui::Rect{20, 60, bounds.width() - 40, 30});
    label->setText(caption);
    label->setTextColor(ui::Color::white());
    label->setTextAlignment(platform::graphics::TextAlignment::center);
    screen->addSubview(label);
    return screen;
}

// Three entries with icon-font glyphs and titles on the left of their circles.
void addThreeItems(Fab& fab) {
    const std::pair<VistrelIconType, const char*> entries[] = {
        {VistrelIconType::Tutorial, "Tutorial"},
        {VistrelIconType::Informations, "About"},
        {VistrelIconType::Recents, "History"},
    };
    for (const auto& [icon, title] : entries) {
        auto glyph = vistrel::imageFromIcon(vistrel::rawValue(icon), 25, ui::Color::white());
        fab.addItem(title, glyph, std::optional<FabItemLabelPositionType>{}, [title = std::string(title)](auto&) {
            std::cout << "item \"" << title << "\" tapped\n";
        });
    }
}

void settle(platform::dispatch::ScopedManualClock& clock) {
    platform::dispatch::RunLoop::runUntilIdle();
    clock->advance(std::chrono::seconds(2));
    platform::dispatch::RunLoop::runUntilIdle();
}

void write(const std::optional<Bitmap>& bitmap, const std::filesystem::path& path, const std::string& what) {
    if (bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "wrote " << path.string() << ": " << what << "\n";
    else
        std::cout << "could not write " << path.string() << "\n";
}

// The windows drawn one above the other, back to front.
std::optional<Bitmap> composite(std::initializer_list<ui::Window*> windows) {
    const ui::Rect bounds = ui::Screen::main().bounds();
    const double scale = ui::Screen::main().scale();
    auto sheet = Bitmap::make(static_cast<int>(bounds.width() * scale), static_cast<int>(bounds.height() * scale));
    if (!sheet) return std::nullopt;
    platform::graphics::Canvas canvas(*sheet, scale);
    for (ui::Window* window : windows) {
        auto shot = ui::render(*window, scale);
        auto image = shot ? Image::make(std::move(*shot), scale) : std::nullopt;
        if (image) canvas.draw(*image, bounds);
    }
    return sheet;
}

}  // namespace

void writeFabPictures(const std::filesystem::path& out) {
    std::cout << "\n== the floating action menu\n";
    platform::dispatch::ScopedManualClock clock;

    auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
    window->setRootView(plainScreen("A plain screen"));
    window->setHidden(false);
    auto fab = std::make_shared<Fab>();
    fab->overlayColor = ui::Color::black().withAlpha(0.3);
    window->rootView()->addSubview(fab);
    addThreeItems(*fab);
    settle(clock);
    write(ui::render(*window), out / "fab-closed.png", "the button closed in the bottom corner");
    fab->open();
    settle(clock);
    std::cout << "opened: " << fab->items().size() << " items, the top one at y = "
              << fab->items().back()->frame().origin.y << " above the button\n";
    write(ui::render(*window), out / "fab-open.png", "the menu open, three items with their titles");
    fab->close();
    settle(clock);
    window->setHidden(true);

    // The global button floats in a window of its own above the application's.
    auto root = std::make_shared<ui::ViewController>();
    root->view()->addSubview(plainScreen("The root screen"));
    auto rootWindow = std::make_shared<ui::Window>(ui::Screen::main().bounds());
    rootWindow->setRootViewController(root);
    rootWindow->setHidden(false);
    auto& manager = Fab::global();
    auto global = manager.button();
    if (global->items().empty()) addThreeItems(*global);
    manager.show(false);
    settle(clock);
    global->open();
    settle(clock);
    write(composite({rootWindow.get(), manager.fabWindow().get()}), out / "fab-global.png",
          "the global menu open above the root screen");
    global->close();
    manager.hide(false);
    settle(clock);
    rootWindow->setHidden(true);
}
