#include "vistrel/platform/services/geocoder.hpp"

#include <algorithm>
#include <memory>
#include <mutex>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::services {

namespace {

struct Registry {
    std::mutex mutex;
    Geocoder::Service service;
    std::vector<std::string> requests;
};

Registry& registry() {
    static auto* shared = new Registry;  // outlives every queue's last block
    return *shared;
}

bool isBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); });
}

}  // namespace

Error geocoderError(GeocoderErrorCode code) {
    Error error{geocoderErrorDomain, static_cast<long>(code), {}};
    error.userInfo["NSLocalizedDescription"] = code == GeocoderErrorCode::noService
                                                   ? "No geocoding service is configured"
                                                   : "No place was found for the address";
    return error;
}

Geocoder::Service Geocoder::setService(Service service) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    std::swap(r.service, service);
    return service;
}

std::vector<std::string> Geocoder::requestedAddresses() {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.requests;
}

void Geocoder::clearRequestedAddresses() {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.requests.clear();
}

void Geocoder::geocodeAddressString(std::string address, Completion completion) {
    Service service;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        r.requests.push_back(address);
        service = r.service;
    }
    log(concatenate("Geocoder :: ", escapeControlCharacters(address)));
    auto shared = std::make_shared<Completion>(std::move(completion));
    auto answer = [shared](std::vector<Placemark> placemarks, std::optional<Error> error) {
        dispatch::main().async([shared, placemarks = std::move(placemarks), error = std::move(error)]() mutable {
            if (*shared) (*shared)(std::move(placemarks), std::move(error));
        });
    };
    if (!service) return answer({}, geocoderError(GeocoderErrorCode::noService));
    if (isBlank(address)) return answer({}, geocoderError(GeocoderErrorCode::noResult));
    dispatch::global().async([service = std::move(service), address = std::move(address), answer] {
        Answer result = geocoderError(GeocoderErrorCode::noResult);
        try {
            result = service(address);
        } catch (...) {
            log("Geocoder :: the geocoding service failed with an exception");
        }
        if (auto* error = std::get_if<Error>(&result)) return answer({}, *error);
        auto placemarks = std::get<std::vector<Placemark>>(std::move(result));
        if (placemarks.empty()) return answer({}, geocoderError(GeocoderErrorCode::noResult));
        answer(std::move(placemarks), std::nullopt);
    });
}

}  // namespace platform::services
