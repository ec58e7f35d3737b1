#pragma once
// Dates and times as calendar texts write them: "20260312" (a day),
// "20260312T093000" (a floating clock reading), "20260312T093000Z" (UTC) and
// "20260312T093000+0200" (with an offset, also "+02:00" or "+02"). Reading never
// depends on the process's time zone.
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/services/event.hpp"

namespace platform::services {

struct CalendarDateTime {
    enum class Kind { date, floating, utc };
    EventDate time;  // the instant for utc; the clock reading written as UTC otherwise
    Kind kind = Kind::utc;
};

// None when the text is not one of the forms above or names an impossible date or time.
std::optional<CalendarDateTime> parseCalendarDateTime(std::string_view text);

// "yyyyMMdd'T'HHmmss" with "Z" for UTC, without for a floating reading.
std::string formatCalendarDateTime(EventDate time, bool utc);
// "yyyyMMdd".
std::string formatCalendarDate(EventDate time);

}  // namespace platform::services
