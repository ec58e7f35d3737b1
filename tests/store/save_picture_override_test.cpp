#include <functional>

#include "store_fixture.hpp"
#include "support/file_size_limit.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/store/stale_photo_files.hpp"

using platform::graphics::Color;
using namespace storetest;

namespace {

// A host's controller that keeps photos its own way: elsewhere, or through the kit's file.
struct OwnPhotos : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    bool inTheKitsFolder = false;
    std::vector<std::string> asked;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        asked.emplace_back(key);
        return !inTheKitsFolder || PersistanceController::savePicture(picture, key);
    }
};

struct SavePictureOverrideTest : StoreTest {
    std::shared_ptr<OwnPhotos> history = std::make_shared<OwnPhotos>(controller()->layer);
};

// The photo of every new record is asked of savePicture, once, under the record's
// identifier; the kit writes no file of its own for it.
TEST_F(SavePictureOverrideTest, EveryNewRecordsPhotoGoesThroughSavePicture) {
    for (const auto& insert : std::vector<std::function<std::shared_ptr<vistrel::VistrelImage>()>>{
             [&] { return history->createRandomVistrelImage(picture(Color::red()), at(1)); },
             [&] { return history->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::red()), at(2)); }}) {
        history->asked.clear();
        auto image = insert();
        ASSERT_TRUE(image);
        const auto identifier = image->identifier().value_or("");
        EXPECT_EQ(history->asked, std::vector{identifier});
        EXPECT_FALSE(std::filesystem::exists(history->picturePath(identifier)));
        EXPECT_EQ(history->loadVistrelImages({identifier}).value_or(vistrel::VistrelImages{}).size(), 1u);
    }
}

// A record that cannot be saved over the photo a deleted record left: savePicture is
// asked, and the photo that had the name is back as it was, with nothing beside it.
TEST_F(SavePictureOverrideTest, AFailedSaveThroughSavePicturePutsBackThePhotoThatHadTheName) {
    history->inTheKitsFolder = true;
    const auto old = dir.write("docs/img-2.jpg", *platform::graphics::encodeJpeg(picture(Color::red()), 1.0));
    ASSERT_TRUE(history->retrieveImages());  // the store is open
    {
        testsupport::ScopedFileSizeLimit full(4096);  // room for the photo, not for the record
        EXPECT_FALSE(history->loadOrCreateVistrelImage("d", "img-2", "t", picture(Color::blue()), at(2)));
    }
    EXPECT_EQ(history->asked, std::vector<std::string>{"img-2"});
    EXPECT_EQ(platform::readFile(old, 64u << 20), platform::graphics::encodeJpeg(picture(Color::red()), 1.0));
    for (const auto& entry : std::filesystem::directory_iterator(docs))
        EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
}

}  // namespace
