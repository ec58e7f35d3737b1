#include "vistrel/platform/services/icalendar_date.hpp"

#include <cstdio>

namespace platform::services {

namespace {

using namespace std::chrono;

// The decimal number of exactly `count` digits at `at`, or -1.
int digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The offset east of UTC of "+hhmm", "+hh:mm" or "+hh" (or "-"), or none.
std::optional<seconds> offset(std::string_view text) {
    if (text.empty() || (text[0] != '+' && text[0] != '-')) return std::nullopt;
    const int hours = digits(text, 1, 2);
    int minutes = 0;
    if (text.size() == 5) {
        minutes = digits(text, 3, 2);
    } else if (text.size() == 6 && text[3] == ':') {
        minutes = digits(text, 4, 2);
    } else if (text.size() != 3) {
        return std::nullopt;
    }
    if (hours < 0 || hours > 18 || minutes < 0 || minutes > 59) return std::nullopt;
    const seconds value = hours * 1h + minutes * 1min;
    return text[0] == '-' ? -value : value;
}

}  // namespace

std::optional<CalendarDateTime> parseCalendarDateTime(std::string_view text) {
    const int y = digits(text, 0, 4), mo = digits(text, 4, 2), d = digits(text, 6, 2);
    if (y < 0 || mo < 0 || d < 0) return std::nullopt;
    const year_month_day day{year{y}, month{static_cast<unsigned>(mo)}, std::chrono::day{static_cast<unsigned>(d)}};
    if (!day.ok()) return std::nullopt;
    const sys_days midnight{day};
    if (text.size() == 8) return CalendarDateTime{midnight, CalendarDateTime::Kind::date};
    if (text.size() < 15 || text[8] != 'T') return std::nullopt;
    const int h = digits(text, 9, 2), mi = digits(text, 11, 2), s = digits(text, 13, 2);
    if (h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) return std::nullopt;
    const EventDate reading = midnight + hours{h} + minutes{mi} + seconds{s};
    const std::string_view zone = text.substr(15);
    if (zone.empty()) return CalendarDateTime{reading, CalendarDateTime::Kind::floating};
    if (zone == "Z") return CalendarDateTime{reading, CalendarDateTime::Kind::utc};
    const std::optional<seconds> east = offset(zone);
    if (!east) return std::nullopt;
    return CalendarDateTime{reading - *east, CalendarDateTime::Kind::utc};
}

std::string formatCalendarDateTime(EventDate time, bool utc) {
    const sys_days day = floor<days>(time);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> clock{time - day};
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%04d%02u%02uT%02d%02d%02d%s", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), utc ? "Z" : "");
    return buffer;
}

std::string formatCalendarDate(EventDate time) {
    const year_month_day ymd{floor<days>(time)};
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d%02u%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buffer;
}

}  // namespace platform::services
