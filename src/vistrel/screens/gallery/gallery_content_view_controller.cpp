#include "vistrel/screens/gallery/gallery_content_view_controller.hpp"

#include <algorithm>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/alert_action.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/screens/gallery/empty_collection_view_cell.hpp"
#include "vistrel/screens/gallery/gallery_geometry.hpp"
#include "vistrel/screens/gallery/store_picture.hpp"

namespace vistrel {

using platform::ui::CollectionView;
using platform::ui::CollectionViewCell;
using platform::ui::IndexPath;

namespace {

bool keeps(std::optional<LibraryOption> tab, const VistrelImage& record) {
    if (tab == LibraryOption::favorites) return record.isFavorite();
    if (tab == LibraryOption::waitingList) return !record.documentId();
    return true;
}

constexpr std::string_view kUnreadable = "the photo of the record could not be read";

}  // namespace

GalleryContentViewController::GalleryContentViewController()
    : emptyCellTexts_{tr("gallery.recents.empty_list"), tr("gallery.favorites.empty_list"),
                      tr("gallery.not_send.empty_list")} {}

std::shared_ptr<GalleryContentViewController> GalleryContentViewController::self() {
    return std::static_pointer_cast<GalleryContentViewController>(shared_from_this());
}

void GalleryContentViewController::viewDidLoad() {
    platform::ui::CollectionViewController::viewDidLoad();
    auto grid = collectionView();
    grid->setBackgroundColor(platform::graphics::Color::rgba(0.94, 0.94, 0.94, 1));
    if (cardPrototype) grid->registerCell(std::string(ImageCollectionViewCell::reuseIdentifier), cardPrototype);
    if (emptyPrototype) grid->registerCell(std::string(EmptyCollectionViewCell::reuseIdentifier), emptyPrototype);
}

void GalleryContentViewController::setVistrelImages(VistrelImages images) {
    vistrelImages_ = std::move(images);
    if (auto grid = collectionViewIfLoaded()) grid->reloadSections({0});
}

void GalleryContentViewController::updateImages(const VistrelImages& images) {
    VistrelImages kept;
    for (const auto& record : images)
        if (record && keeps(libraryOption, *record)) kept.push_back(record);
    setVistrelImages(std::move(kept));
}

bool GalleryContentViewController::toggleEdition() {
    inEditionMode_ = !inEditionMode_;
    if (auto grid = collectionViewIfLoaded()) grid->reloadSections({0});
    return inEditionMode_;
}

void GalleryContentViewController::toggleFavoriteWithImage(const std::shared_ptr<VistrelImage>& image) {
    if (!image || image->isDeleted()) return;
    image->setIsFavorite(!image->isFavorite());
    if (auto gallery = contentDelegate.lock()) gallery->didChangeFavorites();
}

int GalleryContentViewController::numberOfItemsInSection(CollectionView&, int) {
    return vistrelImages_.empty() ? 1 : static_cast<int>(vistrelImages_.size());
}

std::shared_ptr<CollectionViewCell> GalleryContentViewController::cellForItemAt(CollectionView& grid,
                                                                                const IndexPath& indexPath) {
    const auto row = static_cast<std::size_t>(indexPath.row);
    if (!vistrelImages_.empty() && row < vistrelImages_.size()) {
        auto card = std::dynamic_pointer_cast<ImageCollectionViewCell>(
            grid.dequeueReusableCell(std::string(ImageCollectionViewCell::reuseIdentifier), indexPath));
        if (!card) card = makeImageCollectionViewCell();  // a page built without its storyboard
        card->persistanceController = persistanceController;
        card->pictureLoader = pictureLoader;
        // The card decodes its photo at the size it will have.
        if (auto frame = grid.frameForItem(indexPath)) card->setFrame(*frame);
        card->configureWithVistrelImage(vistrelImages_[row], inEditionMode_);
        card->delegate = std::static_pointer_cast<ImageCollectionViewCellDelegate>(self());
        return card;
    }
    auto placeholder = std::dynamic_pointer_cast<EmptyCollectionViewCell>(
        grid.dequeueReusableCell(std::string(EmptyCollectionViewCell::reuseIdentifier), indexPath));
    if (!placeholder) placeholder = makeEmptyCollectionViewCell();
    placeholder->configureWithText(emptyCellTexts_[static_cast<std::size_t>(rawValue(
        libraryOption.value_or(LibraryOption::recents)))]);
    return placeholder;
}

bool GalleryContentViewController::shouldSelectItemAt(CollectionView&, const IndexPath&) {
    return !vistrelImages_.empty();
}

void GalleryContentViewController::didSelectItemAt(CollectionView& grid, const IndexPath& indexPath) {
    grid.deselectItem(indexPath, true);
    const auto row = static_cast<std::size_t>(indexPath.row);
    if (indexPath.row < 0 || row >= vistrelImages_.size()) return;
    auto record = vistrelImages_[row];
    if (inEditionMode_) return confirmDeletion(std::move(record));
    openRecord(record);
}

void GalleryContentViewController::openRecord(const std::shared_ptr<VistrelImage>& record) {
    auto identifier = record->identifier();
    if (!identifier || !persistanceController) return;
    if (readingPhoto_) {
        platform::log("gallery :: a photo is being read; the selection is ignored");
        return;
    }
    auto asked = askStoreForPicture(*persistanceController, *identifier, kUnreadable);
    if (!asked.readByTheKit) return didReadPhoto(std::move(asked.picture), record);  // a host's store's answer
    // Looked up here, so that the store's documents folder is first found on the main thread.
    persistanceController->picturePath(*identifier);
    readingPhoto_ = true;
    // The kit's own file, off the main thread; ahead of the cards' pictures, which wait.
    platform::dispatch::global().async([page = std::weak_ptr<GalleryContentViewController>(self()),
                                        store = persistanceController, key = std::move(*identifier),
                                        opened = std::weak_ptr<VistrelImage>(record)]() mutable {
        auto photo = readKitsPicture(*store, key, kUnreadable);
        // The store is let go on the main queue, whose objects it holds.
        platform::dispatch::main().async([page, store = std::move(store), photo = std::move(photo), opened] {
            auto self = page.lock();
            if (!self) return;
            self->readingPhoto_ = false;
            if (auto record = opened.lock()) self->didReadPhoto(photo, record);
        });
    });
}

void GalleryContentViewController::didReadPhoto(std::optional<platform::graphics::Image> photo,
                                                const std::shared_ptr<VistrelImage>& record) {
    if (!photo || !record || record->isDeleted()) return;
    if (auto gallery = contentDelegate.lock())
        gallery->didSelectImagePicture(*photo, record, libraryOption.value_or(LibraryOption::recents));
}

void GalleryContentViewController::confirmDeletion(std::shared_ptr<VistrelImage> record) {
    auto alert = std::make_shared<platform::ui::AlertController>(tr("general.warning"), tr("gallery.delete_photo"),
                                                                 platform::ui::AlertControllerStyle::alert);
    // "No" only closes the alert.
    alert->addAction(std::make_shared<platform::ui::AlertAction>(tr("general.no"), platform::ui::AlertActionStyle::defaultStyle));
    std::weak_ptr<GalleryContentViewController> weakPage = self();
    std::weak_ptr<VistrelImage> asked = record;
    alert->addAction(std::make_shared<platform::ui::AlertAction>(
        tr("general.yes"), platform::ui::AlertActionStyle::defaultStyle, [weakPage, asked](platform::ui::AlertAction&) {
            auto page = weakPage.lock();
            auto target = asked.lock();
            if (!page || !target) return;
            // The record tapped when the question was asked, and only while it is listed.
            const auto& listed = page->vistrelImages_;
            if (std::find(listed.begin(), listed.end(), target) == listed.end()) return;
            if (auto gallery = page->contentDelegate.lock()) gallery->deleteImage(target);
        }));
    present(alert, true);
}

std::optional<platform::ui::Size> GalleryContentViewController::sizeForItemAt(
    CollectionView&, const platform::ui::CollectionViewFlowLayout&, const IndexPath&) {
    const auto frame = view()->frame();
    if (vistrelImages_.empty()) return platform::ui::Size{std::max(0.0, frame.width()), std::max(0.0, frame.height())};
    return galleryCardSize(frame.width());
}

std::optional<platform::ui::EdgeInsets> GalleryContentViewController::insetForSectionAt(
    CollectionView&, const platform::ui::CollectionViewFlowLayout&, int) {
    if (vistrelImages_.empty()) return platform::ui::EdgeInsets{};
    return platform::ui::EdgeInsets{20, galleryCardMargin, 20, galleryCardMargin};
}

std::optional<double> GalleryContentViewController::minimumLineSpacingForSectionAt(
    CollectionView&, const platform::ui::CollectionViewFlowLayout&, int) {
    return galleryCardMargin;
}

}  // namespace vistrel
