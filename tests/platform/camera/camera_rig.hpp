#pragma once
// A running session on the simulated back camera with a still output, and a way to
// wait for one capture's answer.
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/camera/camera_simulation.hpp"
#include "platform/camera/capture_connection.hpp"
#include "platform/camera/capture_device.hpp"
#include "platform/camera/capture_device_input.hpp"
#include "platform/camera/capture_session.hpp"
#include "platform/camera/still_image_output.hpp"

namespace cameratest {

namespace camera = platform::camera;

// What one capture request called back with, and where.
struct Delivery {
    std::optional<camera::SampleBuffer> buffer;
    std::optional<platform::Error> error;
    std::thread::id thread;
    bool onDeliveryQueue = false;
    std::optional<std::string> jpeg() const {
        return buffer ? camera::StillImageOutput::jpegStillImageDataRepresentation(*buffer) : std::nullopt;
    }
};

struct Rig {
    std::shared_ptr<camera::CaptureSession> session = std::make_shared<camera::CaptureSession>();
    std::shared_ptr<camera::StillImageOutput> output = std::make_shared<camera::StillImageOutput>();

    Rig() {
        const camera::DeviceDiscoverySession discovery({camera::DeviceType::builtInWideAngleCamera},
                                                       camera::MediaType::video, camera::DevicePosition::back);
        if (!discovery.devices().empty()) {
            auto input = camera::CaptureDeviceInput::make(discovery.devices().front());
            if (auto* made = std::get_if<std::shared_ptr<camera::CaptureDeviceInput>>(&input)) session->addInput(*made);
        }
        session->addOutput(output);
        // Starting blocks on a phone; it is done off the main thread, as a host does.
        std::thread([this] { session->startRunning(); }).join();
    }

    Delivery capture() { return captureThrough(output->connection(camera::MediaType::video)); }

    Delivery captureThrough(const std::shared_ptr<camera::CaptureConnection>& connection) {
        auto answer = std::make_shared<std::promise<Delivery>>();
        auto queue = output->deliveryQueue();
        output->captureStillImageAsynchronously(connection, [answer, queue](std::optional<camera::SampleBuffer> buffer,
                                                                            std::optional<platform::Error> error) {
            answer->set_value(
                Delivery{std::move(buffer), std::move(error), std::this_thread::get_id(), queue.isCurrent()});
        });
        auto future = answer->get_future();
        EXPECT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        return future.get();
    }
};

// Resets the simulation around each test.
class CameraTest : public ::testing::Test {
protected:
    void SetUp() override { camera::resetCameraSimulation(); }
    void TearDown() override { camera::resetCameraSimulation(); }
};

}  // namespace cameratest
