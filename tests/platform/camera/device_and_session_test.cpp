// Cameras found by discovery, their configuration lock, focus and torch; sessions that
// take or refuse inputs and outputs; the authorisation the host sets.
#include <thread>

#include <gtest/gtest.h>

#include "camera_rig.hpp"
#include "platform/camera/camera_error.hpp"
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
    camera::setSimulatedCameras({{DevicePosition::front}, {DevicePosition::back, {FocusMode::locked}, false},
                                 {DevicePosition::back}});
    const auto all = discover(DevicePosition::unspecified);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]->position(), DevicePosition::front);
    const auto back = discover(DevicePosition::back);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_FALSE(back[0]->hasTorch());
    EXPECT_EQ(back[1], all[2]);  // the same device objects every time
    EXPECT_TRUE(discover(DevicePosition::unspecified).size() == 3u);
    EXPECT_TRUE(camera::DeviceDiscoverySession({camera::DeviceType::builtInWideAngleCamera}, camera::MediaType::audio,
                                               DevicePosition::unspecified)
                    .devices()
                    .empty());
    camera::resetCameraSimulation();
    ASSERT_EQ(discover(DevicePosition::unspecified).size(), 1u);
    EXPECT_NE(discover(DevicePosition::back)[0], back[1]);
}

TEST_F(DeviceTest, FocusAndTorchChangeOnlyUnderTheLockAndOnlyToWhatTheCameraHas) {
    camera::setSimulatedCameras({{DevicePosition::back, {FocusMode::autoFocus}, true}});
    const auto device = discover(DevicePosition::back).at(0);
    platform::LogCapture log;
    device->setFocusMode(FocusMode::autoFocus);  // not locked
    EXPECT_EQ(device->focusMode(), FocusMode::locked);
    EXPECT_TRUE(device->setTorchModeOn(1.0f));
    EXPECT_FALSE(device->isTorchActive());

    ASSERT_FALSE(device->lockForConfiguration());
    EXPECT_TRUE(device->isLockedForConfiguration());
    device->setFocusMode(FocusMode::continuousAutoFocus);  // not supported
    EXPECT_EQ(device->focusMode(), FocusMode::locked);
    device->setFocusMode(FocusMode::autoFocus);
    EXPECT_EQ(device->focusMode(), FocusMode::autoFocus);
    EXPECT_TRUE(device->setTorchModeOn(0.0f));  // outside (0, 1]
    EXPECT_FALSE(device->setTorchModeOn(0.5f));
    EXPECT_TRUE(device->isTorchActive());
    EXPECT_FLOAT_EQ(device->torchLevel(), 0.5f);
    device->setTorchMode(camera::TorchMode::off);
    EXPECT_FALSE(device->isTorchActive());
    device->unlockForConfiguration();
    EXPECT_FALSE(device->isLockedForConfiguration());
    EXPECT_EQ(log.count("refused"), 2u);
    EXPECT_EQ(log.count("is not supported"), 1u);
}

TEST_F(DeviceTest, LockAndTorchLevelFailuresAreErrorValues) {
    const auto device = discover(DevicePosition::back).at(0);
    camera::setCameraFailures({.lockForConfiguration = true});
    const auto refused = device->lockForConfiguration();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code, static_cast<long>(camera::CameraErrorCode::configurationLockRefused));
    EXPECT_FALSE(camera::localizedDescription(*refused).empty());
    EXPECT_FALSE(device->isLockedForConfiguration());

    camera::setCameraFailures({.torchLevel = true});
    ASSERT_FALSE(device->lockForConfiguration());
    EXPECT_TRUE(device->setTorchModeOn(1.0f));
    EXPECT_FALSE(device->isTorchActive());
    device->unlockForConfiguration();
}

TEST_F(DeviceTest, ACameraWithoutTorchRefusesIt) {
    camera::setSimulatedCameras({{DevicePosition::back, {}, false}});
    const auto device = discover(DevicePosition::back).at(0);
    ASSERT_FALSE(device->lockForConfiguration());
    EXPECT_TRUE(device->setTorchModeOn(1.0f));
    device->setTorchMode(camera::TorchMode::on);
    EXPECT_EQ(device->torchMode(), camera::TorchMode::off);
    device->unlockForConfiguration();
}

TEST_F(DeviceTest, InputsComeFromADeviceUnlessSwitchedOff) {
    const auto device = discover(DevicePosition::back).at(0);
    EXPECT_TRUE(std::holds_alternative<platform::Error>(camera::CaptureDeviceInput::make(nullptr)));
    camera::setCameraFailures({.deviceInput = true});
    EXPECT_TRUE(std::holds_alternative<platform::Error>(camera::CaptureDeviceInput::make(device)));
    camera::setCameraFailures({});
    auto made = camera::CaptureDeviceInput::make(device);
    ASSERT_TRUE(std::holds_alternative<std::shared_ptr<camera::CaptureDeviceInput>>(made));
    EXPECT_EQ(std::get<0>(made)->device(), device);
}

TEST_F(DeviceTest, ASessionTakesEachInputAndOutputOnceUnlessItRefuses) {
    const auto device = discover(DevicePosition::back).at(0);
    const auto input = std::get<0>(camera::CaptureDeviceInput::make(device));
    const auto output = std::make_shared<camera::StillImageOutput>();
    auto session = std::make_shared<camera::CaptureSession>();
    platform::LogCapture log;

    camera::setCameraFailures({.sessionRefusesInput = true, .sessionRefusesOutput = true});
    EXPECT_FALSE(session->canAddInput(input));
    EXPECT_FALSE(session->canAddOutput(output));
    session->addInput(input);
    session->addOutput(output);
    EXPECT_TRUE(session->inputs().empty());
    EXPECT_TRUE(session->outputs().empty());
    EXPECT_FALSE(output->connection(camera::MediaType::video));
    EXPECT_EQ(log.count("refused"), 2u);

    camera::setCameraFailures({});
    ASSERT_TRUE(session->canAddInput(input));
    session->addInput(input);
    ASSERT_TRUE(session->canAddOutput(output));
    session->addOutput(output);
    EXPECT_FALSE(session->canAddInput(input));
    EXPECT_FALSE(session->canAddOutput(output));
    EXPECT_FALSE(std::make_shared<camera::CaptureSession>()->canAddOutput(output));  // attached elsewhere
    const auto connection = output->connection(camera::MediaType::video);
    ASSERT_TRUE(connection);
    EXPECT_TRUE(connection->isActive());
    EXPECT_FALSE(output->connection(camera::MediaType::audio));
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
