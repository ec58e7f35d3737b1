#pragma once
// Control characters in text from outside: a line break can start a forged header or log
// line, a NUL can cut a text short, and either can change what an address opens.
//
// One rule for the whole kit: a control character is a C0 control (U+0000 to U+001F),
// DEL (U+007F) or a C1 control (U+0080 to U+009F, written in UTF-8 as the bytes C2 80 to
// C2 9F). Whoever refuses, drops or cleans a text for holding one asks these functions.
#include <string>
#include <string_view>

namespace platform {

// Whether the text holds a control character.
bool holdsControlCharacter(std::string_view text);

// What a cleaned text may keep: nothing of the rule above, or its lines and tabs (tab,
// carriage return and line feed) for a text of several lines such as a message body.
enum class LineBreaks { removed, kept };

// The text without its control characters; with LineBreaks::kept, tabs, carriage returns
// and line feeds stay, a next line (U+0085) becomes a line feed, and every other control
// character (DEL and C1 included) goes.
std::string withoutControlCharacters(std::string_view text, LineBreaks lineBreaks = LineBreaks::removed);

}  // namespace platform
