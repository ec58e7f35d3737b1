#pragma once
// The set of faces text layout chooses from.
namespace platform::graphics {

// Makes text layout see only the fonts the registry hands it (now and later) and DejaVu
// Sans, which also stands in for every family it does not have, so that the machine's
// own fonts cannot change measurements. Meant for tests and snapshot runs; call it
// before laying out text. Calling it again does nothing.
void useIsolatedFontConfiguration();

}  // namespace platform::graphics
