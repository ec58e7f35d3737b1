#include "vistrel/presentation/calendar_event_import.hpp"

#include <charconv>
#include <optional>

#include "vistrel/core/data_directory.hpp"
#include "vistrel/platform/services/icalendar_content_lines.hpp"
#include "vistrel/platform/services/icalendar_date.hpp"

namespace vistrel {

namespace {

using platform::services::CalendarDateTime;
using platform::services::ContentLine;
using platform::services::Event;
using platform::services::RecurrenceFrequency;
using platform::services::RecurrenceRule;
using platform::services::equalsIgnoringCase;

// A whole number from 1 written only in decimal digits.
std::optional<int> positiveNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

RecurrenceFrequency frequency(std::string_view text) {
    if (equalsIgnoringCase(text, "DAILY")) return RecurrenceFrequency::daily;
    if (equalsIgnoringCase(text, "WEEKLY")) return RecurrenceFrequency::weekly;
    if (equalsIgnoringCase(text, "MONTHLY")) return RecurrenceFrequency::monthly;
    return RecurrenceFrequency::yearly;
}

std::optional<RecurrenceRule> recurrenceRule(std::string_view value) {
    RecurrenceRule rule;
    bool hasFrequency = false;
    std::optional<int> count;
    std::optional<CalendarDateTime> until;
    for (std::string_view field : platform::services::splitEscaped(value, ';')) {
        if (field.empty()) continue;
        const std::size_t equals = field.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const std::string_view name = field.substr(0, equals), text = field.substr(equals + 1);
        if (equalsIgnoringCase(name, "FREQ")) {
            if (text.empty()) return std::nullopt;
            rule.frequency = frequency(text);
            hasFrequency = true;
        } else if (equalsIgnoringCase(name, "INTERVAL")) {
            const std::optional<int> interval = positiveNumber(text);
            if (!interval) return std::nullopt;
            rule.interval = *interval;
        } else if (equalsIgnoringCase(name, "COUNT")) {
            if (!(count = positiveNumber(text))) return std::nullopt;
        } else if (equalsIgnoringCase(name, "UNTIL")) {
            if (!(until = platform::services::parseCalendarDateTime(text))) return std::nullopt;
        }
    }
    // A rule without a frequency, or with both ends, says nothing usable.
    if (!hasFrequency || (count && until)) return std::nullopt;
    if (count) rule.recurrenceEnd = platform::services::RecurrenceEnd{count, std::nullopt};
    if (until) rule.recurrenceEnd = platform::services::RecurrenceEnd{std::nullopt, until->time};
    return rule;
}

void readTime(Event& event, const ContentLine& line, bool start) {
    const std::optional<CalendarDateTime> time = platform::services::parseCalendarDateTime(line.value);
    if (!time) return;
    (start ? event.startDate : event.endDate) = time->time;
    if (!start) return;
    event.allDay = time->kind == CalendarDateTime::Kind::date;
    const std::vector<std::string> zone = line.parameterValues("TZID");
    if (time->kind == CalendarDateTime::Kind::utc)
        event.timeZone = "UTC";
    else if (time->kind == CalendarDateTime::Kind::floating && !zone.empty())
        event.timeZone = zone.front();
    else
        event.timeZone.reset();
}

void readProperty(Event& event, const ContentLine& line) {
    using platform::services::unescapeText;
    if (line.name == "SUMMARY") {
        event.title = unescapeText(line.value);
    } else if (line.name == "DTSTART") {
        readTime(event, line, true);
    } else if (line.name == "DTEND") {
        readTime(event, line, false);
    } else if (line.name == "LOCATION") {
        event.location = unescapeText(line.value);
    } else if (line.name == "DESCRIPTION") {
        event.notes = unescapeText(line.value);
    } else if (line.name == "RRULE") {
        if (std::optional<RecurrenceRule> rule = recurrenceRule(line.value)) event.recurrenceRules = {*rule};
    }
}

}  // namespace

Event calendarEvent(std::string_view text) {
    Event event;
    bool inEvent = false;
    int depth = 0;  // of components nested in the event
    for (const std::string& raw : platform::services::unfoldedLines(text)) {
        const std::optional<ContentLine> line = platform::services::parseContentLine(raw);
        if (!line) continue;
        const bool begin = line->name == "BEGIN", end = line->name == "END";
        if (!inEvent) {
            inEvent = begin && equalsIgnoringCase(line->value, "VEVENT");
        } else if (begin) {
            ++depth;
        } else if (end && depth > 0) {
            --depth;
        } else if (end) {
            break;  // the end of the event, whatever it names
        } else if (depth == 0) {
            readProperty(event, *line);
        }
    }
    return event;
}

std::filesystem::path calendarEventsFolder() { return dataDirectory() / "Events"; }

}  // namespace vistrel
