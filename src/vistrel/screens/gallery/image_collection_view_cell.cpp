#include "vistrel/screens/gallery/image_collection_view_cell.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "vistrel/core/icon_type.hpp"
#include "vistrel/core/icon_view.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/tap_gesture_recognizer.hpp"
#include "vistrel/presentation/display_limits.hpp"
#include "vistrel/presentation/vistrel_image_view_model.hpp"

namespace vistrel {

using platform::graphics::Color;

std::string galleryDateText(Date date) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return {};
    char text[40];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d - %02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min);
    return text;
}

void ImageCollectionViewCell::clearContents() {
    pictureRequest_.reset();  // a photo still on its way is no longer this card's
    if (auto photo = imageView.lock()) photo->setImage(std::nullopt);
    if (auto title = titleLabel.lock()) title->setText(std::nullopt);
    if (auto date = dateLabel.lock()) date->setText(std::nullopt);
}

void ImageCollectionViewCell::prepareForReuse() {
    platform::ui::CollectionViewCell::prepareForReuse();
    vistrelImage_.reset();
    clearContents();
}

void ImageCollectionViewCell::configureWithVistrelImage(const std::shared_ptr<VistrelImage>& image,
                                                        bool inEditionMode) {
    vistrelImage_ = image;
    clearContents();
    if (!image) return;
    // The photo an earlier version kept inside the record is left in the store, unread
    // (the card shows the record's file): only its length is told, found without reading it.
    if (const auto legacy = image->valueBytes("picture"); legacy && *legacy > 0) platform::log(std::to_string(*legacy));
    layoutIfNeeded();
    auto photo = imageView.lock();
    if (auto identifier = image->identifier(); identifier && photo && persistanceController && pictureLoader) {
        // Only as many pixels as the card shows.
        const double scale = platform::ui::Screen::main().scale();
        const auto size = photo->bounds().size;
        const int width = static_cast<int>(std::ceil(std::max(1.0, size.width) * scale));
        const int height = static_cast<int>(std::ceil(std::max(1.0, size.height) * scale));
        pictureRequest_ = pictureLoader->show(photo, persistanceController, *identifier, width, height);
    }
    // A record stored before titles were bounded may hold any length: the card shows its
    // start, as a new record keeps it.
    if (auto title = titleLabel.lock(); title && image->title())
        title->setText(display_limits::clampText(*image->title(), VistrelImageViewModel::maxTitleBytes, 1));
    if (auto date = dateLabel.lock(); date && image->date()) date->setText(galleryDateText(*image->date()));
    if (auto star = favoriteLabel.lock())
        setIconType(*star, VistrelIconType::StarFull, starSize, image->isFavorite() ? vistrelYellow() : Color::lightGray());
    if (auto trash = trashLabel.lock()) {
        trash->setHidden(!inEditionMode);
        if (inEditionMode) {
            trash->layer().setCornerRadius(trash->frame().width() / 2);
            setIconType(*trash, VistrelIconType::TrashEmpty, trashSize, vistrelWhite(), vistrelRed());
        }
    }
}

void ImageCollectionViewCell::didTapFavoriteLabel() {
    auto image = vistrelImage_.lock();
    auto target = delegate.lock();
    if (!image || image->isDeleted() || !target) return;
    target->toggleFavoriteWithImage(image);
}

// The photo fills the card above the caption; the star sits in the photo's top right
// corner, the trash badge in its middle.
void ImageCollectionViewCell::layoutSubviews() {
    platform::ui::CollectionViewCell::layoutSubviews();
    const auto bounds = contentView().bounds();
    const double width = std::max(0.0, bounds.width());
    const double photoHeight = std::max(0.0, bounds.height() - captionHeight);
    const double textWidth = std::max(0.0, width - 16);
    if (auto photo = imageView.lock()) photo->setFrame({0, 0, width, photoHeight});
    if (auto title = titleLabel.lock()) title->setFrame({8, photoHeight + 7, textWidth, 24});
    if (auto date = dateLabel.lock()) date->setFrame({8, photoHeight + 33, textWidth, 20});
    if (auto star = favoriteLabel.lock()) star->setFrame({std::max(0.0, width - 40), 4, 36, 36});
    if (auto trash = trashLabel.lock()) trash->setFrame({width / 2 - 27, photoHeight / 2 - 27, 54, 54});
}

std::shared_ptr<ImageCollectionViewCell> makeImageCollectionViewCell() {
    auto cell = std::make_shared<ImageCollectionViewCell>();
    cell->setReuseIdentifier(std::string(ImageCollectionViewCell::reuseIdentifier));
    cell->setBackgroundColor(Color::white());
    cell->setClipsToBounds(true);
    cell->layer().setCornerRadius(6);
    auto& content = cell->contentView();

    auto photo = std::make_shared<platform::ui::ImageView>();
    photo->setContentMode(platform::ui::ContentMode::scaleAspectFill);
    photo->setClipsToBounds(true);
    photo->setBackgroundColor(Color::lightGray());
    auto title = std::make_shared<platform::ui::Label>();
    title->setFont(platform::graphics::FontRegistry::shared().defaultFont(15));
    auto date = std::make_shared<platform::ui::Label>();
    date->setFont(platform::graphics::FontRegistry::shared().defaultFont(12));
    date->setTextColor(Color::gray());
    auto star = std::make_shared<platform::ui::Label>();
    star->setUserInteractionEnabled(true);  // the star takes the tap
    auto trash = std::make_shared<platform::ui::Label>();
    trash->setClipsToBounds(true);
    trash->setHidden(true);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::ui::View>>{photo, title, date, star, trash})
        content.addSubview(view);

    // One recogniser for the card's whole life, whatever it shows.
    auto tap = std::make_shared<platform::ui::TapGestureRecognizer>();
    tap->addTarget(cell, &ImageCollectionViewCell::didTapFavoriteLabel);
    star->addGestureRecognizer(tap);

    cell->imageView = photo;
    cell->titleLabel = title;
    cell->dateLabel = date;
    cell->favoriteLabel = star;
    cell->trashLabel = trash;
    return cell;
}

}  // namespace vistrel
