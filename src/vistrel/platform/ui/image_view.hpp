#pragma once
// An image view: shows a still or animated image, laid into its bounds by its content
// mode. A template image is drawn in the view's tint colour.
//
// An animated image plays as on the phone: it starts when the view is in a window (set
// while in one, or on moving into one), loops, and stops when the view leaves its window
// or is told to stop; a stopped view shows the first frame. The frame shown is the one
// due at the dispatch clock's time, counted from the start, each frame for its own time,
// so a rendering at a given clock time shows the right frame.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/update_pass.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

using graphics::Image;
using graphics::RenderingMode;

class ImageView : public View, private detail::ClockDriven {
public:
    // Seconds per frame of an animation whose duration is zero.
    static constexpr double defaultFrameSeconds = 1.0 / 30;

    explicit ImageView(const Rect& frame = {});
    // A view the size of the image (empty without one).
    explicit ImageView(std::optional<Image> image);

    const std::optional<Image>& image() const { return image_; }
    // A new image shows from its first frame; an animated one starts at once when the
    // view is in a window.
    void setImage(std::optional<Image> image);
    // A number that changes with every setImage and every renewImageToken (safe from
    // any thread): work that will set the image later keeps the token it started
    // under and drops its result when the token has moved on.
    std::uint64_t imageToken() const { return imageToken_.load(); }
    std::uint64_t renewImageToken() { return ++imageToken_; }

    // Plays an animated image from its first frame (whether or not the view is in a
    // window); nothing for a still image or none.
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return followsClock(); }
    // The frame the view shows now (0 for a still image, or when stopped).
    std::size_t currentFrame() const;

    // The image's size in points (zero without one).
    Size sizeThatFits(Size size) const override;
    void didMoveToWindow() override;

protected:
    void drawContent(graphics::Canvas& canvas) const override;

private:
    void clockDidAdvance() override;
    double frameSeconds() const;

    std::optional<Image> image_;
    std::atomic<std::uint64_t> imageToken_{0};
    mutable std::size_t drawnFrame_ = 0;  // the frame last drawn
};

}  // namespace platform::ui
