#pragma once
// Strings tables: files of `"key" = "value";` lines with C comments and escapes,
// in UTF-8 or, behind a byte-order mark, UTF-16.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

using StringsTable = std::map<std::string, std::string, std::less<>>;

// No value when the text is not a well-formed table (a missing quote, `=` or `;`).
std::optional<StringsTable> parseStringsTable(std::string_view bytes);

}  // namespace platform
