#include "vistrel/platform/services/event_edit_view_controller.hpp"

#include <chrono>
#include <cstdio>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/bar_button_item.hpp"

namespace platform::services {

namespace {

using namespace std::chrono;

std::shared_ptr<ui::ViewController> makeFieldScreen() {
    auto screen = std::make_shared<ui::ViewController>();
    screen->setView(std::make_shared<FieldListView>());
    screen->setTitle("New Event");
    return screen;
}

std::string dayText(EventDate time) {
    const year_month_day ymd{floor<days>(time)};
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buffer;
}

std::string timeText(const Event& event, const std::optional<EventDate>& time) {
    if (!time) return {};
    std::string text = dayText(*time);
    if (event.allDay) return text;
    const hh_mm_ss<seconds> clock{*time - floor<days>(*time)};
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " %02d:%02d", static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()));
    text.append(buffer);
    if (event.timeZone) text.append(" ").append(*event.timeZone);
    return text;
}

std::string repetitionText(const RecurrenceRule& rule) {
    static const char* const units[] = {"day", "week", "month", "year"};
    std::string text("Every ");
    if (rule.interval != 1) text.append(std::to_string(rule.interval)).append(" ");
    text.append(units[static_cast<int>(rule.frequency)]);
    if (rule.interval != 1) text.append("s");
    if (rule.recurrenceEnd && rule.recurrenceEnd->occurrenceCount)
        text.append(", ").append(std::to_string(*rule.recurrenceEnd->occurrenceCount)).append(" times");
    else if (rule.recurrenceEnd && rule.recurrenceEnd->endDate)
        text.append(", until ").append(dayText(*rule.recurrenceEnd->endDate));
    return text;
}

}  // namespace

std::vector<DisplayedField> eventFields(const Event& event) {
    std::vector<DisplayedField> fields;
    appendField(fields, "Title", event.title.value_or(""));
    appendField(fields, "Location", event.location.value_or(""));
    appendField(fields, "Starts", timeText(event, event.startDate));
    appendField(fields, "Ends", timeText(event, event.endDate));
    if (event.allDay) appendField(fields, "All-day", "Yes");
    appendField(fields, "URL", event.url.value_or(""));
    for (const RecurrenceRule& rule : event.recurrenceRules) appendField(fields, "Repeat", repetitionText(rule));
    appendField(fields, "Notes", event.notes.value_or(""));
    return fields;
}

EventEditViewController::EventEditViewController()
    : NavigationController(makeFieldScreen()),
      fieldList_(std::static_pointer_cast<FieldListView>(viewControllers().front()->view())) {
    fieldList_->setFields(eventFields(event_));
    // The fields start under the bar rather than behind it.
    navigationBar().setTranslucent(false);
}

void EventEditViewController::viewDidLoad() {
    NavigationController::viewDidLoad();
    auto self = std::static_pointer_cast<EventEditViewController>(shared_from_this());
    auto cancel = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::cancel);
    cancel->setTarget(self, &EventEditViewController::cancelEditing);
    auto add = std::make_shared<ui::BarButtonItem>("Add", ui::BarButtonItemStyle::done);
    add->setTarget(self, &EventEditViewController::addTapped);
    ui::NavigationItem& item = viewControllers().front()->navigationItem();
    item.setLeftBarButtonItem(cancel);
    item.setRightBarButtonItem(add);
}

void EventEditViewController::setEvent(Event event) {
    event_ = std::move(event);
    fieldList_->setFields(eventFields(event_));
}

bool EventEditViewController::saveEvent() {
    if (!store_) {
        log("EventEditViewController :: no event store, the event is not saved");
        return false;
    }
    if (std::optional<Error> error = store_->saveEvent(event_)) {
        log(std::string("EventEditViewController :: the event is not saved: ").append(error->description()));
        return false;
    }
    finish(EventEditViewAction::saved);
    return true;
}

void EventEditViewController::cancelEditing() { finish(EventEditViewAction::canceled); }

bool EventEditViewController::deleteEvent() {
    if (!store_ || store_->removeEvent(event_)) return false;
    event_.eventIdentifier.reset();
    finish(EventEditViewAction::deleted);
    return true;
}

void EventEditViewController::finish(EventEditViewAction action) {
    // The delegate usually dismisses the editor; keep it alive through the call.
    auto self = shared_from_this();
    if (auto delegate = delegate_.lock()) delegate->eventEditViewController(*this, action);
}

}  // namespace platform::services
