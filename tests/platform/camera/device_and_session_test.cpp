// Cameras found by discovery and their configuration lock; sessions that take or refuse
// inputs and outputs; the authorisation the host sets.
#include <thread>

#include <gtest/gtest.h>

#include "camera_rig.hpp"
#include "platform/foundation/log.hpp"

namespace cameratest {
namespace {

using camera::DevicePosition;
using camera::FocusMode;

std::vector<std::shared_ptr<camera::CaptureDevice>> discover(DevicePosition position) {
    return camera::DeviceDiscoverySession({camera::DeviceType::builtInWideAngleCamera}, camera::MediaType::video,
                                          position)
        .devices();
}

class DeviceTest : public CameraTest {};

TEST_F(DeviceTest, DiscoveryFindsTheCamerasFacingTheWayAskedInOrder) {
    camera::setSimulatedCameras({{DevicePosition::front}, {DevicePosition::back, {}, false}, {DevicePosition::back}});
    const auto all = discover(DevicePosition::unspecified);
    ASSERT_EQ(all.size(), 3u);
    const auto back = discover(DevicePosition::back);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_FALSE(back[0]->hasTorch());
    EXPECT_EQ(back[1], all[2]);  // the same device objects every time
    camera::resetCameraSimulation();
    ASSERT_EQ(discover(DevicePosition::unspecified).size(), 1u);
    EXPECT_NE(discover(DevicePosition::back)[0], back[1]);
}

TEST_F(DeviceTest, FocusAndTorchChangeOnlyUnderTheLockAndOnlyToWhatTheCameraHas) {
    camera::setSimulatedCameras({{DevicePosition::back, {FocusMode::autoFocus}, true}});
    const auto device = discover(DevicePosition::back).at(0);
    platform::LogCapture log;
    device->setFocusMode(FocusMode::autoFocus);  // not locked
    EXPECT_TRUE(device->setTorchModeOn(1.0f));
    EXPECT_EQ(device->focusMode(), FocusMode::locked);
    EXPECT_FALSE(device->isTorchActive());

    ASSERT_FALSE(device->lockForConfiguration());
    device->setFocusMode(FocusMode::continuousAutoFocus);  // not supported
    EXPECT_EQ(device->focusMode(), FocusMode::locked);
    EXPECT_TRUE(device->setTorchModeOn(0.0f));  // outside (0, 1]
    EXPECT_FALSE(device->setTorchModeOn(0.5f));
    EXPECT_FLOAT_EQ(device->torchLevel(), 0.5f);
    device->unlockForConfiguration();
    EXPECT_FALSE(device->isLockedForConfiguration());
    EXPECT_EQ(log.count("refused"), 2u);
    EXPECT_EQ(log.count("is not supported"), 1u);
}

TEST_F(DeviceTest, ASessionTakesEachInputAndOutputOnceUnlessItRefuses) {
    const auto input = std::get<0>(camera::CaptureDeviceInput::make(discover(DevicePosition::back).at(0)));
    const auto output = std::make_shared<camera::StillImageOutput>();
    auto session = std::make_shared<camera::CaptureSession>();
    platform::LogCapture log;

    camera::setCameraFailures({.sessionRefusesInput = true, .sessionRefusesOutput = true});
    EXPECT_FALSE(session->canAddInput(input));
    EXPECT_FALSE(session->canAddOutput(output));
    session->addInput(input);
    session->addOutput(output);
    EXPECT_TRUE(session->inputs().empty() && session->outputs().empty());
    EXPECT_FALSE(output->connection(camera::MediaType::video));
    EXPECT_EQ(log.count("refused"), 2u);

    camera::setCameraFailures({});
    session->addInput(input);
    session->addOutput(output);
    EXPECT_FALSE(session->canAddInput(input));
    EXPECT_FALSE(std::make_shared<camera::CaptureSession>()->canAddOutput(output));  // attached elsewhere
    const auto connection = output->connection(camera::MediaType::video);
    ASSERT_TRUE(connection);
    EXPECT_TRUE(connection->isActive());
    camera::setCameraFailures({.noConnection = true});
    EXPECT_FALSE(output->connection(camera::MediaType::video));
}

TEST_F(DeviceTest, AnOutputAddedFromManyThreadsAtOnceIsTakenOnce) {
    auto session = std::make_shared<camera::CaptureSession>();
    auto output = std::make_shared<camera::StillImageOutput>();
    platform::LogCapture log;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&] { session->addOutput(output); });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(session->outputs().size(), 1u);
    EXPECT_EQ(log.count("addOutput refused"), 3u);
}

TEST_F(DeviceTest, AuthorisationIsUndeterminedUntilTheHostSetsIt) {
    EXPECT_EQ(camera::authorizationStatus(), camera::AuthorizationStatus::notDetermined);
    std::thread([] { camera::setAuthorizationStatus(camera::AuthorizationStatus::denied); }).join();
    EXPECT_EQ(camera::authorizationStatus(), camera::AuthorizationStatus::denied);
    camera::resetCameraSimulation();
    EXPECT_EQ(camera::authorizationStatus(), camera::AuthorizationStatus::notDetermined);
}

}  // namespace
}  // namespace cameratest
