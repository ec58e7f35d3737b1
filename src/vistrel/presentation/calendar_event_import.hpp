#pragma once
// The event text of a calendar action (a VEVENT of an iCalendar text) turned into an
// event.
#include <filesystem>
#include <string_view>

#include "vistrel/platform/services/event.hpp"

namespace vistrel {

// The first event of the text. Lines end in LF or CR LF and folded lines are joined;
// the event runs from "BEGIN:VEVENT" to its "END:VEVENT", and the properties of
// components nested in it (an alarm) are skipped. Read: SUMMARY (title), DTSTART,
// DTEND, LOCATION, DESCRIPTION (notes), RRULE; a name may carry parameters and its
// value is everything after the ":" that ends them. Times in UTC ("Z"), with an offset
// or floating read the same in any time zone; a day alone makes an all-day event. The
// rule is read by name: FREQ (DAILY, WEEKLY, MONTHLY, YEARLY; any other text reads as
// yearly), INTERVAL (a whole number from 1, 1 when absent), and COUNT or UNTIL as its
// end. A line or rule that cannot be read leaves its field as it was; a later line of
// the same name replaces an earlier one. A text without an event gives an empty event.
platform::services::Event calendarEvent(std::string_view text);

// Where the kit's calendar writes the events the user adds: "Events" in its data folder.
std::filesystem::path calendarEventsFolder();

}  // namespace vistrel
