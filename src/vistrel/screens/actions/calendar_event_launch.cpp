#include "vistrel/screens/actions/calendar_event_launch.hpp"

#include <utility>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/presentation/calendar_event_import.hpp"
#include "vistrel/screens/actions/presenting_screen.hpp"

namespace vistrel {

namespace {

using platform::services::Event;
using platform::services::EventEditViewController;
using platform::services::EventEditViewDelegate;
using platform::services::EventStore;

}  // namespace

void launchCalendarEvent(const std::shared_ptr<platform::ui::ViewController>& target, std::string text,
                         const EventStore& store, std::weak_ptr<EventEditViewDelegate> delegate) {
    // Screens are touched on the main thread only: the access answer's queue holds
    // the target weakly and never releases a screen.
    std::weak_ptr<platform::ui::ViewController> weakTarget = target;
    store.requestAccess([weakTarget, text = std::move(text), folder = store.folder(), delegate = std::move(delegate)](
                            bool granted, const std::optional<platform::Error>& error) {
        if (!granted || error) {
            // Nothing for the user to see; one line for whoever reads the log.
            platform::log(std::string("launchCalendar :: no calendar access")
                              .append(error ? std::string(": ").append(error->description()) : std::string()));
            return;
        }
        Event event = calendarEvent(text);
        platform::dispatch::main().async([weakTarget, event = std::move(event), folder, delegate] {
            presentOverTarget(
                weakTarget.lock(),
                [event, folder, delegate] {
                    auto editor = std::make_shared<EventEditViewController>();
                    editor->setEventStore(EventStore(folder));
                    editor->setEditViewDelegate(delegate);
                    editor->setEvent(event);
                    return editor;
                },
                "the event editor");
        });
    });
}

}  // namespace vistrel
