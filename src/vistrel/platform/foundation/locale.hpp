#pragma once
// The user's preferred languages, as language tags ("fr-FR", "en").
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// From LANGUAGE (a colon-separated list), else LC_ALL, LC_MESSAGES, LANG; "C" and
// "POSIX" name no language. A list set with setPreferredLanguages wins. Never empty:
// with no language named anywhere (a bare C locale) the user is taken to read English,
// as a phone always has one language.
std::vector<std::string> preferredLanguages();
void setPreferredLanguages(std::optional<std::vector<std::string>> languages);

// "fr_FR.UTF-8@euro" -> "fr-FR"; empty for "C" and "POSIX".
std::string languageTagFromLocaleName(std::string_view name);

// The first of `available` that serves one of the preferred languages, trying each
// preferred tag whole, then its language alone ("fr-FR", then "fr").
std::optional<std::string> bestLocalization(const std::vector<std::string>& available,
                                            const std::vector<std::string>& preferred);

}  // namespace platform
