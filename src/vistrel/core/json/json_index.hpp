#pragma once
// A position in a JSON value walked as a collection of (index-or-key, member) pairs.
#include <cstddef>

namespace vistrel {

// Positions are plain offsets, so one taken from a value stays meaningful in every
// copy of it; a position out of range gives a safe answer rather than a fault.
class JSONIndex {
public:
    enum class Case { array, dictionary, null };

    static JSONIndex array(std::size_t i) { return JSONIndex(Case::array, i); }
    static JSONIndex dictionary(std::size_t position) {
        return JSONIndex(Case::dictionary, position);
    }
    static JSONIndex null() { return JSONIndex(Case::null, 0); }

    Case kind() const { return case_; }
    std::size_t position() const { return position_; }

    // Same case and position; two null positions are always equal.
    friend bool operator==(const JSONIndex& a, const JSONIndex& b) {
        return a.case_ == b.case_ && (a.case_ == Case::null || a.position_ == b.position_);
    }
    // Ordered only within the array or the dictionary case; every other pair gives false.
    friend bool operator<(const JSONIndex& a, const JSONIndex& b) {
        return a.case_ == b.case_ && a.case_ != Case::null && a.position_ < b.position_;
    }
    friend bool operator>(const JSONIndex& a, const JSONIndex& b) { return b < a; }
    friend bool operator<=(const JSONIndex& a, const JSONIndex& b) { return !(b < a); }
    friend bool operator>=(const JSONIndex& a, const JSONIndex& b) { return !(a < b); }

private:
    JSONIndex(Case c, std::size_t p) : case_(c), position_(p) {}
    Case case_;
    std::size_t position_;
};

}  // namespace vistrel
