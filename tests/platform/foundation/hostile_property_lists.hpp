#pragma once
// Property-list files that are damaged or made to hurt a reader, built byte by byte.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace plisttest {

inline void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A reference to object `index` as the files below write them (two bytes).
inline std::string ref(std::uint64_t index) {
    std::string out;
    appendBigEndian(out, index, 2);
    return out;
}

// A binary property list of the objects (each its marker and contents), the first at the top.
inline std::string binaryPlist(const std::vector<std::string>& objects) {
    std::string out = "bplist00";
    std::vector<std::size_t> offsets;
    for (const std::string& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    const std::size_t table = out.size();
    for (std::size_t offset : offsets) appendBigEndian(out, offset, 4);
    out.append(6, '\0');
    out.push_back(4);  // offset width
    out.push_back(2);  // reference width
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

// A one-entry dictionary of the two objects that follow it.
inline std::string dictionaryOfNext() { return std::string("\xD1").append(ref(1)).append(ref(2)); }

inline std::string xmlPlist(const std::string& body) {
    return std::string(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0">)").append(body).append("</plist>");
}

using NamedFiles = std::vector<std::pair<std::string, std::string>>;

// Files that cannot be property lists, and must never stop or hang the process.
inline NamedFiles damagedPropertyLists() {
    using namespace std::string_literals;
    return {
        {"XML text with a NUL", xmlPlist("<dict><key>a</key><string>x\0y</string></dict>"s)},
        {"XML key with a NUL", xmlPlist("<dict><key>a\0b</key><string>xy</string></dict>"s)},
        {"XML with a NUL after it", xmlPlist("<dict/>").append("\0"s)},
        {"binary UTF-16 text with a NUL", binaryPlist({dictionaryOfNext(), "\x51k", "\x63\0x\0\0\0y"s})},
        {"binary UTF-16 key with a NUL", binaryPlist({dictionaryOfNext(), "\x62\0k\0\0"s, "\x51v"})},
        {"binary ASCII text with a NUL", binaryPlist({dictionaryOfNext(), "\x51k", "\x53x\0y"s})},
        {"binary array holding itself", binaryPlist({std::string("\xA1").append(ref(0))})},
        {"binary reference past the objects", binaryPlist({std::string("\xA1").append(ref(7))})},
    };
}

// Files made to hurt a reader that are property lists, but deeper or larger once read
// than a reader takes: they read as no property list, and must never stop or hang the
// process either.
inline NamedFiles pastBoundsPropertyLists() {
    NamedFiles files;
    // Nesting far deeper than any reader's stack allows.
    const int deep = 200000;
    std::string nested;
    for (int i = 0; i < deep; ++i) nested += "<array>";
    for (int i = 0; i < deep; ++i) nested += "</array>";
    files.emplace_back("XML nested 200000 deep", xmlPlist(nested));
    std::vector<std::string> chain;
    for (int i = 0; i < 20000; ++i) chain.push_back(i + 1 < 20000 ? std::string("\xA1").append(ref(i + 1)) : "\xA0");
    files.emplace_back("binary nested 20000 deep", binaryPlist(chain));
    // 48 objects, each an array holding the next twice: 2^48 values once expanded.
    std::vector<std::string> doubling;
    for (int i = 0; i < 48; ++i) doubling.push_back(i + 1 < 48 ? std::string("\xA2").append(ref(i + 1)).append(ref(i + 1)) : "\x51x");
    files.emplace_back("binary shared objects doubling 48 times", binaryPlist(doubling));
    return files;
}

// Both of the above.
inline NamedFiles hostilePropertyLists() {
    NamedFiles files = damagedPropertyLists();
    for (auto& file : pastBoundsPropertyLists()) files.push_back(std::move(file));
    return files;
}

}  // namespace plisttest
