#include "vistrel/model/content.hpp"

namespace vistrel {

std::optional<std::string> Content::text() const { return textAt("Text"); }
std::optional<std::string> Content::vcalendar() const { return textAt("VCalendar"); }
std::optional<bool> Content::isEmbeddedWebView() const { return json["IsEmbeddedWebView"].bool_(); }
std::optional<bool> Content::isAnonymousURL() const { return json["IsAnonymousURL"].bool_(); }
std::optional<std::string> Content::url() const { return textAt("Url"); }
std::optional<std::string> Content::urlContentType() const { return textAt("ContentType"); }
std::optional<std::string> Content::vcard() const { return textAt("VCard"); }
std::optional<std::string> Content::shareContent() const { return textAt("Content"); }
std::optional<std::string> Content::shareUrl() const { return textAt("Url"); }
std::optional<std::string> Content::emailContent() const { return textAt("Content"); }
std::optional<std::string> Content::emailAddress() const { return textAt("Address"); }
std::optional<std::string> Content::emailSubject() const { return textAt("Subject"); }
std::optional<std::string> Content::smsContent() const { return textAt("Content"); }
std::optional<std::string> Content::smsNumber() const { return textAt("Number"); }
std::optional<std::string> Content::phoneNumber() const { return textAt("Number"); }
std::optional<double> Content::mapLongitude() const { return json["Longitude"].double_(); }
std::optional<double> Content::mapLatitude() const { return json["Latitude"].double_(); }
std::optional<std::string> Content::mapSearchAddress() const { return textAt("SearchAddress"); }

}  // namespace vistrel
