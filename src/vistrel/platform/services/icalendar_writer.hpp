#pragma once
// An event written as a calendar (.ics) text: one VCALENDAR holding one VEVENT.
#include <string>

#include "vistrel/platform/services/event.hpp"

namespace platform::services {

// CR LF line ends, long lines folded, texts escaped. Times are written in UTC ("Z")
// when the event's zone is "UTC", with a TZID parameter when it names another zone and
// floating when it has none; an all-day event writes days.
std::string icalendarText(const Event& event);

}  // namespace platform::services
