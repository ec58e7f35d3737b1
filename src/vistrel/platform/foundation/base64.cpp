#include "vistrel/platform/foundation/base64.hpp"

#include <array>
#include <cstdint>

namespace platform {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The six bits of each character of the alphabet; 64 for "=", 65 for white space, 66 for
// anything else.
constexpr std::array<std::uint8_t, 256> kSextets = [] {
    std::array<std::uint8_t, 256> table{};
    table.fill(66);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) table[static_cast<unsigned char>(kAlphabet[i])] = std::uint8_t(i);
    table['='] = 64;
    for (char space : {' ', '\t', '\n', '\r'}) table[static_cast<unsigned char>(space)] = 65;
    return table;
}();

}  // namespace

void appendBase64Lines(std::string& out, const Bytes& bytes, std::size_t lineLength, std::string_view lineStart) {
    std::size_t column = 0;
    auto put = [&](char c) {
        if (column == 0) out += lineStart;
        out += c;
        if (++column == lineLength) {
            out += '\n';
            column = 0;
        }
    };
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        const std::uint32_t group = std::uint32_t(bytes[i]) << 16 | (left > 1 ? std::uint32_t(bytes[i + 1]) << 8 : 0) |
                                    (left > 2 ? bytes[i + 2] : 0);
        put(kAlphabet[group >> 18]);
        put(kAlphabet[(group >> 12) & 0x3F]);
        put(left > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=');
        put(left > 2 ? kAlphabet[group & 0x3F] : '=');
    }
    if (column != 0) out += '\n';
}

std::optional<Bytes> bytesOfBase64(std::string_view text) {
    Bytes bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    int sextets = 0, padding = 0;
    for (char c : text) {
        const std::uint8_t value = kSextets[static_cast<unsigned char>(c)];
        if (value == 65) continue;
        if (value == 66) return std::nullopt;
        if (value == 64) {
            ++padding;
            continue;
        }
        if (padding > 0) return std::nullopt;  // only padding may follow padding
        group = group << 6 | value;
        if (++sextets == 4) {
            bytes.push_back(std::uint8_t(group >> 16));
            bytes.push_back(std::uint8_t(group >> 8));
            bytes.push_back(std::uint8_t(group));
            group = 0;
            sextets = 0;
        }
    }
    // What the last group's characters hold: two give a byte, three two bytes; the padding
    // completes it to four characters, or is left out.
    if (sextets == 1 || (sextets == 0 && padding > 0) || (padding > 0 && sextets + padding != 4)) return std::nullopt;
    if (sextets == 2) bytes.push_back(std::uint8_t(group >> 4));
    if (sextets == 3) {
        bytes.push_back(std::uint8_t(group >> 10));
        bytes.push_back(std::uint8_t(group >> 2));
    }
    return bytes;
}

}  // namespace platform
