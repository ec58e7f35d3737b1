#include "vistrel/screens/camera/camera_view_controller.hpp"

#include <cassert>
#include <chrono>
#include <string>

#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/icon_view.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/view_conveniences.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/fab/fab.hpp"
#include "vistrel/model/themes.hpp"
#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/store/main_thread_write.hpp"
#include "vistrel/platform/ui/alert_action.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/platform/ui/swipe_gesture_recognizer.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/presentation/vistrel_image_view_model.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/camera/main_storyboard.hpp"
#include "vistrel/screens/migration/migration_view_controller.hpp"

namespace vistrel {

using platform::graphics::Color;

namespace {

// An alert with one "OK" button that only closes it.
std::shared_ptr<platform::ui::AlertController> okAlert(std::string title, std::string message) {
    auto alert = std::make_shared<platform::ui::AlertController>(std::move(title), std::move(message),
                                                                 platform::ui::AlertControllerStyle::alert);
    alert->addAction(
        std::make_shared<platform::ui::AlertAction>(tr("general.ok"), platform::ui::AlertActionStyle::defaultStyle));
    return alert;
}

template <class V>
void setHidden(const std::weak_ptr<V>& outlet, bool hidden) {
    if (auto view = outlet.lock()) view->setHidden(hidden);
}

}  // namespace

std::shared_ptr<CameraViewController> CameraViewController::instantiate() {
    auto storyboard = mainStoryboard();
    if (!storyboard) return nullptr;
    auto made = storyboard->instantiateViewController(kCameraViewControllerIdentifier);
    auto camera = std::dynamic_pointer_cast<CameraViewController>(made);
    if (made && !camera) platform::log("Vistrel :: the screen \"CameraViewController\" of storyboard \"Main\" is no camera screen");
    return camera;
}

std::shared_ptr<CameraViewController> CameraViewController::self() {
    return std::static_pointer_cast<CameraViewController>(shared_from_this());
}

void CameraViewController::loadView() {
    if (sceneBuilder)
        setView(sceneBuilder(self()));
    else
        VistrelViewController::loadView();
    addMenuEntries();
}

void CameraViewController::viewDidLoad() {
    VistrelViewController::viewDidLoad();
    hideNavigationBar = true;
    hideBackButtonText = true;
    setHidden(pictureImageView, true);
    if (auto preview = capturePreviewView.lock(); preview && cameraController)
        cameraController->configureInView(preview);
    configureButtons();
    configurePhotoButton();
    auto swipe = std::make_shared<platform::ui::SwipeGestureRecognizer>();  // to the right
    swipe->addTarget(self(), &CameraViewController::respondToSwipeGesture);
    view()->addGestureRecognizer(swipe);
    if (hideNavigationButtons) {
        setHidden(menuButton, true);
        setHidden(galleryButton, true);
        setHidden(fabView, true);
    }
}

// Presenting needs the screen in a window with nothing over it, which holds only once it
// has appeared. One try per screen: a migration that could not finish closes and waits
// for the next launch rather than coming back at every appearance.
void CameraViewController::viewDidAppear(bool animated) {
    VistrelViewController::viewDidAppear(animated);
    if (migrationOpened_ || VistrelPref::hasBeenMigrated()) return;
    if (!view()->window() || presentedViewController()) return;
    performSegue(kToMigrationControllerSegue);
    migrationOpened_ = presentedViewController() != nullptr;
}

void CameraViewController::viewDidDisappear(bool animated) {
    VistrelViewController::viewDidDisappear(animated);
    setHidden(pictureImageView, true);
}

void CameraViewController::configureButtons() {
    using Sizes = VistrelConstants::CameraViewController;
    if (auto flash = flashButton.lock()) setIconType(*flash, VistrelIconType::Flash, Sizes::flashIconSize, Color::white());
    if (auto gallery = galleryButton.lock())
        setIconType(*gallery, VistrelIconType::Grid, Sizes::rightMenuIconSize, Color::white());
    if (auto developer = developerButton.lock())
        setIconType(*developer, VistrelIconType::Developer, Sizes::developerIconSize, Color::white());
}

void CameraViewController::configurePhotoButton() {
    if (auto shutter = photoView.lock()) {
        shutter->setBackgroundColor(vistrelPrimary());
        setCornerRadius(*shutter, shutter->frame().width() / 2, 3.0, vistrelWhite());
    }
    if (auto label = photoDetailLabel.lock()) setIconType(*label, VistrelIconType::PhotoDetail, 80, vistrelWhite());
}

void CameraViewController::hideAllButtons() {
    setHidden(photoView, true);
    setHidden(fabView, true);
    setHidden(flashButton, true);
    setHidden(galleryButton, true);
}

void CameraViewController::showAllButtons() {
    setHidden(photoView, false);
    setHidden(flashButton, false);
    setHidden(fabView, hideNavigationButtons);
    setHidden(galleryButton, hideNavigationButtons);
}

void CameraViewController::toggleFlash() {
    if (cameraController) cameraController->toggleFlash();
}

void CameraViewController::respondToSwipeGesture(platform::ui::GestureRecognizer& gesture) {
    const auto& configuration = SdkConfiguration::shared();
    auto* swipe = dynamic_cast<platform::ui::SwipeGestureRecognizer*>(&gesture);
    if (!swipe || swipe->direction() != platform::ui::SwipeDirection::right) return;
    std::string title = "SDK version : ";
    title += configuration.valueForKey(ConfigurationKey::sdkVersion);
    std::string message = "SDK build version : ";
    message += configuration.valueForKey(ConfigurationKey::sdkBuildVersion);
    present(okAlert(std::move(title), std::move(message)), true);
}

// ---- The scan round trip ----

void CameraViewController::takePicture() {
    assert(platform::dispatch::isMainThread());
    if (takingPicture_) {
        platform::log("camera :: a picture is already being taken; the press is ignored");
        return;
    }
    // No access request here: without the user's yes the press only explains.
    if (platform::camera::authorizationStatus() != platform::camera::AuthorizationStatus::authorized) {
        present(okAlert(tr("camera.no_authorization.title"), tr("camera.no_authorization.message")), true);
        return;
    }
    if (!cameraController) {
        platform::log("camera :: no camera controller; no picture");
        return;
    }
    takingPicture_ = true;
    cameraController->capturePicture([screen = self()](std::optional<platform::graphics::Image> photo,
                                                       std::optional<platform::Error> error) {
        // Whatever queue the still comes on, the screen goes on with it on the main one; not
        // inside a save of the store under way there (a host's savePicture running the main
        // loop), where the photo's record could not be made: once that save ends.
        platform::dispatch::main().async([screen, photo = std::move(photo), error = std::move(error)]() mutable {
            platform::store::outsideMainThreadWrites(
                [screen, photo = std::move(photo), error = std::move(error)]() mutable {
                    screen->pictureCaptured(std::move(photo), std::move(error));
                });
        });
    });
}

void CameraViewController::pictureCaptured(std::optional<platform::graphics::Image> photo,
                                           std::optional<platform::Error> error) {
    assert(platform::dispatch::isMainThread());
    if (!photo) {
        platform::log(error ? error->description() : std::string("Image capture error"));
        takingPicture_ = false;
        return;
    }
    if (deviceInformation.reachabilityStatus() == Reachability::NetworkStatus::notReachable) {
        keepPhotoForLater(*photo, WaitReason::offline);
        takingPicture_ = false;
        return;
    }
    scanPicture(*photo);
}

// The photo becomes an unsent history record for the gallery to send later. The user
// is told why it waits (no connection, or a recognition service that failed while the
// device is online) and whether it is kept: when no record can be made, it is not.
void CameraViewController::keepPhotoForLater(const platform::graphics::Image& photo, WaitReason reason) {
    std::shared_ptr<VistrelImage> record;
    if (persistanceController)
        record = persistanceController->createRandomVistrelImage(photo, std::chrono::system_clock::now());
    const bool offline = reason == WaitReason::offline;
    if (!record)
        platform::log(offline ? "camera :: the photo taken offline could not be kept"
                              : "camera :: the photo the recognition service failed on could not be kept");
    const char* key = offline ? (record ? "camera.network.no_internet" : "camera.network.photo_not_kept")
                              : (record ? "camera.network.service_unavailable.photo_kept"
                                        : "camera.network.service_unavailable.photo_not_kept");
    showAlertMsg("", tr(key), alertTime);
}

void CameraViewController::scanPicture(const platform::graphics::Image& photo) {
    if (auto picture = pictureImageView.lock()) {
        picture->setImage(photo);
        picture->setHidden(false);
    }
    hideAllButtons();
    showLoadingView();
    imageScanner.groupedRequests(photo, [screen = self(), photo](std::optional<Image> image,
                                                                  std::optional<VistrelError> error) {
        // Its record is made as the scan ends: never inside a save of the store under way.
        platform::store::outsideMainThreadWrites([screen, photo, image = std::move(image), error]() mutable {
            screen->scanFinished(photo, std::move(image), error);
        });
    });
}

void CameraViewController::scanFinished(const platform::graphics::Image& photo, std::optional<Image> image,
                                        std::optional<VistrelError> error) {
    assert(platform::dispatch::isMainThread());
    takingPicture_ = false;
    hideLoadingView();
    showAllButtons();
    if (image) {
        auto viewModel = std::make_shared<ImageViewModel>(std::move(*image));
        if (viewModel->shouldAutoTrigger()) {
            // The image goes into the history first; one it cannot take (the reason is
            // logged) still has its action run, as the list shows an unrecorded image's.
            VistrelImageViewModel::make(*viewModel, photo, persistanceController);
            viewModel->handleActionAtPosition(0, self());
            setHidden(pictureImageView, true);
            return;
        }
        auto list = DisplayActionsViewController::instance();
        list->hideNavigationButtons = hideNavigationButtons;
        list->imageViewModel = std::move(viewModel);
        list->picture = photo;
        list->historyStore = persistanceController;
        if (auto navigation = navigationController()) navigation->pushViewController(list, true);
        return;
    }
    if (!error) return;
    setHidden(pictureImageView, true);
    // The service failed, it did not say the page is unknown: the photo waits in the
    // gallery as one taken offline, and the user is told it was the service.
    if (*error == VistrelError::serviceUnavailable) return keepPhotoForLater(photo, WaitReason::serviceFailed);
    showAlertMsg("", localizedString(*error), alertTime);
}

}  // namespace vistrel
