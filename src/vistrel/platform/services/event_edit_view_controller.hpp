#pragma once
// The event editor: a navigation controller whose screen shows the event's fields under
// "Cancel" and "Add". Adding saves the event through the editor's store (its calendar
// file is written) and tells the delegate "saved"; cancelling tells it "cancelled";
// deleting a saved event removes its file and tells it "deleted". The delegate is held
// weakly and is the one to dismiss the editor. Main thread only.
#include <memory>
#include <optional>
#include <vector>

#include "vistrel/platform/services/contact_field_list.hpp"
#include "vistrel/platform/services/event.hpp"
#include "vistrel/platform/services/event_store.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"

namespace platform::services {

enum class EventEditViewAction { canceled, saved, deleted };

class EventEditViewController;

class EventEditViewDelegate {
public:
    virtual ~EventEditViewDelegate() = default;
    virtual void eventEditViewController(EventEditViewController& controller, EventEditViewAction action) = 0;
};

class EventEditViewController : public ui::NavigationController {
public:
    EventEditViewController();

    const std::optional<EventStore>& eventStore() const { return store_; }
    void setEventStore(std::optional<EventStore> store) { store_ = std::move(store); }
    const Event& event() const { return event_; }
    // Shows the event's fields.
    void setEvent(Event event);
    std::shared_ptr<EventEditViewDelegate> editViewDelegate() const { return delegate_.lock(); }
    void setEditViewDelegate(std::weak_ptr<EventEditViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // The rows the editor shows, in order.
    const std::vector<DisplayedField>& displayedFields() const { return fieldList_->fields(); }

    // What "Add" does: saves the event, then tells the delegate. False, with a line and
    // the editor left open, when there is no store or the file cannot be written.
    bool saveEvent();
    // What "Cancel" does.
    void cancelEditing();
    // Removes a saved event's file, then tells the delegate. False when it was not saved.
    bool deleteEvent();

    void viewDidLoad() override;

private:
    void addTapped() { saveEvent(); }
    void finish(EventEditViewAction action);

    std::shared_ptr<FieldListView> fieldList_;
    std::optional<EventStore> store_;
    Event event_;
    std::weak_ptr<EventEditViewDelegate> delegate_;
};

// The rows an event shows: title, location, start and end, all-day, time zone, address,
// repetition and notes; empty values are left out.
std::vector<DisplayedField> eventFields(const Event& event);

}  // namespace platform::services
