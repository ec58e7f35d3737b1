#include "vistrel/screens/gallery/store_picture.hpp"

#include <string>

#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

void logGalleryFailure(std::string_view context, std::string_view happened, const char* what) noexcept try {
    std::string line = "gallery :: ";
    line.append(context).append(": ").append(happened);
    if (what && *what) line.append(": ").append(platform::excerptOnOneLine(what, 512, 4));
    platform::log(line);
} catch (...) {
    // Out of memory while saying it: nothing more can be said.
}

StorePicture askStoreForPicture(PersistanceController& store, std::string_view key, std::string_view context) {
    StorePicture answer;
    bool threw = false, leftToTheKit = false;
    answer.picture = guardedPicture(
        [&] {
            PersistanceController::PictureReadScope scope(store, key);
            auto picture = store.getPicture(key);
            leftToTheKit = scope.leftToTheKit();
            return picture;
        },
        context, "the store's getPicture threw", &threw);
    // An override that failed after reaching the base answered nothing: no photo.
    answer.readByTheKit = !answer.picture && !threw && leftToTheKit;
    return answer;
}

std::optional<platform::graphics::Image> readKitsPicture(PersistanceController& store, std::string_view key,
                                                         std::string_view context) {
    return guardedPicture([&] { return store.PersistanceController::getPicture(key); }, context,
                          "reading its file threw");
}

}  // namespace vistrel
