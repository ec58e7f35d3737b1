#pragma once
// Property-list files that are damaged or made to hurt a reader, built byte by byte.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "binary_plist_bytes.hpp"

namespace plisttest {

// A reference to object `index` as the files below write them (two bytes).
inline std::string ref(std::uint64_t index) {
    std::string out;
    appendBigEndian(out, index, 2);
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
        {"binary array holding itself", binaryPlist({std::string("\xA1").append(ref(0))})},
        {"binary reference past the objects", binaryPlist({std::string("\xA1").append(ref(7))})},
        {"binary object of no type", binaryPlist({dictionaryOfNext(), "\x51k", "\x71x"})},
        {"XML element of no property list", xmlPlist("<dict><key>a</key><strong>b</strong></dict>")},
        {"XML key without its value", xmlPlist("<dict><key>a</key></dict>")},
        {"XML date of no date", xmlPlist("<dict><key>a</key><date>2024-02-30T00:00:00Z</date></dict>")},
        {"a megabyte of zeros", std::string(1u << 20, '\0')},
    };
}

// Sound files holding what the object model cannot carry exactly, or in a form the
// reader does not take: they read as no property list and are never written over.
inline NamedFiles unrepresentablePropertyLists() {
    using namespace std::string_literals;
    // Entities, each ten of the one before: a gigabyte once expanded.
    std::string laughs = R"(<?xml version="1.0"?><!DOCTYPE plist [<!ENTITY a0 "ha">)";
    for (int i = 1; i < 9; ++i) {
        laughs.append("<!ENTITY a").append(std::to_string(i)).append(" \"");
        for (int j = 0; j < 10; ++j) laughs.append("&a").append(std::to_string(i - 1)).append(";");
        laughs.append("\">");
    }
    laughs.append("]><plist><dict><key>a</key><string>&a8;</string></dict></plist>");
    return {
        {"XML declaring entities", laughs},
        {"XML with one key twice", xmlPlist("<dict><key>a</key><true/><key>a</key><false/></dict>")},
        {"XML integer past 64 bits", xmlPlist("<dict><key>a</key><integer>18446744073709551616</integer></dict>")},
        {"XML date past the microsecond", xmlPlist("<dict><key>a</key><date>2024-02-29T12:34:56.0000001Z</date></dict>")},
        {"XML date without its zone", xmlPlist("<dict><key>a</key><date>2024-02-29T12:34:56</date></dict>")},
        {"the old text form", "{ a = b; }"},
        {"binary of another version", std::string("bplist01").append(binaryPlist({dictionaryOfNext(), "\x51k", "\x09"}).substr(8))},
        {"binary null", binaryPlist({dictionaryOfNext(), "\x51k", "\x00"s})},
        {"binary set", binaryPlist({dictionaryOfNext(), "\x51k", std::string("\xC1").append(ref(1))})},
        {"binary identifier of 16 bytes", binaryPlist({dictionaryOfNext(), "\x51k", std::string("\x8F").append(16, '\1')})},
        {"binary integer past 64 bits", binaryPlist({dictionaryOfNext(), "\x51k", std::string("\x14").append(16, '\1')})},
        {"binary key that is a number", binaryPlist({dictionaryOfNext(), "\x10\x01", "\x09"})},
        {"binary ASCII text past 127", binaryPlist({dictionaryOfNext(), "\x51k", "\x52x\xe9"})},
        {"binary UTF-16 lone surrogate", binaryPlist({dictionaryOfNext(), "\x51k", "\x61\xd8\x00"s})},
        {"binary with one key twice", binaryPlist({std::string("\xD2").append(ref(1)).append(ref(1)).append(ref(2)).append(ref(2)),
                                                   "\x51k", "\x09"})},
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

// All of the above.
inline NamedFiles hostilePropertyLists() {
    NamedFiles files = damagedPropertyLists();
    for (auto& file : pastBoundsPropertyLists()) files.push_back(std::move(file));
    for (auto& file : unrepresentablePropertyLists()) files.push_back(std::move(file));
    return files;
}

}  // namespace plisttest
