#include "vistrel/platform/services/icalendar_writer.hpp"

#include <chrono>

#include "vistrel/platform/services/icalendar_content_lines.hpp"
#include "vistrel/platform/services/icalendar_date.hpp"

namespace platform::services {

namespace {

// A zone name or address may not end the line or the parameter it stands in.
std::string plain(std::string_view text) {
    std::string out;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && c != '"') out.push_back(c);
    return out;
}

const char* frequencyText(RecurrenceFrequency frequency) {
    switch (frequency) {
        case RecurrenceFrequency::daily: return "DAILY";
        case RecurrenceFrequency::weekly: return "WEEKLY";
        case RecurrenceFrequency::monthly: return "MONTHLY";
        case RecurrenceFrequency::yearly: return "YEARLY";
    }
    return "YEARLY";
}

void appendText(std::string& out, std::string_view name, const std::optional<std::string>& value) {
    if (!value) return;
    std::string line(name);
    line.append(":").append(escapeText(*value));
    out.append(foldedLine(line));
}

void appendTime(std::string& out, std::string_view name, const Event& event, const std::optional<EventDate>& time) {
    if (!time) return;
    std::string line(name);
    if (event.allDay) {
        line.append(";VALUE=DATE:").append(formatCalendarDate(*time));
    } else {
        const bool utc = event.timeZone == "UTC";
        if (event.timeZone && !utc) line.append(";TZID=\"").append(plain(*event.timeZone)).append("\"");
        line.append(":").append(formatCalendarDateTime(*time, utc));
    }
    out.append(foldedLine(line));
}

std::string ruleText(const RecurrenceRule& rule, const Event& event) {
    std::string text("RRULE:FREQ=");
    text.append(frequencyText(rule.frequency)).append(";INTERVAL=").append(std::to_string(rule.interval));
    if (rule.recurrenceEnd && rule.recurrenceEnd->occurrenceCount) {
        text.append(";COUNT=").append(std::to_string(*rule.recurrenceEnd->occurrenceCount));
    } else if (rule.recurrenceEnd && rule.recurrenceEnd->endDate) {
        const EventDate until = *rule.recurrenceEnd->endDate;
        text.append(";UNTIL=").append(event.allDay ? formatCalendarDate(until)
                                                   : formatCalendarDateTime(until, event.timeZone == "UTC"));
    }
    return text;
}

}  // namespace

std::string icalendarText(const Event& event) {
    std::string out;
    out.append("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//platform//services//EN\r\nBEGIN:VEVENT\r\n");
    appendText(out, "UID", event.eventIdentifier);
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    out.append(foldedLine(std::string("DTSTAMP:").append(formatCalendarDateTime(now, true))));
    appendText(out, "SUMMARY", event.title);
    appendTime(out, "DTSTART", event, event.startDate);
    appendTime(out, "DTEND", event, event.endDate);
    appendText(out, "LOCATION", event.location);
    appendText(out, "DESCRIPTION", event.notes);
    if (event.url) out.append(foldedLine(std::string("URL:").append(plain(*event.url))));
    for (const RecurrenceRule& rule : event.recurrenceRules) out.append(foldedLine(ruleText(rule, event)));
    out.append("END:VEVENT\r\nEND:VCALENDAR\r\n");
    return out;
}

}  // namespace platform::services
