#include "ui/glint_gif.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/vistrel_bundle.hpp"
#include "platform/foundation/log.hpp"
#include "support/loopback_server.hpp"
#include "support/temp_dir.hpp"
#include "ui/gif_files.hpp"

namespace {

using platform::graphics::Color;
using platform::LogCapture;
using platform::graphics::GifFrameProperties;
using platform::graphics::Image;
using platform::graphics::ImageSource;
using vistrel::GifLimits;
using vistrel::GlintGif;
using namespace uitest;

using Millis = std::vector<std::int64_t>;

// Each frame's display time in whole milliseconds; empty without an image.
Millis frameTimes(const std::optional<Image>& image) {
    Millis times;
    for (std::size_t i = 0; image && i < image->frames().size(); ++i)
        times.push_back(std::llround(image->frameDuration(i) * 1000));
    return times;
}

TEST(GlintGifTest, DelaysBecomeFrameTimes) {
    struct Case {
        const char* name;
        std::vector<int> hundredths;
        Millis times;
    };
    const std::vector<Case> cases = {
        {"0 and 1 hundredth play for the minimum", {0, 1, 10}, {100, 100, 100}},
        {"100 and 150 ms", {10, 15}, {100, 150}},
        {"2.01 s", {201, 10}, {2010, 100}},
        {"the longest delay a GIF holds", {65535, 10}, {655350, 100}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frameTimes(GlintGif::gifWithData(gifWithDelays(c.hundredths))), c.times) << c.name;
    // Each frame shows for its own time, and the animation repeats.
    auto image = GlintGif::gifWithData(gifWithDelays({10, 15}));
    ASSERT_TRUE(image);
    std::vector<std::size_t> shown;
    for (double t : {0.0, 0.099, 0.1, 0.249, 0.25, 0.36}) shown.push_back(image->frameIndexAt(t));
    EXPECT_EQ(shown, (std::vector<std::size_t>{0, 0, 1, 1, 0, 1}));
}

TEST(GlintGifTest, FrameListRepeatsFramesByCount) {
    vistrel::GifFrameList list = GlintGif::frameList({100, 150});
    EXPECT_EQ(list.unit, 50);
    EXPECT_EQ(list.repeats, (std::vector<std::int64_t>{2, 3}));
    EXPECT_EQ(list.entries, 5u);
    EXPECT_EQ(list.duration, 250);
    // Rounded delays keep the divisor at 10 ms: 211 entries, not 2109 as 2009 ms would give.
    EXPECT_EQ(GlintGif::frameList({GlintGif::milliseconds(2.01), 100}).entries, 211u);
    EXPECT_EQ(GlintGif::milliseconds(0.1259), 126);
    EXPECT_EQ(GlintGif::frameList({0, 0}).unit, 1);  // never a divisor of 0
}

TEST(GlintGifTest, CommonDivisors) {
    const Millis lists[] = {{}, {12}, {100, 150, 250}, {0, 0}};
    Millis divisors;
    for (const Millis& list : lists) divisors.push_back(GlintGif::gcdForArray(list));
    EXPECT_EQ(divisors, (Millis{1, 12, 50, 0}));
    const std::pair<std::optional<std::int64_t>, std::optional<std::int64_t>> pairs[] = {
        {std::nullopt, 7}, {7, std::nullopt}, {std::nullopt, std::nullopt}, {12, 18}, {0, 9}, {-12, 18}};
    divisors.clear();
    for (const auto& [a, b] : pairs) divisors.push_back(GlintGif::gcdForPair(a, b));
    EXPECT_EQ(divisors, (Millis{7, 7, 0, 6, 9, 6}));
}

TEST(GlintGifTest, DelayRuleAndUnusableDelays) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ImageSource source;
    auto add = [&](std::optional<GifFrameProperties> gif) { source.frames.push_back({std::nullopt, gif}); };
    add(GifFrameProperties{0, 0.05});
    add(GifFrameProperties{0, 0.2});
    add(GifFrameProperties{0.02, 0.1});
    add(std::nullopt);
    add(GifFrameProperties{nan, nan});
    add(GifFrameProperties{-3, -3});
    add(GifFrameProperties{0, nan});
    const std::vector<double> expected = {0.1, 0.2, 0.1, 0.1, 0.1, 0.1, 0.1};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_DOUBLE_EQ(GlintGif::delayForImageAtIndex(i, source), expected[i]) << "frame " << i;
}

TEST(GlintGifTest, DisposalComposesFrames) {
    using imagetest::GifFrame;
    GifFrame base = solidFrame(4, 4, 0, 10);  // red
    GifFrame cleared{0, 0, 2, 2, {1, 1, 1, 1}, 10, DISPOSE_BACKGROUND, NO_TRANSPARENT_COLOR};
    GifFrame last{3, 3, 1, 1, {2}, 10, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR};
    auto image = GlintGif::gifWithData(imagetest::encodeGif(4, 4, kPalette, {base, cleared, last}));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->frames().size(), 3u);
    EXPECT_EQ(image->frames()[1].pixel(0, 0), Color::blue());
    EXPECT_EQ(image->frames()[2].pixel(0, 0), Color::clear());
    EXPECT_EQ(image->frames()[2].pixel(2, 2), Color::red());
    EXPECT_EQ(image->frames()[2].pixel(3, 3), Color::green());
}

TEST(GlintGifTest, FramesThatFailTakeTheirDelaysWithThem) {
    // The middle frame has no colours to draw with: the file's shared palette (of 4
    // colours, 12 bytes after the 13-byte header) is taken out, and only the other two
    // frames have their own.
    std::vector<imagetest::GifFrame> frames = {solidFrame(2, 2, 0, 10), solidFrame(2, 2, 1, 20),
                                               solidFrame(2, 2, 2, 30)};
    std::string gif = imagetest::encodeGif(2, 2, kPalette, frames, {kPalette, {}, kPalette});
    gif[10] = char(gif[10] & 0x7F);
    gif.erase(13, 12);
    auto image = GlintGif::gifWithData(gif);
    EXPECT_EQ(frameTimes(image), (Millis{100, 300}));
    ASSERT_TRUE(image && image->frames().size() == 2);
    EXPECT_EQ(image->frames()[1].pixel(0, 0), Color::green());

    // A file cut inside its last frame keeps the frames before it, with their own delays.
    std::string cut = gifWithDelays({10, 20, 30}, 16, 16);
    cut.resize(cut.size() - 20);
    EXPECT_EQ(frameTimes(GlintGif::gifWithData(cut)), (Millis{100, 200}));
}

TEST(GlintGifTest, LimitsRefuseBeforeDecodingAndSayWhy) {
    std::string huge = gifWithDelays({10});
    huge[6] = huge[7] = huge[8] = huge[9] = '\xFF';  // a 65535 x 65535 screen
    GifLimits fewFrames;
    fewFrames.source.maxFrames = 2;
    GifLimits fewBytes;
    fewBytes.source.maxDecodedBytes = 4 * 4 * 4 * 2;
    GifLimits shortList;
    shortList.maxFrameListEntries = 100;
    struct Case {
        const char* name;
        std::string bytes;
        GifLimits limits;
        const char* line;
    };
    const std::vector<Case> cases = {
        {"canvas", huge, {}, "GlintGif: Source for the image is over a limit: the canvas pixel count 4294836225"},
        {"frames", gifWithDelays({10, 10, 10}), fewFrames, "the frame count 3 is over the limit of 2"},
        {"bytes", gifWithDelays({10, 10, 10}), fewBytes, "the decoded byte count 192 is over the limit of 128"},
        {"frame list", gifWithDelays({65535, 11}), shortList, "GlintGif: The frame list of 65546 entries"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_FALSE(GlintGif::gifWithData(c.bytes, c.limits)) << c.name;
        EXPECT_TRUE(log.contains(c.line)) << c.name;
    }
}

TEST(GlintGifTest, ForeignAndStillBytes) {
    LogCapture log;
    EXPECT_FALSE(GlintGif::gifWithData("not a picture"));
    EXPECT_TRUE(log.contains("GlintGif: Source for the image does not exist"));
    auto still = GlintGif::gifWithData(imagetest::encodePng(imagetest::Picture(3, 2, kPalette[1])));
    ASSERT_TRUE(still);
    EXPECT_EQ(still->frames().size(), 1u);
    EXPECT_EQ(still->pixelWidth(), 3);
}

TEST(GlintGifTest, LoadsFromBundlesFilesAndAddresses) {
    // The kit's own spinner.
    auto bundle = vistrel::vistrelBundle();
    ASSERT_TRUE(bundle);
    auto spinner = GlintGif::gifNamed("spinner", bundle.get());
    ASSERT_TRUE(spinner);
    EXPECT_EQ(spinner->frames().size(), 12u);
    EXPECT_NEAR(spinner->duration(), 1.2, 1e-9);

    testsupport::TempDir folder;
    folder.write("dots.gif", gifWithDelays({10, 20}));
    std::filesystem::create_directories(folder / "folder.gif");
    auto given = platform::Bundle::atPath(folder.path());
    EXPECT_EQ(frameTimes(GlintGif::gifNamed("dots", given.get())), (Millis{100, 200}));
    std::string fileURL = "file://";
    fileURL += (folder / "dots.gif").string();
    EXPECT_EQ(frameTimes(GlintGif::gifWithURL(fileURL)), (Millis{100, 200}));

    testsupport::LoopbackServer server;
    testsupport::CannedAnswer gif;
    gif.body = gifWithDelays({30, 30});
    server.answer(gif);
    EXPECT_EQ(frameTimes(GlintGif::gifWithURL(server.url("/a.gif"))), (Millis{300, 300}));

    LogCapture log;
    EXPECT_FALSE(GlintGif::gifNamed("missing", given.get()));
    EXPECT_FALSE(GlintGif::gifNamed("missing"));
    EXPECT_FALSE(GlintGif::gifWithURL("not a url"));
    EXPECT_FALSE(GlintGif::gifNamed("folder", given.get()));
    testsupport::CannedAnswer reset;
    reset.reset = true;
    server.answer(reset);
    EXPECT_FALSE(GlintGif::gifWithURL(server.url("/gone.gif")));
    EXPECT_EQ(log.count("GlintGif: This image named \"missing\" does not exist"), 2u);
    EXPECT_TRUE(log.contains("GlintGif: This image named \"not a url\" does not exist"));
    EXPECT_TRUE(log.contains("GlintGif: Cannot turn image named \"folder\" into NSData"));
    std::string gone = "GlintGif: Cannot turn image named \"";
    gone += server.url("/gone.gif");
    gone += "\" into NSData";
    EXPECT_TRUE(log.contains(gone));
}

}  // namespace
