#pragma once
// The texts the composers take from outside, held to the rule of control characters
// (platform/foundation/control_characters.hpp: C0, DEL and C1). A recipient is one
// address on one line; a control character in it (a line break that would start a
// forged header, a NUL that would cut it short) makes it no address. A subject is one
// line and loses every control character; a body keeps its tabs and line breaks and
// loses every other one (withoutControlCharacters with LineBreaks::kept).
#include <string>
#include <string_view>
#include <vector>

namespace platform::services {

// The recipients that hold no control character, in order; each one dropped gets a log
// line "<owner> :: dropped a recipient holding a control character: <it, escaped>".
std::vector<std::string> recipientsWithoutControlCharacters(std::vector<std::string> recipients,
                                                            std::string_view owner);

}  // namespace platform::services
