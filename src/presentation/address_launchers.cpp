#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "platform/foundation/log.hpp"
#include "platform/services/browser_view_controller.hpp"
#include "platform/services/map_item.hpp"
#include "platform/ui/application.hpp"
#include "presentation/action_address.hpp"
#include "presentation/presenting_screen.hpp"
#include "presentation/vistrel_tools.hpp"
#include "ui/on_main_queue.hpp"
#include "ui/web_view_controller.hpp"

namespace vistrel::VistrelTools {

namespace {

// The scheme of an address, as written; empty when it has none.
std::string_view schemeOf(std::string_view address) {
    if (!action_address::hasScheme(address)) return {};
    return address.substr(0, address.find(':'));
}

bool sameLetters(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Addresses come from the recognition service or a QR code: only these reach the
// system, never a script, a local file or another application's own scheme.
constexpr std::array allowedSchemes{"http", "https", "mailto", "tel", "telprompt", "sms",
                                    platform::services::mapAddressScheme};

void openAllowed(const std::string& address) {
    if (!isAllowedAddress(address)) {
        platform::log(std::string("Vistrel :: refused to open an address whose scheme is not allowed: ").append(address));
        return;
    }
    platform::ui::Application::shared().open(address);
}

}  // namespace

bool isAllowedAddress(std::string_view address) {
    const auto scheme = schemeOf(address);
    return !scheme.empty() &&
           std::ranges::any_of(allowedSchemes, [scheme](std::string_view allowed) { return sameLetters(scheme, allowed); });
}

void launchUrl(const Target& target, const std::string& url, std::optional<bool> inBrowser,
               std::optional<bool> isAnonymous, std::optional<std::string> title) {
    const auto scheme = schemeOf(url);
    const bool web = scheme == "http" || scheme == "https";
    if (web && isAnonymous.value_or(false)) {
        std::weak_ptr<platform::ui::ViewController> weakTarget = target;
        runOnMainQueue([weakTarget, url, isAnonymous, title = std::move(title)] {
            auto target = weakTarget.lock();
            // Pushed where the target has a navigation controller; presented otherwise,
            // from the screen on show.
            auto from = target && target->navigationController() ? target : target ? presentingScreen(*target) : nullptr;
            if (!from) {
                platform::log("Vistrel :: the screen that asked for the browser is not on show; nothing is presented");
                return;
            }
            auto browser = WebViewController::instance();
            browser->url = url;
            browser->isAnonymous = isAnonymous;
            browser->actionTitle = title;
            WebViewController::show(from, std::move(browser));
        });
        return;
    }
    if (web && inBrowser.value_or(false)) {
        presentOverTarget(
            target, [url] { return std::make_shared<platform::services::BrowserViewController>(url); }, "the browser view");
        return;
    }
    openAllowed(url);
}

std::string dialableNumber(std::string_view phoneNumber) {
    std::string kept;
    for (char c : phoneNumber)
        if (std::isdigit(static_cast<unsigned char>(c)) || std::string_view("+*#,;").find(c) != std::string_view::npos)
            kept.push_back(c);
    return kept;
}

void callNumber(const std::string& phoneNumber) {
    openAllowed(std::string("telprompt://").append(dialableNumber(phoneNumber)));
}

}  // namespace vistrel::VistrelTools
