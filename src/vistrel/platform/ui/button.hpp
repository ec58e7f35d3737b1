#pragma once
// A button: a control with a title, a title colour and an image per state, shown by its
// title label and image view, side by side and centred inside the content insets.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/ui/control.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"

namespace platform::ui {

// A custom button draws only what it is given (white titles unless told); a system
// button draws its titles and images in the tint colour.
enum class ButtonType { custom, system };

class Button : public Control {
public:
    static constexpr double defaultFontSize = 15;

    explicit Button(ButtonType type = ButtonType::custom, const Rect& frame = {});

    ButtonType buttonType() const { return type_; }

    // Per state; a state with no value of its own uses the normal state's.
    void setTitle(std::optional<std::string> title, ControlState state = ControlState::normal);
    std::optional<std::string> title(ControlState state = ControlState::normal) const;
    void setTitleColor(std::optional<Color> color, ControlState state = ControlState::normal);
    std::optional<Color> titleColor(ControlState state = ControlState::normal) const;
    void setImage(std::optional<Image> image, ControlState state = ControlState::normal);
    std::optional<Image> image(ControlState state = ControlState::normal) const;

    // For the current state.
    std::optional<std::string> currentTitle() const { return title(state()); }
    Color currentTitleColor() const;
    std::optional<Image> currentImage() const { return image(state()); }

    const std::shared_ptr<Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<ImageView>& imageView() const { return imageView_; }

    EdgeInsets contentEdgeInsets() const { return contentInsets_; }
    void setContentEdgeInsets(EdgeInsets insets);

    Size sizeThatFits(Size size) const override;
    void layoutSubviews() override;

protected:
    void stateDidChange() override;

private:
    template <class V>
    static std::optional<V> lookup(const std::map<unsigned, V>& values, ControlState state);
    void updateContent();

    ButtonType type_;
    std::map<unsigned, std::string> titles_;
    std::map<unsigned, Color> titleColors_;
    std::map<unsigned, Image> images_;
    EdgeInsets contentInsets_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<ImageView> imageView_;
};

}  // namespace platform::ui
