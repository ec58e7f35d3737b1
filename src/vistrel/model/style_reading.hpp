#pragma once
// The readers of a style and its sections, for members held in a JSON value (Members)
// or viewed in a parsed style text (ViewMembers); instantiated for both beside each
// reader, so that both ways read by the same rules.
#include "vistrel/model/button_style.hpp"
#include "vistrel/model/style.hpp"
#include "vistrel/model/text_style.hpp"

namespace vistrel {

template <typename Members>
Button readButton(const Members& members);
template <typename Members>
Text readText(const Members& members);
template <typename Members>
Icon readIcon(const Members& members);
template <typename Members>
Style readStyle(const Members& members);

}  // namespace vistrel
