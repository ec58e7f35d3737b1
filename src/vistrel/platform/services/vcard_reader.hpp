#pragma once
// Contact cards (vCard 3.0 and 4.0) read into contacts.
#include <string_view>
#include <vector>

#include "vistrel/platform/services/contact.hpp"

namespace platform::services {

// Every card of the text, in order: each from "BEGIN:VCARD" to "END:VCARD" (a last
// card cut short is kept). Lines may end in LF or CR LF, folded lines are joined and
// escapes undone; lines that are not properties, and properties a contact has no place
// for, are skipped. A text with no card gives no contact and a log line.
std::vector<Contact> contactsFromVCard(std::string_view text);

}  // namespace platform::services
