#pragma once
// A record's photo as the gallery asks its store for it. Every store is asked through its
// getPicture on the main thread, inside a PictureReadScope for the record's key
// (persistance_controller.hpp): a host's override answers as it will, and where the kit's
// own getPicture is reached for that key, nothing is decoded there; the caller reads the
// file the kit's way off the main thread.
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
// way (a host's store, memory refused) leaves the call: the line `failure` is logged and
// nothing is answered.
StorePicture askStoreForPicture(PersistanceController& store, std::string_view key, std::string_view failure);

// The photo file read whole by the kit's own getPicture, whatever overrides it (from any
// thread: it reads the file alone); thrown errors as above.
std::optional<platform::graphics::Image> readKitsPicture(PersistanceController& store, std::string_view key,
                                                         std::string_view failure);

}  // namespace vistrel
