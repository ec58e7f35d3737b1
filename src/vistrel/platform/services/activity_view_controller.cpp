#include "vistrel/platform/services/activity_view_controller.hpp"

#include <algorithm>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::services {

namespace {
const char* kindCaption(ActivityItem::Kind kind) {
    switch (kind) {
    case ActivityItem::Kind::text: return "Text";
    case ActivityItem::Kind::address: return "Address";
    case ActivityItem::Kind::image: return "Image";
    }
    return "";
}
}  // namespace

ActivityViewController::ActivityViewController(std::vector<ActivityItem> activityItems)
    : ServiceScreen("Share", "Cancel", std::nullopt),
      items_(std::move(activityItems)),
      activities_{activityTypeMessage, activityTypeMail, activityTypeCopy} {}

bool ActivityViewController::perform(const std::string& activityType) {
    if (std::find(activities_.begin(), activities_.end(), activityType) == activities_.end()) {
        log(concatenate("ActivityViewController :: no activity \"", escapeControlCharacters(activityType), "\""));
        return false;
    }
    return close(activityType);
}

bool ActivityViewController::cancel() { return close(std::nullopt); }

bool ActivityViewController::close(std::optional<std::string> activityType) {
    return finishOnce("ActivityViewController", [&] {
        chosen_ = activityType;
        log(concatenate("ActivityViewController :: ", activityType ? *activityType : std::string("cancelled")));
        auto self = std::static_pointer_cast<ActivityViewController>(shared_from_this());
        dismiss(true, [self, activityType] {
            if (self->completion_) self->completion_(activityType, activityType.has_value());
        });
        return true;
    });
}

std::string ActivityViewController::summary() const {
    std::string text = "share";
    if (items_.empty()) text += " (no items)";
    for (std::size_t i = 0; i < items_.size(); ++i) text += concatenate(i == 0 ? " " : "; ", items_[i].description());
    return text;
}

std::vector<ServiceScreen::Row> ActivityViewController::rows() const {
    std::vector<Row> rows;
    for (const auto& item : items_)
        rows.push_back({kindCaption(item.kind), item.kind == ActivityItem::Kind::image ? item.description() : item.text,
                        item.image});
    if (items_.empty()) rows.push_back({"Items", "(none)", std::nullopt});
    std::string offered;
    for (const auto& activity : activities_) offered += concatenate(offered.empty() ? "" : ", ", activity);
    rows.push_back({"Share with", offered, std::nullopt});
    return rows;
}

}  // namespace platform::services
