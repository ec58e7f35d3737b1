#pragma once
// Photo files that stopped runs left beside the photos. Three kinds, told apart by their
// marks: a photo being written is "<name>.jpg.tmp-<number>" until it is renamed to its
// name, or "<name>.jpg.staged-<number>" until its record's save puts it there, and the
// photo a new one replaces is set aside whole (a link too, never followed) under a name
// that keeps its own modification time (set_aside_photo.hpp) until the new record is
// saved (photo_name.hpp). A run killed in between leaves them behind for
// good. Only those patterns are touched, only directly in the folder, only regular files
// and links, and only those too old for any live save, of this host or another sharing
// the folder, to own (platform::staleTemporaryAge). Only a regular file ever takes a
// photo's name: a link left under either mark goes (the link alone, never what it points
// to).
#include <cstddef>
#include <filesystem>
#include <string_view>

#include "vistrel/platform/store/managed_object_context.hpp"

namespace vistrel {

// True for a name of any of those patterns.
bool isTemporaryPhotoName(std::string_view name);

// Clears the stale photo files of the folder. What gives a photo's name back or decides by
// the records is done under the store's write lock, the records looked up under it (and
// left for a later opening when another host holds the lock: the opening never waits for
// it); the rest is removed at once:
// - one set aside takes its name back when nothing has it, or when what has it is no
//   record's photo (the new photo of a record never saved, or half of one a host's
//   savePicture wrote in place) and is stale too; it goes when a record's photo has the
//   name (that record was saved with the new photo), and, set aside by this version
//   (which sets aside no record's photo), when a record of its name was saved since,
//   however free the name. Its own modification time is set back first, from its name
//   (or, set aside by an earlier version, its access time). The records are read only
//   when such a name is taken, or one of this version's was set aside from it.
// - one being written is half a photo, or a whole one whose record was never saved: it
//   goes. One an earlier version set aside under that pattern takes its name back only
//   when nothing has the name and it is a file that ends as a whole JPEG or PNG does
//   (platform::graphics::endsAsAWholePicture).
// - one staged is a photo whose record was never saved: it goes.
// The takeover of what an earlier version left (earlier_shared_data.hpp) moves a record's
// photo under a temporary's name only where this puts it back, so the two must agree.
// Gives how many were cleared.
std::size_t clearStalePhotoFiles(const std::filesystem::path& folder, platform::store::ManagedObjectContext& context);

}  // namespace vistrel
