#include "spinner_demo.hpp"

#include "vistrel/screens/common/glint_gif.hpp"

#include <chrono>
#include <cmath>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <vector>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace {

using platform::graphics::Bitmap;
using platform::graphics::Canvas;
using platform::graphics::Image;
namespace ui = platform::ui;

constexpr double kSide = 150;     // the image view, as the screens show their loading indicator
constexpr double kCaption = 30;   // the caption under it
constexpr double kScale = 2;

// The kit's "spinner" animation, decoded as the screens decode it.
std::optional<Image> bundleSpinner() {
    auto bundle = vistrel::vistrelBundle();
    if (!bundle) return std::nullopt;
    return vistrel::GlintGif::gifNamed("spinner", bundle.get());
}

std::string secondsText(double seconds) {
    std::ostringstream text;
    text << "t = " << std::fixed << std::setprecision(2) << seconds << " s";
    return text.str();
}

}  // namespace

void writeSpinnerPicture(const std::filesystem::path& out) {
    std::cout << "\n== the loading spinner: an animated image view at two clock times\n";
    auto image = bundleSpinner();
    if (!image) {
        std::cout << "the kit's bundle has no spinner animation; no spinner.png\n";
        return;
    }
    std::cout << "spinner.gif from the kit's bundle: " << image->frames().size() << " frames over "
              << image->duration() << " s\n";

    platform::dispatch::ScopedManualClock clock;
    auto window = std::make_shared<ui::Window>(ui::Rect{0, 0, kSide, kSide + kCaption});
    window->setBackgroundColor(ui::Color::white());
    auto view = std::make_shared<ui::ImageView>(ui::Rect{0, 0, kSide, kSide});
    view->setContentMode(ui::ContentMode::center);
    auto caption = std::make_shared<ui::Label>(ui::Rect{0, kSide, kSide, kCaption});
    caption->setTextAlignment(platform::graphics::TextAlignment::center);
    window->addSubview(view);
    window->addSubview(caption);
    window->setHidden(false);  // shown, without taking the key window from the host
    view->setImage(image);

    // The first frame, then the middle of the frame halfway through the animation.
    const std::size_t count = image->frames().size();
    const double frameSeconds =
        image->duration() > 0 ? image->duration() / static_cast<double>(count) : ui::ImageView::defaultFrameSeconds;
    const double times[] = {0, frameSeconds * (static_cast<double>(count / 2) + 0.5)};

    auto sheet = Bitmap::make(static_cast<int>(2 * kSide * kScale), static_cast<int>((kSide + kCaption) * kScale));
    if (!sheet) return;
    {
        Canvas canvas(*sheet, kScale);
        const auto start = clock->now();
        for (int i = 0; i < 2; ++i) {
            clock->set(start + std::chrono::duration_cast<platform::dispatch::Duration>(
                                   std::chrono::duration<double>(times[i])));
            caption->setText(secondsText(times[i]));
            auto shot = ui::render(*window, kScale);
            auto still = shot ? Image::make(std::move(*shot), kScale) : std::nullopt;
            if (still) canvas.draw(*still, ui::Rect{i * kSide, 0, kSide, kSide + kCaption});
            std::cout << secondsText(times[i]) << ": frame " << view->currentFrame() << " of " << count << "\n";
        }
    }
    const auto path = out / "spinner.png";
    if (platform::graphics::writePng(*sheet, path))
        std::cout << "wrote " << path.string() << " (" << sheet->width() << " x " << sheet->height() << " pixels)\n";
    else
        std::cout << "could not write " << path.string() << "\n";
}
