#include "vistrel/platform/graphics/open_embeddings.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform::graphics;

namespace {

const std::string lre = "\u202A", rle = "\u202B", pdf = "\u202C", lro = "\u202D", rlo = "\u202E";
const std::string lri = "\u2066", rli = "\u2067", fsi = "\u2068", pdi = "\u2069";

std::string times(const std::string& unit, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += unit;
    return out;
}

}  // namespace

TEST(OpenEmbeddingsTest, OpensWhatTheTextLeavesOpenAsTheBidiRulesCloseIt) {
    struct Row {
        const char* what;
        std::string text;
        bool rightToLeft;
        std::string open;
    };
    const std::vector<Row> rows = {
        {"plain text", "abc \u05D0\u05D1 123", false, ""},
        {"an override", "a" + rlo + "bc", false, rlo},
        {"closed again", rlo + "ab" + pdf + "c", false, ""},
        {"nested, one closed", lre + "a" + rlo + "b" + pdf, false, lre},
        {"isolates, one closed", rli + "a" + fsi + "b" + pdi + "c" + lri, true, rli + lri},
        {"an isolate closes what it holds", rli + lro + rle + "a" + pdi, false, ""},
        {"a pop inside an isolate leaves it", lre + rli + pdf + pdf, false, lre + rli},
        {"closers with nothing open", pdf + pdi + "a" + pdf, false, ""},
        // Levels go up to the next even one from left to right (62 reach level 124, the
        // 63rd overflows, and the first close is taken by the overflow), to the next odd
        // one from right to left (63 reach 125).
        {"past the deepest level", times(lre, 63) + pdf, false, times(lre, 62)},
        {"past it from a right-to-left paragraph", times(lre, 63), true, times(lre, 62)},
        {"an isolate past it", times(lre, 62) + lri + pdi + pdf, false, times(lre, 61)},
        {"right to left, one level at a time", times(rle, 64), false, times(rle, 63)},
    };
    for (const Row& row : rows) {
        OpenEmbeddings embeddings;
        embeddings.startParagraph(row.rightToLeft);
        // In two reads split in the middle, as pieces read it.
        std::size_t middle = row.text.size() / 2;
        while (middle > 0 && (static_cast<unsigned char>(row.text[middle]) & 0xC0) == 0x80) --middle;
        embeddings.read(row.text, 0, middle);
        embeddings.read(row.text, middle, row.text.size());
        EXPECT_EQ(embeddings.openers(), row.open) << row.what;
    }
}
