#pragma once
// The texts the text benchmarks lay out: ordinary letters and words, and the repeated
// units of hostile ones. Header only: each benchmark program is one source file.
#include <cstddef>
#include <string>

namespace bench {

// `unit` repeated after `head` up to `bytes`.
inline std::string repeated(std::string head, const std::string& unit, std::size_t bytes) {
    head.reserve(bytes);
    while (head.size() + unit.size() <= bytes) head += unit;
    return head;
}

// `bytes` of lower-case letters, with a space after every sixth letter when `words`.
inline std::string letters(std::size_t bytes, bool words) {
    std::string text(bytes, 'a');
    for (std::size_t i = 0; i < bytes; ++i) text[i] = words && i % 7 == 6 ? ' ' : char('a' + i % 26);
    return text;
}

}  // namespace bench
