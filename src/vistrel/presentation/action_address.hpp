#pragma once
// How an action's "Url" text becomes an address: the rule for opening it as a web
// page and the stricter rule for sharing it.
#include <optional>
#include <string>
#include <string_view>

namespace vistrel::action_address {

// Whether the address text starts with a scheme: a letter, then letters, digits,
// "+", "-" or ".", then ":".
bool hasScheme(std::string_view address);

// The web address of a text: white space and line breaks trimmed from both ends;
// every character that may not stand in a query (other than "#" and the "%" of a
// valid escape) percent-encoded, so inner spaces become %20 and existing escapes stay;
// "http://" put in front when there is no scheme. None for an empty text or one that
// does not make an address. Logs the encoded text and the address.
std::optional<std::string> webAddress(std::string_view text);

// The address of a text to share: "http://" put in front of a text that starts with
// "www" (lower case); then only a well-formed address whose scheme is http or https,
// in any letter case. No trimming and no encoding.
std::optional<std::string> shareAddress(std::string_view text);

}  // namespace vistrel::action_address
