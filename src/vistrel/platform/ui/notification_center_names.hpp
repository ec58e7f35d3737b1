#pragma once
// Notification names the platform posts, and the keys of their user info.
#include <string_view>

#include "vistrel/platform/ui/notification_center.hpp"

namespace platform::ui {

// The keyboard is about to show or hide; the user info carries its frames (Rect, screen
// coordinates) at the start and at the end of its animation.
inline constexpr std::string_view keyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline constexpr std::string_view keyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline constexpr std::string_view keyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
inline constexpr std::string_view keyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";

// The device turned.
inline constexpr std::string_view deviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

// A reachability monitor saw the network change; the monitor is the object.
inline constexpr std::string_view reachabilityChangedNotification = "ReachabilityChangedNotification";

// The user info of a keyboard notification.
inline UserInfo keyboardUserInfo(const Rect& frameBegin, const Rect& frameEnd) {
    return {{std::string(keyboardFrameBeginUserInfoKey), frameBegin},
            {std::string(keyboardFrameEndUserInfoKey), frameEnd}};
}

}  // namespace platform::ui
