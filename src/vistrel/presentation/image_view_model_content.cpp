// The content accessors of the image view model: each reads one member of the content
// of the action at a position; the absent result covers no action, no content and no
// member of the right JSON kind alike.
#include "vistrel/presentation/action_address.hpp"
#include "vistrel/presentation/image_view_model.hpp"

namespace vistrel {

const Content* ImageViewModel::contentAtPosition(std::intptr_t position) const {
    const Action* action = getActionAtPosition(position);
    return action && action->content ? &*action->content : nullptr;
}

template <typename T>
std::optional<T> ImageViewModel::contentValue(std::intptr_t position,
                                              std::optional<T> (Content::*reader)() const) const {
    const Content* content = contentAtPosition(position);
    return content ? (content->*reader)() : std::nullopt;
}

std::optional<std::string> ImageViewModel::nonEmptyContentText(
    std::intptr_t position, std::optional<std::string> (Content::*reader)() const) const {
    auto text = contentValue(position, reader);
    if (text && text->empty()) return std::nullopt;
    return text;
}

std::optional<std::string> ImageViewModel::phoneNumberForAction(std::intptr_t position) const {
    return contentValue(position, &Content::phoneNumber);
}

std::string ImageViewModel::emailAddressForAction(std::intptr_t position) const {
    return contentValue(position, &Content::emailAddress).value_or("");
}

std::string ImageViewModel::emailContentForAction(std::intptr_t position) const {
    return contentValue(position, &Content::emailContent).value_or("");
}

std::string ImageViewModel::emailSubjectForAction(std::intptr_t position) const {
    return contentValue(position, &Content::emailSubject).value_or("");
}

std::optional<std::string> ImageViewModel::shareContentForAction(std::intptr_t position) const {
    return contentValue(position, &Content::shareContent);
}

std::optional<std::string> ImageViewModel::shareUrlForAction(std::intptr_t position) const {
    auto text = contentValue(position, &Content::shareUrl);
    return text ? action_address::shareAddress(*text) : std::nullopt;
}

std::optional<std::string> ImageViewModel::smsNumberForAction(std::intptr_t position) const {
    return nonEmptyContentText(position, &Content::smsNumber);
}

std::optional<std::string> ImageViewModel::smsContentForAction(std::intptr_t position) const {
    return nonEmptyContentText(position, &Content::smsContent);
}

std::optional<std::string> ImageViewModel::urlForAction(std::intptr_t position) const {
    auto text = contentValue(position, &Content::url);
    return text ? action_address::webAddress(*text) : std::nullopt;
}

std::optional<bool> ImageViewModel::isEmbeddedWebViewForAction(std::intptr_t position) const {
    return contentValue(position, &Content::isEmbeddedWebView);
}

std::optional<bool> ImageViewModel::isAnonymousURLForAction(std::intptr_t position) const {
    return contentValue(position, &Content::isAnonymousURL);
}

std::optional<std::string> ImageViewModel::urlContentTypeTypeForAction(std::intptr_t position) const {
    return nonEmptyContentText(position, &Content::urlContentType);
}

std::optional<double> ImageViewModel::mapLatitudeForAction(std::intptr_t position) const {
    return contentValue(position, &Content::mapLatitude);
}

std::optional<double> ImageViewModel::mapLongitudeForAction(std::intptr_t position) const {
    return contentValue(position, &Content::mapLongitude);
}

std::optional<std::string> ImageViewModel::mapSearchAddressForAction(std::intptr_t position) const {
    return nonEmptyContentText(position, &Content::mapSearchAddress);
}

std::optional<std::string> ImageViewModel::vcardForAction(std::intptr_t position) const {
    return nonEmptyContentText(position, &Content::vcard);
}

std::optional<std::string> ImageViewModel::vcalendarForAction(std::intptr_t position) const {
    return nonEmptyContentText(position, &Content::vcalendar);
}

std::optional<std::string> ImageViewModel::textForAction(std::intptr_t position) const {
    return nonEmptyContentText(position, &Content::text);
}

std::optional<std::string> ImageViewModel::contentJsonStringForAction(std::intptr_t position) const {
    const Content* content = contentAtPosition(position);
    return content ? content->json.rawString() : std::nullopt;
}

std::optional<JSON> ImageViewModel::contentJSONForAction(std::intptr_t position) const {
    const Content* content = contentAtPosition(position);
    return content ? std::optional<JSON>(content->json) : std::nullopt;
}

}  // namespace vistrel
