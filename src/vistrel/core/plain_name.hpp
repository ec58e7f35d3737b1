#pragma once
// A name the kit uses as a file name as it stands.
#include <string_view>

namespace vistrel {

// True for 1 to 100 characters of [A-Za-z0-9_-]: nothing a path could read otherwise.
bool isPlainName(std::string_view name);

}  // namespace vistrel
