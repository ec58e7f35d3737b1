#include "vistrel/screens/gallery/store_picture.hpp"

#include <exception>
#include <string>

#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

// None, with what happened logged, when the read throws (and `threw` set).
template <class Read>
std::optional<platform::graphics::Image> guarded(Read read, std::string_view context, std::string_view happened,
                                                 bool* threw = nullptr) {
    try {
        return read();
    } catch (const std::exception& e) {
        logGalleryFailure(context, happened, e.what());
    } catch (...) {
        logGalleryFailure(context, happened, nullptr);
    }
    if (threw) *threw = true;
    return std::nullopt;
}

}  // namespace

void logGalleryFailure(std::string_view context, std::string_view happened, const char* what) noexcept try {
    std::string line = "gallery :: ";
    line.append(context).append(": ").append(happened);
    if (what && *what) line.append(": ").append(platform::excerptOnOneLine(what, 512, 4));
    platform::log(line);
} catch (...) {
    // Out of memory while saying it: nothing more can be said.
}

StorePicture askStoreForPicture(PersistanceController& store, std::string_view key, std::string_view context) {
    PersistanceController::PictureReadScope scope(store, key);
    StorePicture answer;
    bool threw = false;
    answer.picture = guarded([&] { return store.getPicture(key); }, context, "the store's getPicture threw", &threw);
    // An override that failed after reaching the base answered nothing: no photo.
    answer.readByTheKit = !answer.picture && !threw && scope.leftToTheKit();
    return answer;
}

std::optional<platform::graphics::Image> readKitsPicture(PersistanceController& store, std::string_view key,
                                                         std::string_view context) {
    return guarded([&] { return store.PersistanceController::getPicture(key); }, context, "reading its file threw");
}

}  // namespace vistrel
