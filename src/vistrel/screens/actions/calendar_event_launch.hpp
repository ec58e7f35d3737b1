#pragma once
// The event of a calendar action offered to the user in the event editor.
#include <memory>
#include <string>

#include "vistrel/platform/services/event_edit_view_controller.hpp"
#include "vistrel/platform/services/event_store.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace vistrel {

// Asks `store` for calendar access; once granted (on the answer's queue) reads the
// event, then on the main queue builds the event editor with a store on the same folder,
// the delegate and the event, and presents it, animated, over the screen on show
// (presenting_screen.hpp). Refused access or an error shows nothing (a log line). A
// target gone by then, or out of any window, gets a line and no editor.
void launchCalendarEvent(const std::shared_ptr<platform::ui::ViewController>& target, std::string text,
                         const platform::services::EventStore& store,
                         std::weak_ptr<platform::services::EventEditViewDelegate> delegate);

}  // namespace vistrel
