#include <gtest/gtest.h>

#include "service_waiting.hpp"
#include "support/recognition_service.hpp"
#include "vistrel/platform/net/reachability_flags.hpp"
#include "vistrel/service/client.hpp"
#include "vistrel/service/reachability.hpp"

namespace {

namespace flags = platform::net::ReachabilityFlags;

// The network the device presents, for the life of the object.
struct SimulatedNetwork {
    explicit SimulatedNetwork(platform::net::ReachabilityFlagWord word) { platform::net::setSimulatedNetwork(word); }
    ~SimulatedNetwork() { platform::net::setSimulatedNetwork(std::nullopt); }
};

}  // namespace

// What the recognition service is told of the device, as it arrives: the screen in whole
// points (portrait, the platform's screen left as it is), and "WiFi" only over a local
// network; no network, or a cellular one without a known radio, gives an empty value.
TEST(DeviceHeadersTest, TheServiceSeesTheScreenInPointsAndTheConnectionKind) {
    if (vistrel::Reachability::make()->startNotifier())
        GTEST_SKIP() << "route changes cannot be watched here, so no connection kind is ever reported";
    testsupport::RecognitionService service;
    service.server.answer({200, "{}", {}});
    const std::pair<platform::net::ReachabilityFlagWord, const char*> networks[] = {
        {flags::reachable, "WiFi"}, {0, ""}, {flags::reachable | flags::isWWAN, ""}, {flags::reachable, "WiFi"}};
    std::size_t sent = 0;
    for (const auto& [network, connectivity] : networks) {
        SimulatedNetwork simulated(network);
        servicetest::Calls calls;
        vistrel::Client::enrichedImage(servicetest::photo(), "image.jpeg", "en", std::nullopt,
                                       [&](auto data, auto) { calls.record(std::move(data)); });
        ASSERT_TRUE(calls.waitForOne() && service.server.waitForRequests(++sent));
        const auto request = service.server.requests().back();
        EXPECT_EQ(std::tuple(request.header("DeviceScreenWidth"), request.header("DeviceScreenHeight"),
                             request.header("DeviceConnectivity")),
                  std::tuple("375", "667", connectivity))
            << network;
    }
}
