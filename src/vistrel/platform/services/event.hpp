#pragma once
// A calendar event and its recurrence rules, as plain values.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace platform::services {

using EventDate = std::chrono::sys_seconds;

enum class RecurrenceFrequency { daily, weekly, monthly, yearly };

// Where a recurrence stops: after a number of occurrences or at a date.
struct RecurrenceEnd {
    std::optional<int> occurrenceCount;
    std::optional<EventDate> endDate;

    bool operator==(const RecurrenceEnd&) const = default;
};

struct RecurrenceRule {
    RecurrenceFrequency frequency = RecurrenceFrequency::yearly;
    int interval = 1;  // at least 1
    std::optional<RecurrenceEnd> recurrenceEnd;

    bool operator==(const RecurrenceRule&) const = default;
};

// Times: when `timeZone` is "UTC" the dates are instants; when it names another zone,
// or is absent (a floating time, the same clock reading in every zone), the dates hold
// the clock reading in that zone written as if it were UTC. An all-day event's dates
// are midnights.
struct Event {
    std::optional<std::string> eventIdentifier;  // given when the event is first saved
    std::optional<std::string> title;
    std::optional<std::string> location;
    std::optional<std::string> notes;
    std::optional<EventDate> startDate;
    std::optional<EventDate> endDate;
    bool allDay = false;
    std::optional<std::string> timeZone;
    std::optional<std::string> url;
    std::vector<RecurrenceRule> recurrenceRules;

    bool operator==(const Event&) const = default;
};

}  // namespace platform::services
