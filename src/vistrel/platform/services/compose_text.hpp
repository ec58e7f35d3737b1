#pragma once
// The texts the composers take from outside. A recipient is one address on one line;
// a control character in it (a line break that would start a forged header, a NUL that
// would cut it short) makes it no address. A subject is one line, its control characters
// removed (platform/foundation/control_characters.hpp); a body keeps its lines and tabs
// but no other control character.
#include <string>
#include <string_view>
#include <vector>

namespace platform::services {

// The text without C0 control characters other than tab, carriage return and line feed.
std::string withoutControlCharactersButLineBreaks(std::string_view text);

// The recipients that hold no control character, in order; each one dropped gets a log
// line "<owner> :: dropped a recipient holding a control character: <it, escaped>".
std::vector<std::string> recipientsWithoutControlCharacters(std::vector<std::string> recipients,
                                                            std::string_view owner);

}  // namespace platform::services
