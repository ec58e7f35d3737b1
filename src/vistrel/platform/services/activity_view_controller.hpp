#pragma once
// The share sheet: the items it was given (texts, addresses, images), in order, and the
// activities the user may pick, with Cancel. Picking an activity or cancelling closes the
// sheet; when the dismissal ends the completion hears which activity (none on cancel) and
// whether it completed. perform() and cancel() stand in for the user. Where the sheet is
// shown as a popover it points at its anchor, kept as data. Main thread only.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/services/activity_item.hpp"
#include "vistrel/platform/services/service_screen.hpp"
#include "vistrel/platform/ui/popover_anchor.hpp"

namespace platform::services {

// What the sheet offers, by name.
inline constexpr const char* activityTypeMessage = "message";
inline constexpr const char* activityTypeMail = "mail";
inline constexpr const char* activityTypeCopy = "copy";

using ui::PopoverAnchor;

class ActivityViewController : public ServiceScreen {
public:
    using Completion = std::function<void(const std::optional<std::string>& activityType, bool completed)>;

    explicit ActivityViewController(std::vector<ActivityItem> activityItems);

    const std::vector<ActivityItem>& activityItems() const { return items_; }
    const std::vector<std::string>& availableActivityTypes() const { return activities_; }

    const Completion& completionWithItemsHandler() const { return completion_; }
    void setCompletionWithItemsHandler(Completion completion) { completion_ = std::move(completion); }

    const std::optional<PopoverAnchor>& anchor() const { return anchor_; }
    void setAnchor(PopoverAnchor anchor) { anchor_ = std::move(anchor); }

    // The user picks an activity: the sheet closes, then the completion hears it as
    // completed. False, with a log line, for an activity the sheet does not offer, or when
    // the sheet is not shown or has already finished.
    bool perform(const std::string& activityType);
    // The user cancels: the sheet closes, then the completion hears no activity, not completed.
    bool cancel();
    // The activity picked, once the sheet has finished (none after a cancel).
    const std::optional<std::string>& chosenActivityType() const { return chosen_; }

    // One line for logs and the demo: the items, in order.
    std::string summary() const override;

protected:
    std::vector<Row> rows() const override;
    void leftTapped() override { cancel(); }

private:
    bool close(std::optional<std::string> activityType);

    std::vector<ActivityItem> items_;
    std::vector<std::string> activities_;
    Completion completion_;
    std::optional<PopoverAnchor> anchor_;
    std::optional<std::string> chosen_;
};

}  // namespace platform::services
