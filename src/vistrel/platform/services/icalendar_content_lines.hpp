#pragma once
// Content lines, the line syntax that calendar (.ics) and contact card (.vcf) texts
// share: "group.NAME;PARAM=value,value;PARAM="quoted":value", long lines folded onto
// continuation lines that begin with a blank, text values with backslash escapes.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::services {

struct ContentLineParameter {
    std::string name;                 // upper case
    std::vector<std::string> values;  // quotes removed
};

struct ContentLine {
    std::string group;  // before a "." in the name; empty when none
    std::string name;   // upper case
    std::vector<ContentLineParameter> parameters;
    std::string value;  // everything after the ":" that ends the name and parameters

    // The values of the named parameter (upper-case name), empty when absent.
    std::vector<std::string> parameterValues(std::string_view name) const;
};

// The logical lines of a text: lines end in LF or CR LF; a line that begins with a
// space or a tab continues the one before (that one blank removed). Empty lines go.
std::vector<std::string> unfoldedLines(std::string_view text);

// A line split into its parts; none when it has no name or no ":" after its name and
// parameters (an unterminated quote included).
std::optional<ContentLine> parseContentLine(std::string_view line);

// Splits a value at every `separator` not preceded by a backslash; parts keep their
// escapes.
std::vector<std::string_view> splitEscaped(std::string_view value, char separator);

// "\n" or "\N" gives a line break, "\\", "\;", "\," and "\:" the character; any other
// backslash stays as it is.
std::string unescapeText(std::string_view text);

// The inverse for writing: backslash, ";", "," and line breaks escaped.
std::string escapeText(std::string_view text);

// One property as written: folded at 75 bytes (never inside a UTF-8 character) with
// CR LF line ends, the last included.
std::string foldedLine(std::string_view line);

// Case-insensitive comparison of ASCII texts.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace platform::services
