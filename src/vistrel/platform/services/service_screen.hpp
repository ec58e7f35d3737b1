#pragma once
// The look the platform's own service screens share (browser, share sheet, composers):
// a bar of their own at the top with a title and up to two buttons, and below it a list
// of rows, each a caption over a value (and an image, when a row holds one). The bar
// is the screen's own, so a screen reads the same whether it is presented alone or
// inside a navigation controller. Main thread only.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/navigation_bar.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::ui {
class ImageView;
class Label;
}  // namespace platform::ui

namespace platform::services {

class ServiceScreen : public ui::ViewController {
public:
    struct Row {
        std::string caption;
        std::string value;
        std::optional<graphics::Image> image;
    };

    // The parts of the loaded screen.
    const std::shared_ptr<ui::NavigationBar>& bar() const { return bar_; }
    const std::shared_ptr<ui::BarButtonItem>& leftButton() const { return left_; }
    const std::shared_ptr<ui::BarButtonItem>& rightButton() const { return right_; }
    // Caption and value labels of every row, in row order.
    const std::vector<std::shared_ptr<ui::Label>>& rowLabels() const { return rowLabels_; }

    // One line saying what the screen was given, for logs and for a host that prints
    // whatever service screen it finds presented.
    virtual std::string summary() const = 0;

    void loadView() override;

protected:
    // Buttons without a title are left out.
    ServiceScreen(std::string title, std::optional<std::string> leftTitle, std::optional<std::string> rightTitle);

    // What the rows show; asked again by refresh().
    virtual std::vector<Row> rows() const { return {}; }
    // Room for views of a subclass's own: called on every layout, after the rows are
    // placed, with the area under the bar and the height where the rows end.
    virtual void layoutExtra(const ui::Rect& content, double rowsBottom) {
        (void)content;
        (void)rowsBottom;
    }
    virtual void leftTapped() {}
    virtual void rightTapped() {}

    // Rebuilds the rows after a field changed (nothing before the view loads).
    void refresh();

    // A finishing step that happens once: refused, with a log line, when the screen is not
    // presented or has already finished. `tellDelegate` answers whether a delegate took it;
    // when none did the screen dismisses itself, so the user is never left stuck in it.
    bool finishOnce(const char* what, const std::function<bool()>& tellDelegate);
    bool hasFinished() const { return finished_; }

private:
    void layout();
    void onLeft() { leftTapped(); }
    void onRight() { rightTapped(); }

    std::shared_ptr<ui::NavigationItem> item_;
    std::shared_ptr<ui::BarButtonItem> left_;
    std::shared_ptr<ui::BarButtonItem> right_;
    std::shared_ptr<ui::NavigationBar> bar_;
    std::vector<std::shared_ptr<ui::Label>> rowLabels_;
    std::vector<std::shared_ptr<ui::ImageView>> rowImages_;
    bool finished_ = false;
};

}  // namespace platform::services
