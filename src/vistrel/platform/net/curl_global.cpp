#include "vistrel/platform/net/curl_global.hpp"

#include <curl/curl.h>

#include <mutex>

namespace platform::net {

void ensureCurlGlobalInit() {
    // Never undone: transfers on other threads may run until the process ends.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace platform::net
