// The gallery's tab titles and the text of an empty tab are in the system font at medium
// weight, which the kit's medium text face provides once its fonts are registered.
#include "screen_fixture.hpp"
#include "vistrel/core/fonts.hpp"
#include "vistrel/screens/gallery/empty_collection_view_cell.hpp"

namespace {

using namespace screentest;

struct GalleryFontsTest : ScreenTest {};

TEST_F(GalleryFontsTest, TabTitlesAndTheEmptyTabsTextAreInTheMediumSystemFont) {
    {
        platform::LogCapture quiet;  // registered already when another test came first
        vistrel::registerFontsWithFilenames({"SFProText-Medium.ttf"});
    }
    auto gallery = open();
    const auto fontOf = [](const std::shared_ptr<ui::Label>& label) {
        return label && label->font() ? label->font()->postScriptName + " " + std::to_string(label->font()->pointSize)
                                      : "none";
    };
    for (const auto& button : {gallery->recentsButton(), gallery->favoriteButton(), gallery->waitingListButton()}) {
        ASSERT_TRUE(button);
        EXPECT_EQ(fontOf(button->titleLabel()), "SFProText-Medium 14.000000");
    }
    auto grid = gallery->contentControllers.at(0)->collectionView();
    grid->layoutIfNeeded();
    auto empty = std::dynamic_pointer_cast<vistrel::EmptyCollectionViewCell>(grid->cellForItem({0, 0}));
    ASSERT_TRUE(empty);
    EXPECT_EQ(fontOf(empty->textLabel.lock()), "SFProText-Medium 16.000000");
}

}  // namespace
