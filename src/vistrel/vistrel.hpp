#pragma once
// What a host application includes: the kit's entry (the API key and the screen
// factories), the kit's error, the platform pieces a host needs to show the screens it is
// given (a window, the navigation controller, the main run loop, and drawing a window into
// a PNG file), and the settings of the camera stand-in (its authorisation and the picture
// files it photographs).
#include "vistrel/core/vistrel_error.hpp"
#include "vistrel/entry/vistrel.hpp"
#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"
