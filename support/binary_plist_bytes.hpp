#pragma once
// Binary property-list files built byte by byte, for tests and benchmarks that need a file
// of a given shape (shared objects, wide references, damaged tables, files of millions of
// values) no writer makes.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plisttest {

inline void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A marker with its length: in its low four bits below 15, else after it as an integer
// object of 4 bytes.
inline void appendMarker(std::string& out, unsigned char type, std::uint64_t length) {
    if (length < 15) {
        out.push_back(static_cast<char>(type << 4 | length));
        return;
    }
    out.push_back(static_cast<char>(type << 4 | 0xF));
    out.push_back('\x12');
    appendBigEndian(out, length, 4);
}

// A binary property list made one object after another, the first at the top: references
// `refWidth` bytes wide, offsets 4.
class BinaryPlistBuilder {
public:
    explicit BinaryPlistBuilder(int refWidth = 2) : refWidth_(refWidth) {}

    // Starts the next object: its marker and contents are appended to what this gives.
    std::string& next() {
        offsets_.push_back(out_.size());
        return out_;
    }
    // Appends a reference to object `index` to the object being made.
    void ref(std::uint64_t index) { appendBigEndian(out_, index, refWidth_); }
    // The next object, an ASCII text.
    void text(std::string_view ascii) {
        appendMarker(next(), 0x5, ascii.size());
        out_.append(ascii);
    }

    std::string file() && {
        const std::uint64_t table = out_.size();
        for (std::uint64_t offset : offsets_) appendBigEndian(out_, offset, 4);
        out_.append(6, '\0');
        out_.push_back(4);  // offset width
        out_.push_back(static_cast<char>(refWidth_));
        appendBigEndian(out_, offsets_.size(), 8);
        appendBigEndian(out_, 0, 8);
        appendBigEndian(out_, table, 8);
        return std::move(out_);
    }

private:
    int refWidth_;
    std::string out_ = "bplist00";
    std::vector<std::uint64_t> offsets_;
};

// A binary property list of the objects (each its marker and contents, references
// `refWidth` bytes wide), the first at the top; offsets 4 bytes wide.
inline std::string binaryPlist(const std::vector<std::string>& objects, int refWidth = 2) {
    BinaryPlistBuilder file(refWidth);
    for (const std::string& object : objects) file.next() += object;
    return std::move(file).file();
}

// The `i`th of distinct ASCII texts of `length` characters (at least 10): `fill` before
// the last ten digits of the number.
inline std::string distinctText(std::uint64_t i, int length, char fill) {
    std::string text(std::size_t(length), fill);
    for (std::size_t at = text.size(); at-- > text.size() - 10; i /= 10) text[at] = static_cast<char>('0' + i % 10);
    return text;
}

// A file of an array of `count` distinct texts of `length` characters.
inline std::string arrayOfDistinctTexts(std::uint64_t count, int length) {
    BinaryPlistBuilder file(4);
    appendMarker(file.next(), 0xA, count);
    for (std::uint64_t i = 0; i < count; ++i) file.ref(1 + i);
    for (std::uint64_t i = 0; i < count; ++i) file.text(distinctText(i, length, 't'));
    return std::move(file).file();
}

// A file of a dictionary of `count` distinct keys of `keyLength` characters, each of a
// distinct text of `textLength` (0: all of one true, an object they share).
inline std::string dictionaryOfDistinctKeys(std::uint64_t count, int keyLength, int textLength) {
    BinaryPlistBuilder file(4);
    appendMarker(file.next(), 0xD, count);
    for (std::uint64_t i = 0; i < count; ++i) file.ref(1 + i);
    for (std::uint64_t i = 0; i < count; ++i) file.ref(textLength == 0 ? 1 + count : 1 + count + i);
    for (std::uint64_t i = 0; i < count; ++i) file.text(distinctText(i, keyLength, 'k'));
    if (textLength == 0) file.next().push_back('\x09');
    for (std::uint64_t i = 0; textLength != 0 && i < count; ++i) file.text(distinctText(i, textLength, 'v'));
    return std::move(file).file();
}

}  // namespace plisttest
