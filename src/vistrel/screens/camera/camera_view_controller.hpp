#pragma once
// The camera screen: the kit's main screen. A live preview with a round shutter, a flash
// button, a gallery button, developer and menu buttons and a floating menu with the
// tutorial and the about page. The shutter takes a still and scans it: the one
// auto-triggered action runs at once, or the action list is pushed, or the error shows
// for a moment; without network, or when the service fails to answer, the photo is kept
// in the history for later, and the message says which of the two it was and whether the
// photo could be kept.
//
// In embedded mode (hideNavigationButtons) only scanning is offered: no gallery, no
// menu. Main thread only.
#include <functional>
#include <memory>
#include <optional>

#include "vistrel/core/vistrel_error.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/gesture_recognizer.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/screens/camera/camera_controller.hpp"
#include "vistrel/screens/common/vistrel_view_controller.hpp"
#include "vistrel/service/device_information.hpp"
#include "vistrel/service/picture_scanner.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

class Fab;

class CameraViewController : public VistrelViewController {
public:
    // The alerts' display time, in seconds.
    static constexpr double alertTime = 1.5;

    // The screen "CameraViewController" of storyboard "Main" in the kit's bundle. None,
    // with a log line, when the bundle, the storyboard or that screen is missing.
    static std::shared_ptr<CameraViewController> instantiate();

    // ---- Outlets: connected by the scene of storyboard "Main"; a screen made outside
    // it has none, and whatever would touch them does nothing. ----
    std::weak_ptr<platform::ui::View> buttonsView;
    std::weak_ptr<Fab> fabView;
    std::weak_ptr<platform::ui::Button> menuButton;
    std::weak_ptr<platform::ui::Button> galleryButton;
    std::weak_ptr<platform::ui::Button> developerButton;
    std::weak_ptr<platform::ui::Button> flashButton;
    std::weak_ptr<platform::ui::View> capturePreviewView;
    std::weak_ptr<platform::ui::View> photoView;  // the shutter
    std::weak_ptr<platform::ui::Label> photoDetailLabel;
    std::weak_ptr<platform::ui::ImageView> pictureImageView;  // the photo being scanned

    // Embedded mode: no gallery, no menu. Read when the view loads, when the buttons
    // come back after a scan and when the action list is pushed: set it before the
    // view loads.
    bool hideNavigationButtons = false;

    // What the screen works with; set others before the view loads.
    PictureScanner imageScanner;
    std::shared_ptr<CameraController> cameraController = std::make_shared<CameraController>();
    DeviceInformation& deviceInformation = DeviceInformation::shared();
    std::shared_ptr<PersistanceController> persistanceController = PersistanceController::shared();

    // Builds the scene's views and connects the outlets and actions (set by the storyboard).
    std::function<std::shared_ptr<platform::ui::View>(const std::shared_ptr<CameraViewController>&)> sceneBuilder;

    // The scene's views, then the floating menu's two entries.
    void loadView() override;
    // Bar flags, the preview, the controls' looks, the version swipe, embedded mode.
    void viewDidLoad() override;
    // Opens the photo migration while the store still needs it.
    void viewDidAppear(bool animated) override;
    // The photo of a scan that pushed the action list is gone when the user comes back.
    void viewDidDisappear(bool animated) override;
    platform::ui::StatusBarStyle preferredStatusBarStyle() const override {
        return platform::ui::StatusBarStyle::lightContent;
    }

    void configureButtons();
    void configurePhotoButton();
    void hideAllButtons();
    void showAllButtons();

    // The controls' actions.
    // Pushes the gallery on its recents tab.
    void showGallery();
    // One still, then its scan (or its keeping, offline). A press while a capture or a
    // scan runs is ignored.
    void takePicture();
    // Switches the torch; the button keeps its look.
    void toggleFlash();
    // A right swipe shows the kit's version and build.
    void respondToSwipeGesture(platform::ui::GestureRecognizer& gesture);

    // True from a shutter press that starts a capture until the capture has failed, the
    // photo has been kept offline, or its scan has answered.
    bool isTakingPicture() const { return takingPicture_; }

private:
    std::shared_ptr<CameraViewController> self();
    void pictureCaptured(std::optional<platform::graphics::Image> photo, std::optional<platform::Error> error);
    // Why a photo waits in the gallery: no connection, or a service that failed to answer.
    enum class WaitReason { offline, serviceFailed };
    void keepPhotoForLater(const platform::graphics::Image& photo, WaitReason reason);
    void scanPicture(const platform::graphics::Image& photo);
    void scanFinished(const platform::graphics::Image& photo, std::optional<Image> image,
                      std::optional<VistrelError> error);
    void addMenuEntries();

    bool takingPicture_ = false;
    bool migrationOpened_ = false;
};

}  // namespace vistrel
