#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "vistrel/core/on_main_queue.hpp"
#include "vistrel/platform/foundation/control_characters.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/unicode_text.hpp"
#include "vistrel/platform/services/browser_view_controller.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/presentation/action_address.hpp"
#include "vistrel/screens/actions/presenting_screen.hpp"
#include "vistrel/screens/actions/vistrel_tools.hpp"
#include "vistrel/screens/actions/web_view_controller.hpp"

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

// Addresses come from the recognition service or a QR code. Any application may be
// opened through its own scheme; what could run a script, read local data or reach the
// system's own pages never is.
constexpr std::array refusedSchemes{"javascript", "vbscript", "data", "file", "about", "blob", "content"};

// What was refused is logged by its start: an address from outside may be megabytes long.
void refuse(std::string_view what, std::string_view address) {
    platform::log(std::string("Vistrel :: refused to open ")
                      .append(what)
                      .append(": ")
                      .append(platform::excerptOnOneLine(address)));
}

void openAllowed(const std::string& address) {
    if (!isAllowedAddress(address)) {
        refuse("an address whose scheme is not allowed", address);
        return;
    }
    platform::ui::Application::shared().open(address);
}

// The longest international number has 15 digits: this leaves room for its "+", an
// extension, pauses and a code keyed in once the call connects. A longer text is no number.
constexpr std::size_t kLongestDialableNumber = 64;

// Whether what is kept of a number so far is a country code: "+" and one to three digits.
bool isCountryCode(std::string_view kept) {
    return kept.size() >= 2 && kept.size() <= 4 && kept.front() == '+' &&
           std::all_of(kept.begin() + 1, kept.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool isAllowedAddress(std::string_view address) {
    if (platform::holdsControlCharacter(address)) return false;
    // The address must start with its scheme: blanks or anything else in front of a
    // refused scheme could hide it from this check and not from an opener that trims.
    const auto scheme = schemeOf(address);
    if (scheme.empty()) return false;
    return std::ranges::none_of(refusedSchemes,
                                [scheme](std::string_view refused) { return sameLetters(scheme, refused); });
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

std::optional<std::string> dialableNumber(std::string_view phoneNumber) {
    namespace unicode = platform::graphics;
    if (platform::holdsControlCharacter(phoneNumber) || phoneNumber.find_first_of("?@%") != std::string_view::npos)
        return std::nullopt;
    std::string kept;
    for (std::size_t at = 0; at < phoneNumber.size();) {
        const auto [c, length] = unicode::codePointAt(phoneNumber, at);
        // What the prompt would show otherwise than it is dialled, or not at all.
        if (!c || unicode::isFormatCharacter(*c) || unicode::isLineOrParagraphSeparator(*c)) return std::nullopt;
        const std::string_view written = phoneNumber.substr(at, length);
        at += length;
        if (*c == '(' && phoneNumber.substr(at, 2) == "0)" && isCountryCode(kept)) {
            at += 2;  // the trunk prefix, which a call from abroad leaves out
            continue;
        }
        if (unicode::isSpaceSeparator(*c) || *c == '/' || *c == '(' || *c == ')' || *c == '.') continue;
        kept += *c == '#' ? std::string_view("%23") : written;
        if (kept.size() > kLongestDialableNumber) return std::nullopt;
    }
    if (kept.empty()) return std::nullopt;
    return kept;
}

bool callNumber(const std::string& phoneNumber) {
    auto number = dialableNumber(phoneNumber);
    if (!number) {
        refuse("a phone number that cannot be dialled", phoneNumber);
        return false;
    }
    openAllowed(std::string("telprompt://").append(*number));
    return true;
}

}  // namespace vistrel::VistrelTools
