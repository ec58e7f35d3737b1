#pragma once
// Control characters in text from outside: a line break can start a forged header or log
// line, a NUL can cut a text short, and either can change what an address opens.
#include <string>
#include <string_view>

namespace platform {

// Whether the text holds a C0 control character, DEL, or a C1 control (U+0080 to
// U+009F written in UTF-8).
bool holdsControlCharacter(std::string_view text);

// The text without any of the characters above.
std::string withoutControlCharacters(std::string_view text);

}  // namespace platform
