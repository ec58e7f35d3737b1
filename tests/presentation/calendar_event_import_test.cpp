// Calendar texts read into events under two time zones, and the event editor offered
// after the access answer.
#include <gtest/gtest.h>

#include <ctime>

#include "support/temp_dir.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/presentation/calendar_event_import.hpp"
#include "vistrel/screens/actions/calendar_event_launch.hpp"

namespace vistrel {
namespace {

using namespace std::chrono;
using platform::services::AuthorizationAnswer;
using platform::services::Event;
using platform::services::EventStore;
using platform::services::RecurrenceEnd;
using platform::services::RecurrenceFrequency;
using platform::services::RecurrenceRule;

// TZ set for the life of the object (tzset called both ways).
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : env_("TZ", zone) { tzset(); }
    ~ScopedTimeZone() = default;

private:
    struct Reset {
        ~Reset() { tzset(); }
    };
    Reset reset_;  // destroyed after env_ restores TZ
    testsupport::ScopedEnv env_;
};

using platform::services::EventDate;
const EventDate noonUtc = sys_days{2026y / June / 1} + 12h;

Event titled(std::string title, std::optional<EventDate> start = std::nullopt) {
    Event event;
    event.title = std::move(title);
    event.startDate = start;
    if (start) event.timeZone = "UTC";
    return event;
}

struct TextCase {
    const char* name;
    std::string text;
    Event expected;
};

std::vector<TextCase> cases() {
    std::vector<TextCase> out;
    Event full = titled("Meeting: Q3", noonUtc);
    full.endDate = noonUtc + 1h;
    full.location = "https://maps.example/?q=1:2";
    full.notes = "Agenda, first; then\nmore";
    full.recurrenceRules = {{RecurrenceFrequency::weekly, 2, std::nullopt}};
    out.push_back({"ValuesKeepTheirColonsAndEscapes",
                   "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:Meeting: Q3\r\nDTSTART:20260601T120000Z\r\n"
                   "DTEND:20260601T150000+0200\r\nLOCATION:https://maps.example/?q=1:2\r\n"
                   "DESCRIPTION:Agenda\\, first\\; then\\nmore\r\nRRULE:FREQ=WEEKLY;INTERVAL=2\r\n"
                   "END:VEVENT\r\nEND:VCALENDAR\r\n",
                   full});
    out.push_back({"LfLineEndsAndFoldedLines",
                   "BEGIN:VEVENT\nSUMMARY:Long \n title\nDTSTART:2026\n 0601T120000Z\nEND:VEVENT\n",
                   titled("Long title", noonUtc)});
    Event floating = titled("Floating", noonUtc);
    floating.timeZone.reset();
    out.push_back({"AFloatingTimeIsTheSameClockReadingEverywhere", "BEGIN:VEVENT\nSUMMARY:Floating\nDTSTART:20260601T120000\nEND:VEVENT",
                   floating});
    Event zoned = floating;
    zoned.title = "Zoned";
    zoned.timeZone = "Europe/Paris";
    out.push_back({"AZoneNameIsKeptWithItsClockReading",
                   "BEGIN:VEVENT\nSUMMARY:Zoned\nDTSTART;TZID=Europe/Paris:20260601T120000\nEND:VEVENT", zoned});
    Event allDay = titled("Holiday", sys_days{2026y / June / 1});
    allDay.allDay = true;
    allDay.timeZone.reset();
    out.push_back({"ADayAloneIsAllDay", "BEGIN:VEVENT\nSUMMARY:Holiday\nDTSTART;VALUE=DATE:20260601\nEND:VEVENT", allDay});
    out.push_back({"NestedAlarmAndLaterComponentsAreSkipped",
                   "SUMMARY:Before\nBEGIN:VEVENT\nSUMMARY:Inside\nBEGIN:VALARM\nDESCRIPTION:Alarm\nSUMMARY:Alarm\n"
                   "END:VALARM\nEND:VEVENT\nBEGIN:VEVENT\nSUMMARY:Second\nEND:VEVENT\nDESCRIPTION:After",
                   titled("Inside")});
    Event counted = titled("Counted");
    counted.recurrenceRules = {{RecurrenceFrequency::daily, 1, RecurrenceEnd{10, std::nullopt}}};
    out.push_back({"RuleReadByNameWithCount", "BEGIN:VEVENT\nSUMMARY:Counted\nRRULE:COUNT=10;FREQ=DAILY\nEND:VEVENT", counted});
    Event until = titled("Until");
    until.recurrenceRules = {{RecurrenceFrequency::monthly, 3, RecurrenceEnd{std::nullopt, noonUtc}}};
    out.push_back({"RuleWithUntilAndOtherParts",
                   "BEGIN:VEVENT\nSUMMARY:Until\nRRULE:FREQ=MONTHLY;BYDAY=MO;INTERVAL=3;UNTIL=20260601T120000Z\nEND:VEVENT",
                   until});
    Event yearly = titled("Hourly");
    yearly.recurrenceRules = {RecurrenceRule{}};
    out.push_back({"AnUnknownFrequencyReadsAsYearly", "BEGIN:VEVENT\nSUMMARY:Hourly\nRRULE:FREQ=HOURLY\nEND:VEVENT", yearly});
    out.push_back({"MalformedRulesAndLinesAreIgnored",
                   "BEGIN:VEVENT\nSUMMARY:Kept\nSUMMARY\nDTSTART:20261301T120000Z\nDTEND:2026\nRRULE:FREQ=DAILY;INTERVAL=0\n"
                   "RRULE:FREQ=DAILY;INTERVAL=x\nRRULE:INTERVAL=2\nRRULE:FREQ=DAILY;COUNT=2;UNTIL=20260601\n"
                   "RRULE:FREQ=DAILY;INTERVAL\nRRULE:FREQ=DAILY;INTERVAL=99999999999\nRRULE:\n:\n;\nEND:VEVENT",
                   titled("Kept")});
    out.push_back({"NoEventGivesAnEmptyOne", "SUMMARY:Loose\r\nBEGIN:VTODO\r\nEND:VTODO", Event{}});
    out.push_back({"EmptyText", "", Event{}});
    return out;
}

TEST(CalendarEvent, TextsReadTheSameUnderEveryTimeZone) {
    for (const char* zone : {"UTC", "America/Los_Angeles", "Asia/Kolkata"}) {
        ScopedTimeZone scoped(zone);
        for (const TextCase& c : cases()) {
            SCOPED_TRACE(std::string(zone) + " " + c.name);
            EXPECT_EQ(calendarEvent(c.text), c.expected);
        }
    }
}

// A window showing a screen that presents nothing yet.
struct Shown {
    std::shared_ptr<platform::ui::Window> window = std::make_shared<platform::ui::Window>();
    std::shared_ptr<platform::ui::ViewController> screen = std::make_shared<platform::ui::ViewController>();
    Shown() {
        window->setRootViewController(screen);
        window->makeKeyAndVisible();
    }
    ~Shown() {
        screen->dismiss(false);
        window->setHidden(true);
        platform::dispatch::RunLoop::runUntilIdle();
    }
};

struct Endings : platform::services::EventEditViewDelegate {
    std::vector<platform::services::EventEditViewAction> actions;
    void eventEditViewController(platform::services::EventEditViewController& editor,
                                 platform::services::EventEditViewAction action) override {
        actions.push_back(action);
        editor.dismiss(false);
    }
};

TEST(LaunchCalendarEvent, TheEditorComesOnTheMainQueueAfterTheAnswerAndSavesToAFile) {
    testsupport::TempDir dir;
    Shown shown;
    auto over = std::make_shared<platform::ui::ViewController>();  // already presented on the target
    shown.screen->present(over, false);
    auto delegate = std::make_shared<Endings>();
    const std::string text = "BEGIN:VEVENT\r\nSUMMARY:Meeting: Q3\r\nDTSTART:20260601T120000Z\r\nEND:VEVENT\r\n";
    launchCalendarEvent(shown.screen, text, EventStore(dir.path()), delegate);
    EXPECT_EQ(over->presentedViewController(), nullptr);  // not inside the call
    ASSERT_TRUE(platform::dispatch::RunLoop::runUntil([&] { return over->presentedViewController() != nullptr; }, 2min));
    auto editor = std::dynamic_pointer_cast<platform::services::EventEditViewController>(over->presentedViewController());
    ASSERT_TRUE(editor);
    EXPECT_EQ(std::tuple(editor->event(), editor->eventStore()->folder()), std::tuple(calendarEvent(text), dir.path()));
    ASSERT_TRUE(editor->saveEvent());
    EXPECT_EQ(std::tuple(delegate->actions.size(), over->presentedViewController()), std::tuple(1u, nullptr));
    const auto saved = platform::readFile(*editor->eventStore()->fileForEvent(*editor->event().eventIdentifier), 64u << 20);
    ASSERT_TRUE(saved);
    Event back = calendarEvent(*saved);
    back.eventIdentifier = editor->event().eventIdentifier;
    EXPECT_EQ(back, editor->event());
}

TEST(LaunchCalendarEvent, RefusedAccessOrAnErrorShowsNothing) {
    for (AuthorizationAnswer answer : {AuthorizationAnswer::denied, AuthorizationAnswer::error}) {
        EventStore::setAuthorizationAnswer(answer);
        Shown shown;
        platform::LogCapture log;
        launchCalendarEvent(shown.screen, "BEGIN:VEVENT\nSUMMARY:x\nEND:VEVENT", EventStore(""), {});
        EXPECT_TRUE(platform::dispatch::RunLoop::runUntil([&] { return log.contains("no calendar access"); }, 2min));
        platform::dispatch::RunLoop::runUntilIdle();
        EXPECT_EQ(std::tuple(shown.screen->presentedViewController(), log.contains("Domain=")),
                  std::tuple(nullptr, answer == AuthorizationAnswer::error));
    }
    EventStore::setAuthorizationAnswer(AuthorizationAnswer::granted);
}

}  // namespace
}  // namespace vistrel
