#pragma once
// A contact written as a vCard 3.0 card.
#include <string>

#include "vistrel/platform/services/contact.hpp"

namespace platform::services {

// CR LF line ends, long lines folded, texts escaped; labels become TYPE parameters.
std::string vcardText(const Contact& contact);

}  // namespace platform::services
