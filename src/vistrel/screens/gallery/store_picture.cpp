#include "vistrel/screens/gallery/store_picture.hpp"

#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

// None, with the line logged, when the read throws (and `threw` set).
template <class Read>
std::optional<platform::graphics::Image> guarded(Read read, std::string_view failure, bool* threw = nullptr) {
    try {
        return read();
    } catch (...) {
        platform::log(failure);
        if (threw) *threw = true;
        return std::nullopt;
    }
}

}  // namespace

StorePicture askStoreForPicture(PersistanceController& store, std::string_view key, std::string_view failure) {
    PersistanceController::PictureReadScope scope(store, key);
    StorePicture answer;
    bool threw = false;
    answer.picture = guarded([&] { return store.getPicture(key); }, failure, &threw);
    // An override that failed after reaching the base answered nothing: no photo.
    answer.readByTheKit = !answer.picture && !threw && scope.leftToTheKit();
    return answer;
}

std::optional<platform::graphics::Image> readKitsPicture(PersistanceController& store, std::string_view key,
                                                         std::string_view failure) {
    return guarded([&] { return store.PersistanceController::getPicture(key); }, failure);
}

}  // namespace vistrel
