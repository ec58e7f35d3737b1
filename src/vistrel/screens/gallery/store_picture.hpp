#pragma once
// A record's photo as the gallery asks its store for it. Every store is asked through its
// getPicture on the main thread, inside a PictureReadScope for the record's key
// (persistance_controller.hpp): a host's override answers as it will, and where the kit's
// own getPicture is reached for that key, nothing is decoded there; the caller reads the
// file the kit's way off the main thread.
#include <exception>
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

struct StorePicture {
    std::optional<platform::graphics::Image> picture;  // what the store's getPicture gave
    bool readByTheKit = false;  // nothing given, and the kit's own getPicture was reached for the key
};

// The store's answer, asked on the calling thread (the main thread). Nothing thrown on the
// way (a host's store, memory refused) leaves the call: a line is logged, `context` then
// what happened (that the store's getPicture threw, with the exception's own words where
// it has them), and nothing is answered.
StorePicture askStoreForPicture(PersistanceController& store, std::string_view key, std::string_view context);

// The photo file read whole by the kit's own getPicture, whatever overrides it (from any
// thread: it reads the file alone); a throw is logged as above.
std::optional<platform::graphics::Image> readKitsPicture(PersistanceController& store, std::string_view key,
                                                         std::string_view context);

// Logs "gallery :: <context>: <what happened>", then the exception's own words, when
// there are some, as text from outside: escaped, and only their start when long. Never
// throws.
void logGalleryFailure(std::string_view context, std::string_view happened, const char* what) noexcept;

// The picture `make` gives; none, logged as above, when it throws (and `threw` set).
template <class Make>
std::optional<platform::graphics::Image> guardedPicture(Make make, std::string_view context, std::string_view happened,
                                                        bool* threw = nullptr) {
    try {
        return make();
    } catch (const std::exception& e) {
        logGalleryFailure(context, happened, e.what());
    } catch (...) {
        logGalleryFailure(context, happened, nullptr);
    }
    if (threw) *threw = true;
    return std::nullopt;
}

}  // namespace vistrel
