#pragma once
// One entry of the floating menu: a circle with an optional icon and a title beside it.
// Its button adds it as a subview and holds it; the item holds the button weakly. The
// title label and the icon view are made on first use.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/shape_layer.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace vistrel {

class Fab;

// The side of the circle the title sits on.
enum class FabItemLabelPositionType { left, right };

class FabItem : public platform::ui::View {
public:
    using Color = platform::ui::Color;
    using Handler = std::function<void(FabItem&)>;

    FabItem();

    // The circle's diameter and the side of the item's square frame; setting it puts the
    // frame at (0, 0, size, size) and centres the title and the icon again.
    double size() const { return size_; }
    void setSize(double size);
    Color buttonColor = Color::white();
    Color titleColor() const { return titleColor_; }
    void setTitleColor(const Color& color);
    bool hasShadow = true;
    Color circleShadowColor = Color::black();
    Color titleShadowColor = Color::black();
    // Called with the item on a tap, after the menu closed when it closes on tap.
    Handler handler;
    platform::ui::Point imageOffset{0, 0};
    platform::ui::Size imageSize() const { return imageSize_; }
    void setImageSize(platform::ui::Size size);
    // The owning button (weak); set when the button adds the item.
    std::shared_ptr<Fab> actionButton() const { return actionButton_.lock(); }
    void setActionButton(const std::shared_ptr<Fab>& fab) { actionButton_ = fab; }
    // Read when the title is set.
    FabItemLabelPositionType titleLabelPosition = FabItemLabelPositionType::right;
    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> title);
    const std::optional<platform::graphics::Image>& icon() const { return icon_; }
    void setIcon(std::optional<platform::graphics::Image> icon);
    std::optional<Color> iconTintColor() const { return iconTintColor_; }
    // Re-renders the present icon as a template in the colour.
    void setIconTintColor(std::optional<Color> color);
    std::optional<Color> itemBackgroundColor() const { return itemBackgroundColor_; }
    void setItemBackgroundColor(std::optional<Color> color);

    // Made (and added as a subview) on first use.
    platform::ui::Label& titleLabel();
    platform::ui::ImageView& iconImageView();
    bool hasTitleLabel() const { return titleLabel_ != nullptr; }
    bool hasIconImageView() const { return iconImageView_ != nullptr; }
    const platform::ui::ShapeLayer& circleLayer() const { return *circleLayer_; }
    const platform::ui::ShapeLayer& tintLayer() const { return *tintLayer_; }

    void draw(const platform::ui::Rect& rect) override;
    void touchesBegan(const platform::ui::TouchSet& touches, const platform::ui::Event* event) override;
    void touchesMoved(const platform::ui::TouchSet& touches, const platform::ui::Event* event) override;
    void touchesEnded(const platform::ui::TouchSet& touches, const platform::ui::Event* event) override;
    void touchesCancelled(const platform::ui::TouchSet& touches, const platform::ui::Event* event) override;

private:
    // The diameter the circle is centred against: the owning button's item size, or the
    // item's own size when it sits in no button.
    double columnWidth() const;
    void createCircleLayer();
    void createTintLayer();
    void setShadow();
    void centreIcon();

    double size_ = 42;
    Color titleColor_ = Color::white();
    platform::ui::Size imageSize_{25, 25};
    std::weak_ptr<Fab> actionButton_;
    std::shared_ptr<platform::ui::ShapeLayer> circleLayer_ = std::make_shared<platform::ui::ShapeLayer>();
    std::shared_ptr<platform::ui::ShapeLayer> tintLayer_ = std::make_shared<platform::ui::ShapeLayer>();
    std::optional<std::string> title_;
    std::optional<platform::graphics::Image> icon_;
    std::optional<Color> iconTintColor_;
    std::optional<Color> itemBackgroundColor_;
    std::shared_ptr<platform::ui::Label> titleLabel_;
    std::shared_ptr<platform::ui::ImageView> iconImageView_;
};

// True for exactly one touch with a tap count of 1.
bool isSingleTap(const platform::ui::TouchSet& touches);

}  // namespace vistrel
