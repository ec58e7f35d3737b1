// Opening a stored record sends its photo through the scanner again and shows the
// answer as the camera screen does: the single action at once when the answer asks for
// it, else the action list. A photo that was never sent leaves the waiting list only
// once its answer is in the history, so the scan is never lost.
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/store/main_thread_write.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/presentation/vistrel_image_view_model.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"
#include "vistrel/service/device_information.hpp"

namespace vistrel {

void GalleryViewController::didSelectImagePicture(const platform::graphics::Image& picture,
                                                  std::shared_ptr<VistrelImage> vistrelImage, LibraryOption) {
    if (resending_) {
        platform::log("gallery :: a photo is being sent; the selection waits for its answer");
        return;
    }
    if (DeviceInformation::shared().reachabilityStatus() == Reachability::NetworkStatus::notReachable) {
        showAlertMsg("", tr("camera.network.no_internet"), 1.5);
        return;
    }
    resending_ = true;
    showLoadingView();
    std::weak_ptr<VistrelImage> record = vistrelImage;
    imageScanner.groupedRequests(picture, [gallery = self(), picture, record](std::optional<Image> image,
                                                                              std::optional<VistrelError> error) {
        // Its answer is recorded as the scan ends: never inside a save of the store under way
        // (a host's savePicture running the main loop), where no record can be made; once it ends.
        platform::store::outsideMainThreadWrites([gallery, picture, record, image = std::move(image), error]() mutable {
            gallery->resendDidFinish(picture, record, std::move(image), error);
        });
    });
}

void GalleryViewController::resendDidFinish(const platform::graphics::Image& picture,
                                            const std::weak_ptr<VistrelImage>& record, std::optional<Image> image,
                                            std::optional<VistrelError> error) {
    resending_ = false;
    hideLoadingView();
    if (!image) {
        if (error) showAlertMsg("", localizedString(*error), 2.0);
        return;
    }
    auto viewModel = std::make_shared<ImageViewModel>(std::move(*image));
    // A record deleted while the photo was away is not read, nor deleted again.
    auto sent = record.lock();
    const bool neverSent = sent && !sent->isDeleted() && !sent->documentId();
    // The answer of a never-sent photo is recorded before its waiting record goes (with
    // the automatic action too, as the camera screen records it).
    std::shared_ptr<VistrelImageViewModel> answer;
    if (neverSent) answer = VistrelImageViewModel::make(*viewModel, picture, persistanceController);

    if (viewModel->shouldAutoTrigger()) {
        viewModel->handleActionAtPosition(0, self());
    } else if (auto navigation = navigationController()) {
        auto actions = DisplayActionsViewController::instance();
        actions->imageViewModel = viewModel;
        actions->picture = picture;
        actions->delegate = std::static_pointer_cast<DisplayActionsProtocol>(self());
        actions->historyStore = persistanceController;
        navigation->pushViewController(actions, true);
    }

    if (!neverSent) return;
    if (!answer) {
        platform::log("gallery :: the answer could not be recorded; the photo stays in the waiting list");
        return;
    }
    needToReload = true;
    persistanceController->deleteImage(sent);
}

}  // namespace vistrel
