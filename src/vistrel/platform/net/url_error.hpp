#pragma once
// The errors a transfer ends with, in the URL error domain, and how they are made.
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/error.hpp"

namespace platform::net {

inline constexpr std::string_view URLErrorDomain = "NSURLErrorDomain";
// User-information keys of a URL error.
inline constexpr std::string_view localizedDescriptionKey = "NSLocalizedDescription";
inline constexpr std::string_view failingURLStringKey = "NSErrorFailingURLStringKey";

namespace URLError {
inline constexpr long unknown = -1;
inline constexpr long cancelled = -999;
inline constexpr long badURL = -1000;
inline constexpr long timedOut = -1001;
inline constexpr long unsupportedURL = -1002;
inline constexpr long cannotFindHost = -1003;
inline constexpr long cannotConnectToHost = -1004;
inline constexpr long networkConnectionLost = -1005;
inline constexpr long httpTooManyRedirects = -1007;
inline constexpr long secureConnectionRequired = -1022;  // a plain http address where https is owed
inline constexpr long dataLengthExceedsMaximum = -1103;
inline constexpr long secureConnectionFailed = -1200;
inline constexpr long serverCertificateUntrusted = -1202;
}  // namespace URLError

Error makeURLError(long code, std::string_view description, std::string_view url);

}  // namespace platform::net
