#pragma once
// The address rule of the url accessor.
#include <optional>
#include <string>
#include <string_view>

namespace vistrel::json_url {

// The text as an address: taken unchanged when it already holds a percent escape,
// otherwise percent-encoded as a query component allows. No value when the result
// is not a well-formed address text.
std::optional<std::string> addressFromText(std::string_view text);

}  // namespace vistrel::json_url
