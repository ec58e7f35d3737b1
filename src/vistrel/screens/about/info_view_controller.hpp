#pragma once
// The about page: the kit's information and privacy page (a localised address) in a web
// view, under a bar in the theme's primary colour with a localised title and a Done
// button.
#include <memory>
#include <string>

#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/web_view.hpp"
#include "vistrel/screens/common/vistrel_view_controller.hpp"

namespace vistrel {

class InfoViewController : public VistrelViewController, public platform::ui::WebViewDelegate {
public:
    // The initial screen of storyboard "About" in the kit's bundle; when the bundle, the
    // storyboard or the scene is missing, a log line and the screen built without it.
    static std::shared_ptr<InfoViewController> instance();

    // The page's address: the localised text of "informations.url".
    InfoViewController();

    const std::string& url() const { return url_; }
    std::shared_ptr<platform::ui::WebView> webView() const { return webView_.lock(); }
    std::shared_ptr<platform::ui::BarButtonItem> doneBarButtonItem() const { return doneBarButtonItem_.lock(); }

    void loadView() override;
    // Themes the bar, sets the title and the Done text, and loads the page. An address
    // that is missing from the strings table, or is not an http or https address, loads
    // nothing, with a log line: the page stays empty.
    void viewDidLoad() override;

    // Closes the page (and the navigation controller it is the root of), animated.
    void didTapDoneButton();

    void webViewDidStartLoad(platform::ui::WebView& webView) override;
    void webViewDidFinishLoad(platform::ui::WebView& webView) override;

private:
    std::weak_ptr<platform::ui::WebView> webView_;
    std::weak_ptr<platform::ui::BarButtonItem> doneBarButtonItem_;
    const std::string url_;
};

}  // namespace vistrel
