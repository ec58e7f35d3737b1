#include "vistrel/screens/camera/camera_scene.hpp"

#include "vistrel/fab/fab.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/control.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"

namespace vistrel {

namespace {

using platform::graphics::Color;
using platform::ui::Rect;

// Lengths of the layout, in points.
constexpr double barHeight = 130;
// The shutter's camera glyph is drawn at 80 points and is wider than tall (86 x 74):
// the circle holds it whole, and its label is wider still so that it never truncates.
constexpr double shutterSide = 116;
constexpr double flashSide = 50;
constexpr double gallerySide = 60;
constexpr double topButtonSide = 44;
constexpr double topMargin = 28;
constexpr double sideMargin = 16;

struct SceneViews {
    platform::ui::View* preview;
    platform::ui::View* picture;
    platform::ui::View* bar;
    platform::ui::View* shutter;
    platform::ui::View* shutterGlyph;
    platform::ui::View* flash;
    platform::ui::View* gallery;
    platform::ui::View* developer;
    platform::ui::View* menu;
    platform::ui::View* fab;
};

Rect centred(double x, double y, double side) { return {x - side / 2, y - side / 2, side, side}; }

void layOut(const SceneViews& v, const Rect& bounds) {
    const double width = bounds.width();
    const double height = bounds.height();
    v.preview->setFrame(bounds);
    v.picture->setFrame(bounds);
    v.bar->setFrame({0, height - barHeight, width, barHeight});
    v.shutter->setFrame(centred(width / 2, barHeight / 2, shutterSide));
    v.shutterGlyph->setFrame({-10, 0, shutterSide + 20, shutterSide});
    v.flash->setFrame(centred(sideMargin + 44, barHeight / 2, flashSide));
    v.gallery->setFrame(centred(width - sideMargin - 44, barHeight / 2, gallerySide));
    v.developer->setFrame({sideMargin, topMargin, topButtonSide, topButtonSide});
    v.menu->setFrame({width - sideMargin - topButtonSide, topMargin, topButtonSide, topButtonSide});
    const double fab = Fab::defaultSize;
    // On the left: the entries' titles sit to the right of their circles.
    v.fab->setFrame({sideMargin, height - barHeight - sideMargin - fab, fab, fab});
}

}  // namespace

std::shared_ptr<platform::ui::View> buildCameraScene(const std::shared_ptr<CameraViewController>& screen) {
    const Rect bounds = platform::ui::Screen::main().bounds();
    auto root = std::make_shared<platform::ui::LayoutCallbackView>(bounds);
    root->setBackgroundColor(Color::black());

    auto preview = std::make_shared<platform::ui::View>();
    preview->setBackgroundColor(Color::black());
    auto picture = std::make_shared<platform::ui::ImageView>();
    picture->setContentMode(platform::ui::ContentMode::scaleAspectFill);
    picture->setClipsToBounds(true);
    auto bar = std::make_shared<platform::ui::View>();
    bar->setBackgroundColor(Color::black().withAlpha(0.3));
    auto shutter = std::make_shared<platform::ui::Control>();
    auto shutterGlyph = std::make_shared<platform::ui::Label>();
    auto flash = std::make_shared<platform::ui::Button>();
    auto gallery = std::make_shared<platform::ui::Button>();
    auto developer = std::make_shared<platform::ui::Button>();
    auto menu = std::make_shared<platform::ui::Button>();
    auto fab = Fab::fromStoryboard(centred(0, 0, Fab::defaultSize));

    shutter->addSubview(shutterGlyph);
    bar->addSubview(flash);
    bar->addSubview(shutter);
    bar->addSubview(gallery);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::ui::View>>{
             preview, picture, bar, developer, menu, fab})
        root->addSubview(view);

    const SceneViews views{preview.get(), picture.get(), bar.get(),       shutter.get(), shutterGlyph.get(),
                           flash.get(),   gallery.get(), developer.get(), menu.get(),    fab.get()};
    layOut(views, bounds);
    root->onLayout = [views, root = root.get(), laidOut = bounds]() mutable {
        if (root->bounds() == laidOut) return;
        laidOut = root->bounds();
        layOut(views, laidOut);
    };

    shutter->addTarget(screen, &CameraViewController::takePicture, platform::ui::ControlEvents::touchUpInside);
    flash->addTarget(screen, &CameraViewController::toggleFlash, platform::ui::ControlEvents::touchUpInside);
    gallery->addTarget(screen, &CameraViewController::showGallery, platform::ui::ControlEvents::touchUpInside);

    screen->buttonsView = bar;
    screen->fabView = fab;
    screen->menuButton = menu;
    screen->galleryButton = gallery;
    screen->developerButton = developer;
    screen->flashButton = flash;
    screen->capturePreviewView = preview;
    screen->photoView = shutter;
    screen->photoDetailLabel = shutterGlyph;
    screen->pictureImageView = picture;
    return root;
}

}  // namespace vistrel
