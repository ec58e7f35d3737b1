// The scan pipeline: both jobs start on the same photo, each fills its own slot, and
// the merge runs on the main queue once both have reported.
#include "vistrel/service/picture_scanner.hpp"

#include <memory>

#include "vistrel/platform/dispatch/group.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

struct Slots {
    std::optional<Image> server;
    std::optional<Image> qr;
    bool serviceFailed = false;  // no answer, or one other than 2xx
};

// One image is the answer as it came. With both, the server image carries its own
// actions and then the codes' actions; an image without an action list adds none, so a
// recognised page without actions still shows the codes found on it.
void merge(Slots& slots, const PictureScanner::Completion& completion) {
    if (slots.server && !slots.qr) return completion(std::move(slots.server), std::nullopt);
    if (!slots.server && slots.qr) return completion(std::move(slots.qr), std::nullopt);
    if (!slots.server)
        return completion(std::nullopt,
                          slots.serviceFailed ? VistrelError::serviceUnavailable : VistrelError::notEnrichedImage);
    auto& actions = slots.server->actions;
    if (!actions) actions.emplace();
    if (slots.qr->actions)
        for (auto& action : *slots.qr->actions) actions->push_back(std::move(action));
    completion(std::move(slots.server), std::nullopt);
}

}  // namespace

void PictureScanner::groupedRequests(const Photo& photo, Completion completion) const {
    auto slots = std::make_shared<Slots>();
    platform::dispatch::Group group;

    // Each enter comes before its job starts, and the merge is registered after both
    // have started, so it cannot run early even if a job reports before returning.
    group.enter();
    scanPicture(photo, [slots, group](std::optional<Image> image, std::optional<platform::Error> error) {
        if (image) slots->server = std::move(image);
        slots->serviceFailed = error.has_value();
        group.leave();
    });
    group.enter();
    searchBarCode(photo, [slots, group](std::optional<Image> image, std::optional<platform::Error>) {
        if (image) slots->qr = std::move(image);
        group.leave();
    });
    group.notify(platform::dispatch::main(), [slots, completion = std::move(completion)] {
        platform::log("Finished all requests");
        if (completion) merge(*slots, completion);
    });
}

}  // namespace vistrel
