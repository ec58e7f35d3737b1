#pragma once
// An image view: shows a still or animated image, laid into its bounds by its content
// mode. A template image is drawn in the view's tint colour.
#include <atomic>
#include <cstdint>
#include <optional>

#include "platform/graphics/image.hpp"
#include "platform/ui/view.hpp"

namespace platform::ui {

using graphics::Image;
using graphics::RenderingMode;

class ImageView : public View {
public:
    explicit ImageView(const Rect& frame = {});
    // A view the size of the image (empty without one).
    explicit ImageView(std::optional<Image> image);

    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image);
    // A number that changes with every setImage and every renewImageToken (safe from
    // any thread): work that will set the image later keeps the token it started
    // under and drops its result when the token has moved on.
    std::uint64_t imageToken() const { return imageToken_.load(); }
    std::uint64_t renewImageToken() { return ++imageToken_; }
    // Whether it shows an animation (an image of several frames).
    bool isAnimating() const { return image_ && image_->isAnimated(); }

    // The image's size in points (zero without one).
    Size sizeThatFits(Size size) const override;

protected:
    void drawContent(graphics::Canvas& canvas) const override;

private:
    std::optional<Image> image_;
    std::atomic<std::uint64_t> imageToken_{0};
};

}  // namespace platform::ui
