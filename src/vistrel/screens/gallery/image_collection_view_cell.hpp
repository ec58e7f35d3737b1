#pragma once
// The card of one history record in a gallery tab: the photo (decoded at card size off
// the main thread; the card shows its grey placeholder until it comes), the title, the
// scan date, a star that the user taps to mark a favourite and, in edition mode, a round
// red trash badge. The card holds its record and its delegate weakly: the store owns
// records, the tab page owns its cards.
#include <memory>
#include <string>
#include <string_view>

#include "vistrel/platform/ui/collection_view_cell.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/screens/gallery/card_picture_loader.hpp"
#include "vistrel/store/persistance_controller.hpp"
#include "vistrel/store/vistrel_image.hpp"

namespace vistrel {

// Told of a tap on a card's star.
class ImageCollectionViewCellDelegate {
public:
    virtual ~ImageCollectionViewCellDelegate() = default;
    virtual void toggleFavoriteWithImage(const std::shared_ptr<VistrelImage>& image) = 0;
};

class ImageCollectionViewCell : public platform::ui::CollectionViewCell {
public:
    static constexpr std::string_view reuseIdentifier = "ImageCollectionViewCell";
    static constexpr double starSize = 22;
    static constexpr double trashSize = 36;
    // The band under the photo that holds the title and the date. It leaves the photo
    // 188 points of a 250-point card: 376 pixels at scale 2, which an eighth of a
    // 4032 x 3024 camera photo (378 rows) still covers.
    static constexpr double captionHeight = 62;

    using platform::ui::CollectionViewCell::CollectionViewCell;

    // Outlets, held by the cell's content view.
    std::weak_ptr<platform::ui::ImageView> imageView;
    std::weak_ptr<platform::ui::Label> titleLabel;
    std::weak_ptr<platform::ui::Label> dateLabel;
    std::weak_ptr<platform::ui::Label> favoriteLabel;
    std::weak_ptr<platform::ui::Label> trashLabel;

    std::weak_ptr<ImageCollectionViewCellDelegate> delegate;
    // Where the photos are read, and where they are decoded and kept (the page gives its
    // cards one to share; the card's own keeps none; none: the card shows no photo).
    std::shared_ptr<PersistanceController> persistanceController = PersistanceController::shared();
    std::shared_ptr<CardPictureLoader> pictureLoader = std::make_shared<CardPictureLoader>(0);

    // The record shown; none once the store has let it go.
    std::shared_ptr<VistrelImage> vistrelImage() const { return vistrelImage_.lock(); }

    // Shows the record: its photo at the card's size (from the main queue, unless it was
    // decoded before), title, date and star, and the trash badge in edition mode. What
    // the record lacks (photo, title, date) shows empty, never what a record shown before
    // had.
    void configureWithVistrelImage(const std::shared_ptr<VistrelImage>& image, bool inEditionMode);
    // The star's tap: tells the delegate, unless the record is gone or deleted.
    void didTapFavoriteLabel();

    void prepareForReuse() override;
    void layoutSubviews() override;

private:
    void clearContents();

    std::weak_ptr<VistrelImage> vistrelImage_;
    CardPictureLoader::Request pictureRequest_;  // let go whenever the card shows something else
};

// The prototype of the storyboard: the card with its outlets and the star's one tap
// recogniser.
std::shared_ptr<ImageCollectionViewCell> makeImageCollectionViewCell();

// A scan date as the cards show it, in the device's time zone: "dd/MM/yyyy - HH:mm".
std::string galleryDateText(Date date);

}  // namespace vistrel
