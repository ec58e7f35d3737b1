#include "vistrel/platform/ui/main_thread_check.hpp"

#include <cstdlib>
#include <string>

#include "vistrel/platform/foundation/log.hpp"

namespace platform::ui::detail {

void mainThreadViolation(const char* entry) {
    std::string line = "UI :: ";
    line += entry;
    line += " called off the main thread; screens are used on the main thread only";
    log(line);
    std::abort();
}

}  // namespace platform::ui::detail
