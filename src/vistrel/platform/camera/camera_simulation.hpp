#pragma once
// What stands in for the hardware: the cameras there are, whether the user allowed
// their use, where stills come from, and which steps fail. A host or a test sets these;
// capture objects read them at the moment of each operation. Safe from any thread.
#include <filesystem>
#include <optional>
#include <vector>

#include "vistrel/platform/camera/camera_types.hpp"

namespace platform::camera {

// The user's answer about camera use (notDetermined until a host sets it).
void setAuthorizationStatus(AuthorizationStatus status);
AuthorizationStatus authorizationStatus();

// A JPEG file, taken on every capture, or a folder whose JPEG files (.jpg, .jpeg, any
// case) are taken one per capture in name order, round robin. None: captures give no
// buffer. Setting it starts again at the first file.
void setStillsSource(std::optional<std::filesystem::path> fileOrFolder);

// One built-in wide-angle video camera.
struct SimulatedCamera {
    DevicePosition position = DevicePosition::back;
    std::vector<FocusMode> focusModes = {FocusMode::locked, FocusMode::autoFocus, FocusMode::continuousAutoFocus};
    bool hasTorch = true;
};

// The cameras discovery finds, in this order (default: one back camera with a torch
// and every focus mode). Setting them makes new device objects.
void setSimulatedCameras(std::vector<SimulatedCamera> cameras);

// Steps that fail while the switch is on.
struct CameraFailures {
    bool lockForConfiguration = false;  // the lock is refused with an error
    bool deviceInput = false;           // no input can be made from a device
    bool sessionRefusesInput = false;   // canAddInput says no
    bool sessionRefusesOutput = false;  // canAddOutput says no
    bool noConnection = false;          // an attached still output has no video connection
    bool inactiveConnection = false;    // the still output's connection is not active
    bool captureGivesNoBuffer = false;  // a capture calls back with an error and no buffer
    bool bufferWithoutJpeg = false;     // a buffer whose JPEG representation is none
    bool undecodableJpeg = false;       // JPEG bytes that no decoder reads
    bool torchLevel = false;            // setting the torch level fails with an error
};
void setCameraFailures(CameraFailures failures);
CameraFailures cameraFailures();

// Everything above back to its default.
void resetCameraSimulation();

}  // namespace platform::camera
