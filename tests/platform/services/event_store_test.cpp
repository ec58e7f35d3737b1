// The event store's access answer, events saved as calendar files, the editor's endings,
// and the calendar date forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "support/temp_dir.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/event_edit_view_controller.hpp"
#include "vistrel/platform/services/icalendar_content_lines.hpp"
#include "vistrel/platform/services/icalendar_date.hpp"

namespace platform::services {
namespace {

using namespace std::chrono;
using dispatch::RunLoop;

struct ScopedAnswer {
    explicit ScopedAnswer(AuthorizationAnswer answer) { EventStore::setAuthorizationAnswer(answer); }
    ~ScopedAnswer() { EventStore::setAuthorizationAnswer(AuthorizationAnswer::granted); }
};

TEST(EventStore, TheAccessAnswerArrivesLaterOnAnotherQueue) {
    const std::tuple<AuthorizationAnswer, bool, bool> answers[] = {
        {AuthorizationAnswer::granted, true, false},
        {AuthorizationAnswer::denied, false, false},
        {AuthorizationAnswer::error, false, true}};
    for (const auto& [answer, granted, hasError] : answers) {
        ScopedAnswer scoped(answer);
        std::atomic<int> calls{0};
        std::atomic<bool> onMain{true}, gotGranted{!granted}, gotError{!hasError};
        EventStore("").requestAccess([&](bool g, std::optional<Error> error) {
            onMain = dispatch::isMainThread(), gotGranted = g, gotError = error.has_value();
            ++calls;
        });
        ASSERT_TRUE(RunLoop::runUntil([&] { return calls.load() == 1; }, 2min));
        EXPECT_EQ(std::tuple(onMain.load(), gotGranted.load(), gotError.load()), std::tuple(false, granted, hasError));
    }
}

Event weeklyMeeting() {
    Event event;
    event.title = "Review; budget, Q3";
    event.location = "https://meet.example/room?id=7";
    event.notes = "Bring:\n- figures\n- " + std::string(80, 'n');
    event.startDate = sys_days{2026y / March / 12} + 9h + 30min;
    event.endDate = *event.startDate + 1h;
    event.timeZone = "UTC";
    event.recurrenceRules = {{RecurrenceFrequency::weekly, 2, RecurrenceEnd{10, std::nullopt}}};
    return event;
}

// The unfolded lines of a saved file, each property once.
std::vector<std::string> savedLines(const EventStore& store, const Event& event) {
    const auto text = readFile(*store.fileForEvent(*event.eventIdentifier), 64u << 20);
    return text ? unfoldedLines(*text) : std::vector<std::string>{};
}

// The saved line of that property (name followed by ";" or ":").
std::string savedLine(const EventStore& store, const Event& event, const std::string& name) {
    for (const std::string& line : savedLines(store, event))
        if (line.rfind(name + ":", 0) == 0 || line.rfind(name + ";", 0) == 0) return line;
    return {};
}

TEST(EventStore, ASavedEventIsWrittenAsACalendarFile) {
    testsupport::TempDir dir;
    const EventStore store(dir / "Events");
    Event event = weeklyMeeting();
    ASSERT_EQ(store.saveEvent(event), std::nullopt);
    ASSERT_TRUE(event.eventIdentifier);
    const std::vector<std::string> lines = savedLines(store, event);
    for (const char* expected :
         {"BEGIN:VEVENT", "SUMMARY:Review\\; budget\\, Q3", "DTSTART:20260312T093000Z", "DTEND:20260312T103000Z",
          "LOCATION:https://meet.example/room?id=7", "RRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=10", "END:VEVENT"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "UID:" + *event.eventIdentifier), lines.end());

    // Floating and zoned clock readings, and days.
    event.timeZone.reset();
    event.recurrenceRules = {{RecurrenceFrequency::daily, 1, RecurrenceEnd{std::nullopt, sys_days{2026y / April / 1}}}};
    ASSERT_EQ(store.saveEvent(event), std::nullopt);
    EXPECT_EQ(savedLine(store, event, "DTSTART"), "DTSTART:20260312T093000");
    event.timeZone = "Europe/Paris";
    ASSERT_EQ(store.saveEvent(event), std::nullopt);
    EXPECT_EQ(savedLine(store, event, "DTSTART"), "DTSTART;TZID=\"Europe/Paris\":20260312T093000");
    event.allDay = true;
    ASSERT_EQ(store.saveEvent(event), std::nullopt);
    EXPECT_EQ(savedLine(store, event, "DTSTART"), "DTSTART;VALUE=DATE:20260312");
    EXPECT_EQ(savedLine(store, event, "RRULE"), "RRULE:FREQ=DAILY;INTERVAL=1;UNTIL=20260401");
}

struct EditorEndings : EventEditViewDelegate {
    std::vector<EventEditViewAction> actions;
    void eventEditViewController(EventEditViewController&, EventEditViewAction action) override {
        actions.push_back(action);
    }
};

TEST(EventEditViewController, AddSavesDeleteRemovesCancelEnds) {
    testsupport::TempDir dir;
    auto delegate = std::make_shared<EditorEndings>();
    auto editor = std::make_shared<EventEditViewController>();
    editor->setEditViewDelegate(delegate);
    editor->setEvent(weeklyMeeting());
    EXPECT_EQ(editor->displayedFields().at(2), (DisplayedField{"Starts", "2026-03-12 09:30 UTC"}));
    EXPECT_EQ(editor->displayedFields().at(4), (DisplayedField{"Repeat", "Every 2 weeks, 10 times"}));
    editor->loadViewIfNeeded();
    auto& item = editor->viewControllers().front()->navigationItem();
    {
        LogCapture log;  // no store: nothing the user accepts is claimed saved
        item.rightBarButtonItem()->sendAction();
        EXPECT_TRUE(log.contains("not saved"));
        EXPECT_TRUE(delegate->actions.empty());
    }
    editor->setEventStore(EventStore(dir.path()));
    item.rightBarButtonItem()->sendAction();
    ASSERT_TRUE(editor->event().eventIdentifier);
    const auto file = *editor->eventStore()->fileForEvent(*editor->event().eventIdentifier);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(editor->deleteEvent());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(editor->deleteEvent());
    item.leftBarButtonItem()->sendAction();
    EXPECT_EQ(delegate->actions, (std::vector<EventEditViewAction>{EventEditViewAction::saved,
                                                                    EventEditViewAction::deleted,
                                                                    EventEditViewAction::canceled}));
}

TEST(CalendarDate, FormsAndImpossibleValues) {
    using Kind = CalendarDateTime::Kind;
    const EventDate noon = sys_days{2024y / February / 29} + 12h;
    const std::tuple<const char*, EventDate, Kind> cases[] = {
        {"20240229T120000Z", noon, Kind::utc},
        {"20240229T140000+0200", noon, Kind::utc},
        {"20240229T063000-05:30", noon, Kind::utc},
        {"20240229T150000+03", noon, Kind::utc},
        {"20240229T120000", noon, Kind::floating},
        {"20240229", sys_days{2024y / February / 29}, Kind::date},
    };
    for (const auto& [text, time, kind] : cases) {
        const auto read = parseCalendarDateTime(text);
        ASSERT_TRUE(read) << text;
        EXPECT_EQ(std::pair(read->time, read->kind), std::pair(time, kind)) << text;
    }
    // No 29 February in 2023, month 13, hour 24, second 60, offset 25 h, unknown zone letter, cut short.
    for (const char* impossible : {"20230229T120000Z", "20241301", "20240229T240000Z", "20240229T120060Z",
                                   "20240229T120000+2500", "20240229T120000X", "2024022", "20240229 120000", ""})
        EXPECT_FALSE(parseCalendarDateTime(impossible)) << impossible;
}

TEST(ContentLines, FoldingNeverSplitsACharacterAndUnfoldsBack) {
    const std::string value = "SUMMARY:" + std::string(7, 'a') + [] {
        std::string accents;
        for (int i = 0; i < 100; ++i) accents.append("é");
        return accents;
    }();
    const std::string folded = foldedLine(value);
    for (std::size_t start = 0, end; (end = folded.find("\r\n", start)) != std::string::npos; start = end + 2) {
        EXPECT_LE(end - start, 75u);
        EXPECT_NE(static_cast<unsigned char>(folded[end - 1]), 0xC3);  // no lead byte left alone
    }
    EXPECT_EQ(unfoldedLines(folded), std::vector<std::string>{value});
}

}  // namespace
}  // namespace platform::services
