#include "vistrel/core/append_string.hpp"

namespace vistrel {

void appendString(std::vector<std::uint8_t>& data, std::string_view text) {
    data.insert(data.end(), text.begin(), text.end());
}

}  // namespace vistrel
