#pragma once
// The small values of the capture layer: kinds of device and media, where a camera
// faces, its focus and torch modes, the authorisation to use it, and how a preview
// orients and fills its layer. Raw values are those a phone camera uses.

namespace platform::camera {

enum class AuthorizationStatus { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };

enum class MediaType { video, audio };

enum class DeviceType { builtInWideAngleCamera };

enum class DevicePosition { unspecified = 0, back = 1, front = 2 };

enum class FocusMode { locked = 0, autoFocus = 1, continuousAutoFocus = 2 };

enum class TorchMode { off = 0, on = 1, automatic = 2 };

enum class VideoOrientation { portrait = 1, portraitUpsideDown = 2, landscapeRight = 3, landscapeLeft = 4 };

enum class VideoGravity { resize, resizeAspect, resizeAspectFill };

}  // namespace platform::camera
