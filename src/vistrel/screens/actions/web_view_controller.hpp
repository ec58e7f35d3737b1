#pragma once
// The in-app browser: one web page in a web view, with the action's name as the
// navigation title. A page that is not anonymous gets a bar button whose sheet offers to
// open the address in the browser view or to share it.
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/ui/web_view.hpp"
#include "vistrel/screens/common/vistrel_view_controller.hpp"

namespace vistrel {

class WebViewController : public VistrelViewController, public platform::ui::WebViewDelegate {
public:
    // The screen "WebViewController" of storyboard "Actions" in the kit's bundle; when
    // the bundle, the storyboard or the scene is missing, a log line and the screen
    // built without it.
    static std::shared_ptr<WebViewController> instance();

    // Shows the browser from `target`, animated: pushed on the target's navigation
    // controller, else presented inside a navigation controller of its own whose bar
    // carries a Done button that closes it, so the user is never left without a way out.
    // Runs on the main queue.
    static void show(const std::shared_ptr<platform::ui::ViewController>& target,
                     std::shared_ptr<WebViewController> browser);

    // Set by the caller before the view loads. Without an address no page loads.
    std::optional<std::string> url;
    std::optional<std::string> actionTitle;
    std::optional<bool> isAnonymous;

    std::shared_ptr<platform::ui::WebView> webView() const { return webView_.lock(); }
    // The action sheet of the bar button while it is up (or closing).
    std::shared_ptr<platform::ui::AlertController> actionSheet() const { return actionSheet_.lock(); }

    void loadView() override;
    void viewDidLoad() override;
    platform::ui::InterfaceOrientationMask supportedInterfaceOrientations() const override {
        return platform::ui::InterfaceOrientationMask::allButUpsideDown;
    }

    // The bar button's action: a sheet with "open in browser", "share" and "cancel".
    void didTapAction();
    // The Done button of a browser shown in a navigation controller of its own.
    void didTapDone();

    void webViewDidStartLoad(platform::ui::WebView& webView) override;
    void webViewDidFinishLoad(platform::ui::WebView& webView) override;

private:
    void openInBrowser();
    void shareAddress();

    std::weak_ptr<platform::ui::WebView> webView_;
    std::weak_ptr<platform::ui::AlertController> actionSheet_;
};

}  // namespace vistrel
