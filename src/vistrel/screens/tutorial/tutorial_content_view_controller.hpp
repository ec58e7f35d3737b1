#pragma once
// One page of the tutorial: the step's illustration over its title and description.
// The page carries the four illustrations and shows only the one of its own position.
// Its creator sets the position and the texts before the view loads; they are read once,
// when it loads. Main thread only.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace vistrel {

// The bundle images the pages show, by position.
inline constexpr std::array<std::string_view, 4> kTutorialSlideImageNames = {"tuto_slide_photograph", "tuto_slide_shutter",
                                                                            "tuto_slide_actions", "tuto_slide_gallery"};

// The tutorial's upper part, which holds the illustrations, as a fraction of the height.
inline constexpr double kTutorialTopAreaFraction = 0.6;

class TutorialContentViewController : public platform::ui::ViewController {
public:
    std::intptr_t index = 0;
    std::string contentTitle;
    std::string contentDescription;

    std::shared_ptr<platform::ui::Label> titleLabel() const { return titleLabel_.lock(); }
    std::shared_ptr<platform::ui::Label> descriptionLabel() const { return descriptionLabel_.lock(); }
    std::shared_ptr<platform::ui::ImageView> tutorialSlide0() const { return slides_[0].lock(); }
    std::shared_ptr<platform::ui::ImageView> tutorialSlide11() const { return slides_[1].lock(); }
    std::shared_ptr<platform::ui::ImageView> tutorialSlide2() const { return slides_[2].lock(); }
    std::shared_ptr<platform::ui::ImageView> tutorialSlide3() const { return slides_[3].lock(); }

    // The illustrations in the upper part, the texts under them; each illustration holds
    // its image from the kit's bundle (none when the bundle lacks it).
    void loadView() override;
    // Clear background, the texts into their labels, then the illustration of the position.
    void viewDidLoad() override;
    // Shows the illustration of `index` and hides the others; a position outside 0...3
    // hides all four.
    void animateTutorialSlide();

private:
    std::weak_ptr<platform::ui::Label> titleLabel_;
    std::weak_ptr<platform::ui::Label> descriptionLabel_;
    std::array<std::weak_ptr<platform::ui::ImageView>, 4> slides_;
};

}  // namespace vistrel
