#include "store/vistrel_image_view_model.hpp"

#include <filesystem>

#include "model/image.hpp"
#include "store_fixture.hpp"

namespace {

using storetest::StoreTest;
using vistrel::ImageViewModel;
using vistrel::VistrelImageViewModel;

ImageViewModel recognised(const char* documentId, const char* id, const char* title) {
    std::string text = "{\"Actions\": []";
    for (auto [key, value] : {std::pair{"DocumentId", documentId}, {"Id", id}, {"Title", title}})
        if (value) text.append(", \"").append(key).append("\": \"").append(value).append("\"");
    text += '}';
    return ImageViewModel(vistrel::Image::fromData(text));
}

TEST_F(StoreTest, ARecognisedImageIsRecordedOnceWithItsPhoto) {
    auto history = controller();
    auto red = storetest::picture(platform::graphics::Color::rgba(1, 0, 0));
    auto first = VistrelImageViewModel::make(recognised("doc-1", "img-1", "Spring"), red, history);
    ASSERT_TRUE(first);
    EXPECT_TRUE(log.contains("IMAGE ID :: doc-1"));
    EXPECT_EQ(first->imageIdentifier(), "img-1");
    EXPECT_EQ(first->documentId(), "doc-1");
    EXPECT_FALSE(first->isFavorite());
    EXPECT_TRUE(std::filesystem::exists(history->picturePath("img-1")));
    first->updateDate(storetest::at(0));
    first->save();
    first->toggleIsFavorite();
    // The same image again finds the saved record as it was: marked, dated as before,
    // its photo not written again.
    auto photoTime = std::filesystem::last_write_time(history->picturePath("img-1"));
    auto again = VistrelImageViewModel::make(recognised("doc-1", "img-1", "Spring"),
                                             storetest::picture(platform::graphics::Color::rgba(0, 0, 1)),
                                             controller());
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isFavorite());
    EXPECT_EQ(again->vistrelImage->date(), storetest::at(0));
    EXPECT_EQ(std::filesystem::last_write_time(history->picturePath("img-1")), photoTime);
    again->toggleIsFavorite();
    again->toggleIsFavorite();
    EXPECT_TRUE(controller()->loadVistrelImages({"img-1"})->front()->isFavorite());
}

TEST_F(StoreTest, AnImageWithoutItsIdentityIsNotRecorded) {
    auto history = controller();
    auto photo = storetest::picture(platform::graphics::Color::rgba(0, 1, 0));
    EXPECT_FALSE(VistrelImageViewModel::make(recognised(nullptr, "img-2", "T"), photo, history));
    EXPECT_FALSE(VistrelImageViewModel::make(recognised("doc", nullptr, "T"), photo, history));
    EXPECT_FALSE(VistrelImageViewModel::make(recognised("doc", "img-2", nullptr), photo, history));
    EXPECT_FALSE(history->retrieveImages().value_or(vistrel::VistrelImages{1}).size());
    EXPECT_FALSE(log.contains("IMAGE ID"));
}

}  // namespace
