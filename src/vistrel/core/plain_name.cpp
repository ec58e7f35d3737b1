#include "vistrel/core/plain_name.hpp"

#include <algorithm>

namespace vistrel {

bool isPlainName(std::string_view name) {
    if (name.empty() || name.size() > 100) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

}  // namespace vistrel
