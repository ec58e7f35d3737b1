#include "vistrel/platform/net/url_error.hpp"

namespace platform::net {

Error makeURLError(long code, std::string_view description, std::string_view url) {
    Error error{std::string(URLErrorDomain), code, {}};
    error.userInfo.emplace(localizedDescriptionKey, description);
    error.userInfo.emplace(failingURLStringKey, url);
    return error;
}

}  // namespace platform::net
