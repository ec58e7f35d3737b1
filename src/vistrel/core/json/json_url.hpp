#pragma once
// Address texts: the address rule of the url accessor and the character classes and
// percent-encoding it is made of.
#include <optional>
#include <string>
#include <string_view>

namespace vistrel::json_url {

// The text as an address: taken unchanged when it already holds a percent escape,
// otherwise percent-encoded as a query component allows. No value when the result
// is not a well-formed address text.
std::optional<std::string> addressFromText(std::string_view text);

// A hexadecimal digit.
bool isHex(char c);
// Characters a query component may hold as they are: letters, digits and
// - . _ ~ ! $ & ' ( ) * + , ; = : @ / ?
bool isQueryAllowed(char c);
// Only address characters and valid escapes, with at most one "#"; not empty.
bool isWellFormedAddress(std::string_view text);
// Every byte that is neither allowed in a query nor one of `alsoAllowed` written as
// "%" and two upper-case hexadecimal digits; with `keepEscapes`, a "%" that begins a
// valid escape stays as it is.
std::string percentEncode(std::string_view text, std::string_view alsoAllowed = {}, bool keepEscapes = false);

}  // namespace vistrel::json_url
