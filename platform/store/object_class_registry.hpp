#pragma once
// The store's side of the object class registry: a new object of a registered class,
// or a plain ManagedObject for a class nobody registered.
#include <memory>
#include <string_view>

#include "platform/store/managed_object.hpp"

namespace platform::store {

std::shared_ptr<ManagedObject> makeObjectOfClass(std::string_view className);

}  // namespace platform::store
