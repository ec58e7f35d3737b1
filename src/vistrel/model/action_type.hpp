#pragma once
// The kinds of action an image offers, named on the wire by upper-case texts.
#include <optional>
#include <string_view>

namespace vistrel {

enum class ActionType {
    Calendar,  // "CALENDAR": adds a calendar event
    Url,       // "URL": opens a web address
    VCard,     // "VCARD": saves a contact card
    Share,     // "SHARE": shares content
    Email,     // "EMAIL": writes an e-mail
    Data,      // "DATA": carries data; never shown
    Sms,       // "SMS": sends an SMS
    Map,       // "MAP": shows a place on a map
    Phone,     // "PHONE": calls a number
    Text,      // "TEXT": shows a text
    Unknown,   // "UNKNOWN": a kind of its own, not what an unrecognised text gives
};

std::string_view rawValue(ActionType type);

// The kind whose text is exactly `raw` (same letters and case, nothing trimmed); none
// for any other text.
std::optional<ActionType> actionTypeFromRawValue(std::string_view raw);

}  // namespace vistrel
