#include "vistrel/platform/services/icalendar_content_lines.hpp"

#include <algorithm>
#include <cctype>

#include "vistrel/platform/foundation/utf_encodings.hpp"

namespace platform::services {

namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool isNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<std::string> ContentLine::parameterValues(std::string_view wanted) const {
    std::vector<std::string> out;
    for (const ContentLineParameter& parameter : parameters)
        if (parameter.name == wanted) out.insert(out.end(), parameter.values.begin(), parameter.values.end());
    return out;
}

std::vector<std::string> unfoldedLines(std::string_view text) {
    std::vector<std::string> lines;
    bool lastWasEmpty = true;  // a continuation needs a line to continue
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            if (!lastWasEmpty) lines.back().append(line.substr(1));
            continue;
        }
        lastWasEmpty = line.empty();
        if (!line.empty()) lines.emplace_back(line);
    }
    return lines;
}

std::optional<ContentLine> parseContentLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isNameCharacter(line[i])) ++i;
    if (i == 0 || i == line.size()) return std::nullopt;
    ContentLine out;
    std::string_view name = line.substr(0, i);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        out.group = std::string(name.substr(0, dot));
        name = name.substr(dot + 1);
    }
    if (name.empty()) return std::nullopt;
    out.name = upper(name);
    while (i < line.size() && line[i] == ';') {
        const std::size_t start = ++i;
        while (i < line.size() && isNameCharacter(line[i])) ++i;
        ContentLineParameter parameter{upper(line.substr(start, i - start)), {}};
        if (i < line.size() && line[i] == '=') {
            do {
                ++i;
                std::string value;
                if (i < line.size() && line[i] == '"') {
                    const std::size_t close = line.find('"', i + 1);
                    if (close == std::string_view::npos) return std::nullopt;
                    value = line.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const std::size_t valueStart = i;
                    while (i < line.size() && line[i] != ',' && line[i] != ';' && line[i] != ':') ++i;
                    value = line.substr(valueStart, i - valueStart);
                }
                parameter.values.push_back(std::move(value));
            } while (i < line.size() && line[i] == ',');
        } else if (!parameter.name.empty()) {
            // A bare parameter (an old card's "TEL;WORK:") is a type.
            parameter.values.push_back(parameter.name);
            parameter.name = "TYPE";
        }
        if (!parameter.name.empty()) out.parameters.push_back(std::move(parameter));
    }
    if (i >= line.size() || line[i] != ':') return std::nullopt;
    out.value = line.substr(i + 1);
    return out;
}

std::vector<std::string_view> splitEscaped(std::string_view value, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            ++i;
        } else if (value[i] == separator) {
            parts.push_back(value.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(value.substr(std::min(start, value.size())));
    return parts;
}

std::string unescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out.push_back(c);
            continue;
        }
        const char next = text[i + 1];
        if (next == 'n' || next == 'N') {
            out.push_back('\n');
        } else if (next == '\\' || next == ';' || next == ',' || next == ':') {
            out.push_back(next);
        } else {
            out.push_back(c);
            continue;
        }
        ++i;
    }
    return out;
}

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == ';' || c == ',') {
            out.push_back('\\');
            out.push_back(c);
        } else if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') continue;
            out.append("\\n");
        } else if (c == '\n') {
            out.append("\\n");
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string foldedLine(std::string_view line) {
    constexpr std::size_t limit = 75;
    std::string out;
    std::size_t width = limit;  // the first line has no leading blank
    while (line.size() > width) {
        const std::size_t cut = platform::utf8CharacterStart(line, width, 1);
        out.append(line.substr(0, cut));
        out.append("\r\n ");
        line = line.substr(cut);
        width = limit - 1;
    }
    out.append(line);
    out.append("\r\n");
    return out;
}

}  // namespace platform::services
