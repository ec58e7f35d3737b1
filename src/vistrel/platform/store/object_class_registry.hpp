#pragma once
// The store's side of the object class registry: what makes the objects of a class.
#include <memory>
#include <string_view>

#include "vistrel/platform/store/managed_object.hpp"

namespace platform::store {

// The factory registered for the class; one that makes plain objects when there is none.
ObjectFactory objectFactory(std::string_view className);

}  // namespace platform::store
