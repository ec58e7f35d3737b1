#pragma once
// Small text conveniences: the localised text of a key, and random identifiers.
#include <string>
#include <string_view>

namespace vistrel {

// The localised text whose key is `key` (the key itself when there is none).
std::string localizedString(std::string_view key);

// `length` characters drawn uniformly from a-z, A-Z and 0-9 with the operating
// system's random source; "" for a length <= 0. Offline photos are named by it, so
// sequences never repeat from one launch to the next.
std::string random(int length = 20);

}  // namespace vistrel
