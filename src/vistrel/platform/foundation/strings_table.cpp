#include "vistrel/platform/foundation/strings_table.hpp"

#include <cstdint>

#include "vistrel/platform/foundation/utf_encodings.hpp"

namespace platform {

namespace {

// UTF-16 behind a byte-order mark becomes UTF-8; a UTF-8 mark is dropped.
std::optional<std::string> toUtf8(std::string_view bytes) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
        return std::string(bytes.substr(3));
    bool little = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
    bool big = bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
    if (!little && !big) return std::string(bytes);
    return utf8FromUtf16(bytes.substr(2), big);
}

class Parser {
public:
    explicit Parser(std::string_view text) : t_(text) {}

    std::optional<StringsTable> parse() {
        StringsTable table;
        for (;;) {
            if (!skipSpaceAndComments()) return std::nullopt;
            if (at_ >= t_.size()) return table;
            auto key = token();
            if (!key || !skipSpaceAndComments()) return std::nullopt;
            std::string value;
            if (peek() == ';') {
                value = *key;  // `"key";` stands for `"key" = "key";`
            } else {
                if (peek() != '=') return std::nullopt;
                ++at_;
                if (!skipSpaceAndComments()) return std::nullopt;
                auto v = token();
                if (!v || !skipSpaceAndComments()) return std::nullopt;
                value = std::move(*v);
            }
            if (peek() != ';') return std::nullopt;
            ++at_;
            table[std::move(*key)] = std::move(value);
        }
    }

private:
    char peek() const { return at_ < t_.size() ? t_[at_] : '\0'; }

    // False on an unterminated block comment.
    bool skipSpaceAndComments() {
        while (at_ < t_.size()) {
            char c = t_[at_];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++at_;
            } else if (c == '/' && at_ + 1 < t_.size() && t_[at_ + 1] == '*') {
                auto end = t_.find("*/", at_ + 2);
                if (end == std::string_view::npos) return false;
                at_ = end + 2;
            } else if (c == '/' && at_ + 1 < t_.size() && t_[at_ + 1] == '/') {
                auto end = t_.find('\n', at_);
                at_ = end == std::string_view::npos ? t_.size() : end + 1;
            } else {
                break;
            }
        }
        return true;
    }

    static bool isBareChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '.' || c == '$' || c == '/' || c == ':' || c == '-';
    }

    std::optional<std::string> token() {
        if (peek() == '"') return quoted();
        std::size_t start = at_;
        while (at_ < t_.size() && isBareChar(t_[at_])) ++at_;
        if (at_ == start) return std::nullopt;
        return std::string(t_.substr(start, at_ - start));
    }

    std::optional<std::uint32_t> hex(std::size_t digits) {
        if (at_ + digits > t_.size()) return std::nullopt;
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            char c = t_[at_ + i];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') v |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v |= static_cast<std::uint32_t>(c - 'A' + 10);
            else return std::nullopt;
        }
        at_ += digits;
        return v;
    }

    std::optional<std::string> quoted() {
        ++at_;  // opening quote
        std::string out;
        while (at_ < t_.size()) {
            char c = t_[at_++];
            if (c == '"') return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= t_.size()) return std::nullopt;
            char e = t_[at_++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'a': out += '\a'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'v': out += '\v'; break;
            case 'u':
            case 'U': {
                auto u = hex(4);
                if (!u) return std::nullopt;
                std::uint32_t cp = *u;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    // A high surrogate must be followed by an escaped low one.
                    if (at_ + 2 > t_.size() || t_[at_] != '\\' ||
                        (t_[at_ + 1] != 'u' && t_[at_ + 1] != 'U'))
                        return std::nullopt;
                    at_ += 2;
                    auto low = hex(4);
                    if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    return std::nullopt;
                }
                appendUtf8(out, cp);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    std::uint32_t v = static_cast<std::uint32_t>(e - '0');
                    for (int i = 0; i < 2 && at_ < t_.size() && t_[at_] >= '0' && t_[at_] <= '7'; ++i)
                        v = v * 8 + static_cast<std::uint32_t>(t_[at_++] - '0');
                    appendUtf8(out, v);
                } else {
                    out += e;  // \" \\ \' and any other character stand for themselves
                }
            }
        }
        return std::nullopt;  // unterminated
    }

    std::string_view t_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<StringsTable> parseStringsTable(std::string_view bytes) {
    auto text = toUtf8(bytes);
    if (!text) return std::nullopt;
    return Parser(*text).parse();
}

}  // namespace platform
