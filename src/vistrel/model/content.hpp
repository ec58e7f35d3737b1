#pragma once
// What an action acts on: its content object with the action's kind beside it. Each
// accessor reads one fixed key, whatever the kind; a missing key, a value of another
// JSON kind, or a content object that is not an object gives absent.
#include <optional>
#include <string>
#include <utility>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/action_type.hpp"

namespace vistrel {

struct Content {
    JSON json;          // the content object (the null value when its text did not parse)
    ActionType type;    // the kind of the action that owns it

    Content(JSON json, ActionType type) : json(std::move(json)), type(type) {}

    std::optional<std::string> text() const;              // "Text"
    std::optional<std::string> vcalendar() const;         // "VCalendar"
    std::optional<bool> isEmbeddedWebView() const;        // "IsEmbeddedWebView"
    std::optional<bool> isAnonymousURL() const;           // "IsAnonymousURL"
    std::optional<std::string> url() const;               // "Url"
    std::optional<std::string> urlContentType() const;    // "ContentType"
    std::optional<std::string> vcard() const;             // "VCard"
    std::optional<std::string> shareContent() const;      // "Content"
    std::optional<std::string> shareUrl() const;          // "Url"
    std::optional<std::string> emailContent() const;      // "Content"
    std::optional<std::string> emailAddress() const;      // "Address"
    std::optional<std::string> emailSubject() const;      // "Subject"
    std::optional<std::string> smsContent() const;        // "Content"
    std::optional<std::string> smsNumber() const;         // "Number"
    std::optional<std::string> phoneNumber() const;       // "Number"
    std::optional<double> mapLongitude() const;           // "Longitude"
    std::optional<double> mapLatitude() const;            // "Latitude"
    std::optional<std::string> mapSearchAddress() const;  // "SearchAddress"

    friend bool operator==(const Content&, const Content&) = default;

private:
    std::optional<std::string> textAt(const char* key) const { return json[key].string(); }
};

}  // namespace vistrel
