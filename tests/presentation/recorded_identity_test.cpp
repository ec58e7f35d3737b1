// What an answer, or the QR codes of a photo, leaves in the history: the record made
// through the view model of a recognised image, in a real store, read back by a new launch.
#include <optional>
#include <string>
#include <vector>

#include "store/store_fixture.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/presentation/vistrel_image_view_model.hpp"

using vistrel::VistrelImageViewModel;

namespace {

using RecordedIdentityTest = storetest::StoreTest;

std::string repeated(std::string_view unit, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += unit;
    return text;
}

// An answer with the three texts (none of them holding a character JSON escapes).
vistrel::Image answer(const std::string& documentId, const std::string& id, const std::string& title) {
    return vistrel::Image::fromData(R"({"Actions": [], "DocumentId": ")" + documentId + R"(", "Id": ")" + id +
                                    R"(", "Title": ")" + title + "\"}");
}

TEST_F(RecordedIdentityTest, WhatIsRecordedIsBoundedAndCutWhereACharacterEnds) {
    constexpr std::size_t maxTitle = VistrelImageViewModel::maxTitleBytes;
    // "e" and a combining accent (3 bytes), a family of three joined emoji (18 bytes), a
    // space: a unit of three user-perceived characters, which end 3, 21 and 22 bytes in.
    const std::string unit = "e\u0301\U0001F468\u200D\U0001F469\u200D\U0001F467 ";
    std::size_t lastEnd = 0;
    for (std::size_t at = 0; at <= maxTitle; at += unit.size())
        for (std::size_t end : {at, at + 3, at + 21})
            if (end <= maxTitle) lastEnd = end;
    const std::string marked = repeated(unit, 2 * maxTitle);
    const std::string fifteenMegabytes = repeated("Spring catalogue ", 15u << 20);
    const std::string sevenThousandDigits(7000, '7');
    struct Row {
        std::string name;
        vistrel::Image image;
        std::optional<std::string> title;  // as recorded; none when nothing is
        std::string logged;
    };
    const std::vector<Row> rows = {
        {"a title of 15 MB", answer("doc-1", "img-1", fifteenMegabytes),
         fifteenMegabytes.substr(0, maxTitle) + "\u2026", "IMAGE ID :: doc-1"},
        {"a title at the bound", answer("doc-2", "img-2", std::string(maxTitle, 't')), std::string(maxTitle, 't'),
         "IMAGE ID :: doc-2"},
        {"accents and joined emoji past the bound", answer("doc-3", "img-3", marked),
         marked.substr(0, lastEnd) + "\u2026", "IMAGE ID :: doc-3"},
        {"an identifier past its bound",
         answer("doc-4", std::string(VistrelImageViewModel::maxIdentifierBytes + 1, 'i'), "T"), std::nullopt,
         "history :: the image is not recorded: its \"Id\" is over 8192 bytes"},
        {"a document identifier past its bound",
         answer(std::string(VistrelImageViewModel::maxDocumentIdBytes + 1, 'd'), "img-5", "T"), std::nullopt,
         "history :: the image is not recorded: its \"DocumentId\", with the texts of its QR codes, is over 65536 bytes"},
        {"the text of the largest QR code", vistrel::Image::fromQrcodeFeatures({sevenThousandDigits}), "QR code detected",
         "IMAGE ID :: 7777"},
        {"the texts of ten large QR codes",
         vistrel::Image::fromQrcodeFeatures(std::vector<std::optional<std::string>>(10, sevenThousandDigits)),
         std::nullopt, "its \"DocumentId\", with the texts of its QR codes, is over"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        docs = dir / ("docs-" + std::to_string(i));  // a history of its own
        log.clear();
        const vistrel::ImageViewModel viewModel(row.image);
        const bool made = VistrelImageViewModel::make(viewModel, storetest::picture(platform::graphics::Color::red()),
                                                      controller()) != nullptr;
        auto records = controller()->retrieveImages().value_or(vistrel::VistrelImages{});
        EXPECT_EQ(std::tuple(made, records.size()), std::tuple(row.title.has_value(), std::size_t{row.title ? 1u : 0u}));
        EXPECT_TRUE(log.contains(row.logged));
        // Every line logged stays short, whatever the answer held (a document is logged
        // by its start, 4 KB, and a note of what was left out).
        for (const std::string& line : log.lines()) EXPECT_LT(line.size(), 4200u) << line.substr(0, 80);
        if (!row.title || records.empty()) continue;
        // Compared, not printed: the texts may be megabytes long.
        EXPECT_TRUE(records.front()->title() == row.title) << records.front()->title().value_or("").size();
        EXPECT_EQ(std::tuple(records.front()->identifier(), records.front()->documentId()),
                  std::tuple(viewModel.imageId(), viewModel.imageDocumentId()));
    }
}

}  // namespace
