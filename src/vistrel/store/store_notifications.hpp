#pragma once
// What the history store tells the screens: after each successful save, both names are
// posted on the default notification centre with the store's context as sender.
#include <string_view>

namespace vistrel {

inline constexpr std::string_view managedObjectContextDidSaveNotification = "NSManagedObjectContextDidSave";
inline constexpr std::string_view managedObjectContextObjectsDidChangeNotification =
    "NSManagedObjectContextObjectsDidChange";

}  // namespace vistrel
