#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/geocoder.hpp"

using namespace platform::services;

namespace {

struct Heard {
    bool called = false;
    bool onMain = false;
    std::vector<Placemark> placemarks;
    std::optional<platform::Error> error;
};

// Asks, checks nothing came inside the call, then waits for the answer on the main queue.
Heard ask(const std::string& address) {
    auto heard = std::make_shared<Heard>();
    {
        Geocoder geocoder;  // gone before the answer comes
        geocoder.geocodeAddressString(address, [heard](std::vector<Placemark> p, std::optional<platform::Error> e) {
            heard->called = true;
            heard->onMain = platform::dispatch::isMainThread();
            heard->placemarks = std::move(p);
            heard->error = std::move(e);
        });
    }
    EXPECT_FALSE(heard->called);
    EXPECT_TRUE(platform::dispatch::RunLoop::runUntil([&] { return heard->called; }, std::chrono::minutes(2)));
    return *heard;
}

class GeocoderTest : public ::testing::Test {
protected:
    void SetUp() override { Geocoder::clearRequestedAddresses(); }
    void TearDown() override { Geocoder::setService({}); }
    platform::LogCapture log;
};

}  // namespace

TEST_F(GeocoderTest, AnswersComeOnTheMainQueueWithOrWithoutAService) {
    auto heard = ask("1 Main Street");  // no service: every address is an error
    EXPECT_TRUE(heard.onMain && heard.placemarks.empty());
    ASSERT_TRUE(heard.error);
    EXPECT_EQ(std::pair(heard.error->domain, heard.error->code),
              std::pair(std::string(geocoderErrorDomain), static_cast<long>(GeocoderErrorCode::noService)));
    EXPECT_EQ(Geocoder::requestedAddresses(), std::vector<std::string>{"1 Main Street"});

    const auto mainThread = std::this_thread::get_id();
    Geocoder::setService([mainThread](const std::string& address) -> Geocoder::Answer {
        EXPECT_NE(std::this_thread::get_id(), mainThread);  // the lookup may block: not on main
        if (address == "Paris") return std::vector<Placemark>{{"Paris", Coordinate{48.8566, 2.3522}}};
        if (address == "Nowhere") return std::vector<Placemark>{};
        return platform::Error{"Lookup", 7, {}};
    });
    const struct {
        std::string address;
        std::size_t placemarks;
        std::optional<long> code;
    } cases[] = {
        {"Paris", 1, std::nullopt},
        {"Nowhere", 0, static_cast<long>(GeocoderErrorCode::noResult)},
        {" \t", 0, static_cast<long>(GeocoderErrorCode::noResult)},  // blank: the service is not asked
        {"Atlantis", 0, 7},
    };
    for (const auto& c : cases) {
        auto heard = ask(c.address);
        EXPECT_TRUE(heard.onMain) << c.address;
        EXPECT_EQ(heard.placemarks.size(), c.placemarks) << c.address;
        EXPECT_EQ(heard.error ? std::optional<long>(heard.error->code) : std::nullopt, c.code) << c.address;
    }
    EXPECT_EQ(ask("Paris").placemarks.front().location, (Coordinate{48.8566, 2.3522}));
}
