#pragma once
// The geocoder: an address text to placemarks. The answer never comes inside the call:
// the lookup runs on a global queue and its completion on the main queue, even when the
// geocoder object is gone by then. The lookup itself is a service the host configures,
// process-wide; with none configured (the default) every address is answered with the
// error `noService`, so callers take their own fall-back. Every request is recorded.
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/services/coordinate.hpp"

namespace platform::services {

// The domain of the geocoder's errors, and their codes.
inline constexpr const char* geocoderErrorDomain = "GeocoderErrorDomain";
enum class GeocoderErrorCode : long { noService = 1, noResult = 2 };

class Geocoder {
public:
    // What a configured service gives for an address: placemarks (none: no result) or an
    // error. It runs on a global queue and may block.
    using Answer = std::variant<std::vector<Placemark>, Error>;
    using Service = std::function<Answer(const std::string& address)>;
    // Placemarks (empty with an error) and the error, on the main queue.
    using Completion = std::function<void(std::vector<Placemark> placemarks, std::optional<Error> error)>;

    // Installs the service for every geocoder (an empty one: none) and gives the previous.
    static Service setService(Service service);

    // A blank address is answered with `noResult` without asking the service; an empty list
    // of placemarks from the service, too.
    void geocodeAddressString(std::string address, Completion completion);

    // The addresses asked for, by every geocoder, oldest first.
    static std::vector<std::string> requestedAddresses();
    static void clearRequestedAddresses();
};

// The geocoder's error with that code, with a description.
Error geocoderError(GeocoderErrorCode code);

}  // namespace platform::services
