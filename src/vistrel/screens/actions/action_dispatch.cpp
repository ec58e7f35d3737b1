#include <memory>
#include <string>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/ui/alert_action.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/screens/actions/vistrel_tools.hpp"

namespace vistrel {

namespace {

using Target = std::shared_ptr<platform::ui::ViewController>;

// The alert of an action whose content the launcher needs is missing: its one button
// keeps the default style.
void showMissingContent(const Target& target, const char* messageKey) {
    VistrelTools::instance()->launchPopup(target, tr("general.error"), tr(messageKey),
                                          platform::ui::AlertActionStyle::defaultStyle);
}

}  // namespace

void ImageViewModel::handleActionAtPosition(std::intptr_t position, const Target& target) {
    switch (typeForAction(position)) {
        case ActionType::Calendar: calendarEventForAction(position, target); break;
        case ActionType::Url: urlForAction(position, target); break;
        case ActionType::VCard: vcardForAction(position, target); break;
        case ActionType::Share: shareForAction(position, target); break;
        case ActionType::Email: emailForAction(position, target); break;
        case ActionType::Sms: smsForAction(position, target); break;
        case ActionType::Map: mapForAction(position, target); break;
        case ActionType::Phone: phoneForAction(position, target); break;
        case ActionType::Text: textForAction(position, target); break;
        case ActionType::Data:
        case ActionType::Unknown: break;
    }
}

void ImageViewModel::calendarEventForAction(std::intptr_t position, const Target& target) {
    if (auto ical = vcalendarForAction(position))
        VistrelTools::launchCalendar(target, *ical);
    else
        showMissingContent(target, "actions.error.cant_read_event");
}

void ImageViewModel::phoneForAction(std::intptr_t position, const Target& target) {
    // A number the dialler cannot be handed is as unreadable to the user as a missing one.
    const auto number = phoneNumberForAction(position);
    if (!number || !VistrelTools::callNumber(*number))
        showMissingContent(target, "actions.error.cant_read_phone_number");
}

void ImageViewModel::shareForAction(std::intptr_t position, const Target& target) {
    std::vector<platform::services::ActivityItem> items;
    if (auto content = shareContentForAction(position))
        items.push_back(platform::services::ActivityItem::makeText(std::move(*content)));
    if (auto address = shareUrlForAction(position))
        items.push_back(platform::services::ActivityItem::makeAddress(std::move(*address)));
    VistrelTools::share(target, std::move(items));
}

void ImageViewModel::emailForAction(std::intptr_t position, const Target& target) {
    VistrelTools::sendEmail(target, {emailAddressForAction(position)}, emailSubjectForAction(position),
                            emailContentForAction(position));
}

void ImageViewModel::vcardForAction(std::intptr_t position, const Target& target) {
    if (auto card = vcardForAction(position))
        VistrelTools::launchVcard(target, *card);
    else
        showMissingContent(target, "actions.error.cant_read_vcard");
}

void ImageViewModel::mapForAction(std::intptr_t position, const Target&) {
    VistrelTools::launchMap(mapLatitudeForAction(position), mapLongitudeForAction(position),
                            mapSearchAddressForAction(position), "", 5);
}

void ImageViewModel::smsForAction(std::intptr_t position, const Target& target) {
    if (auto number = smsNumberForAction(position))
        VistrelTools::sendSMS(target, *number, smsContentForAction(position).value_or(""));
    else
        showMissingContent(target, "actions.error.cant_read_sms_number");
}

void ImageViewModel::urlForAction(std::intptr_t position, const Target& target) {
    if (auto url = urlForAction(position))
        VistrelTools::launchUrl(target, *url, isEmbeddedWebViewForAction(position), isAnonymousURLForAction(position),
                                nameForAction(position));
    else
        showMissingContent(target, "actions.error.cant_read_url");
}

void ImageViewModel::textForAction(std::intptr_t position, const Target& target) {
    if (auto content = textForAction(position))
        VistrelTools::text(target, *content);
    else
        // Text has no message of its own; it shares the address's.
        showMissingContent(target, "actions.error.cant_read_url");
}

}  // namespace vistrel
