// Feeds arbitrary bytes as a recognition answer: read into the model's image, then
// into the image view model (with and without the data actions), whose every reading
// is asked for every position from -1 to past the end: identity, title bar, rows,
// display values of each action view model, addresses and contents. Nothing may
// crash, and every length and size shown stays within the display limits. Nothing is
// launched: no screen is opened and nothing reaches the system opener.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/presentation/display_limits.hpp"
#include "vistrel/presentation/image_view_model.hpp"

namespace {

using vistrel::display_limits::maximumFontSize;
using vistrel::display_limits::maximumLength;

void require(bool condition) {
    if (!condition) std::abort();
}

bool withinLength(double length) { return length >= 0 && length <= maximumLength; }

void readAction(const vistrel::ActionViewModel& action) {
    (void)action.name();
    (void)action.iconUrl();
    (void)action.iconDisplay();
    require(withinLength(action.iconSize()));
    (void)action.iconVerticalPosition();
    (void)action.iconHorizontalPosition();
    (void)action.iconStyleAvailable();
    (void)action.textColor();
    (void)action.textDisplay();
    (void)action.textBackgroundColor();
    (void)action.textVerticalPosition();
    (void)action.textHorizontalPosition();
    const std::intptr_t fontSize = action.textFontSize();
    require(fontSize > 0 && fontSize <= maximumFontSize);
    (void)action.textFont();
    require(withinLength(double(action.buttonRadius())));
    const double ratio = action.buttonHeightRatio();
    require(!action.buttonHasRatio() || (std::isfinite(ratio) && ratio > 0));
    (void)action.buttonHeightMultiplier();
    (void)action.buttonDisplay();
    (void)action.buttonBackgroundColor();
    (void)action.buttonBackgroundImage();
    (void)action.buttonBackgroundImageSize();
    (void)action.buttonBackgroundImagePosition();
}

void readPosition(const vistrel::ImageViewModel& model, std::intptr_t position) {
    const bool shown = position >= 0 && position < model.numberOfActions();
    (void)model.idForAction(position);
    const vistrel::ActionType type = model.typeForAction(position);
    require(shown || type == vistrel::ActionType::Unknown);
    auto action = model.viewModelForAction(position);
    require((action != nullptr) == shown);
    if (action) readAction(*action);
    (void)model.nameForAction(position);
    for (double width : {0.0, 320.0, -1.0, 1e300, std::nan("")})
        require(withinLength(model.buttonHeightForAction(position, width)));
    (void)model.phoneNumberForAction(position);
    (void)model.emailAddressForAction(position);
    (void)model.emailContentForAction(position);
    (void)model.emailSubjectForAction(position);
    (void)model.shareContentForAction(position);
    (void)model.shareUrlForAction(position);
    (void)model.smsNumberForAction(position);
    (void)model.smsContentForAction(position);
    (void)model.urlForAction(position);
    (void)model.isEmbeddedWebViewForAction(position);
    (void)model.isAnonymousURLForAction(position);
    (void)model.urlContentTypeTypeForAction(position);
    (void)model.mapLatitudeForAction(position);
    (void)model.mapLongitudeForAction(position);
    (void)model.mapSearchAddressForAction(position);
    (void)model.vcardForAction(position);
    (void)model.vcalendarForAction(position);
    (void)model.textForAction(position);
    auto json = model.contentJsonStringForAction(position);
    auto content = model.contentJSONForAction(position);
    require(shown || (!json && !content));
}

void readModel(const vistrel::ImageViewModel& model) {
    (void)model.shouldAutoTrigger();
    (void)model.buttonDisplay();
    (void)model.buttonBackgroundColor();
    (void)model.textColor();
    (void)model.textFont();
    (void)model.imageName();
    (void)model.imageId();
    (void)model.imageSessionId();
    (void)model.imageDocumentId();
    (void)model.imageTextColor();
    const std::intptr_t count = model.numberOfActions();
    require(count >= 0);
    for (std::intptr_t position = -1; position <= count + 1; ++position) readPosition(model, position);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const vistrel::Image image = vistrel::Image::fromData(bytes);
    require(vistrel::Image::fromData(bytes) == image);
    // Read from its bytes, with only the kept actions converted, or whole: the same image.
    const std::optional<vistrel::Image> answer = vistrel::Image::fromAnswer(bytes);
    const vistrel::JSON whole = vistrel::JSON::fromData(bytes);
    require(answer.has_value() == (whole.type() == vistrel::Type::dictionary));
    require(!answer || *answer == vistrel::Image::fromJson(whole));
    const vistrel::ImageViewModel filtered(image);
    const vistrel::ImageViewModel everything(image, false);
    require(filtered.numberOfActions() <= everything.numberOfActions());
    readModel(filtered);
    readModel(everything);
    return 0;
}
