#include "vistrel/screens/common/glint_gif.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "loopback_server.hpp"
#include "screens/common/gif_files.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"

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
    // 0 and 1 hundredth play for the minimum.
    EXPECT_EQ(frameTimes(GlintGif::gifWithData(gifWithDelays({0, 1, 10}))), (Millis{100, 100, 100}));
    EXPECT_EQ(frameTimes(GlintGif::gifWithData(gifWithDelays({201, 10}))), (Millis{2010, 100}));
    // Each frame shows for its own time, and the animation repeats.
    auto image = GlintGif::gifWithData(gifWithDelays({10, 15}));
    ASSERT_TRUE(image);
    std::vector<std::size_t> shown;
    for (double t : {0.0, 0.099, 0.1, 0.249, 0.25, 0.36}) shown.push_back(image->frameIndexAt(t));
    EXPECT_EQ(shown, (std::vector<std::size_t>{0, 0, 1, 1, 0, 1}));
}

TEST(GlintGifTest, FrameListRepeatsFramesByTheirCommonDivisor) {
    vistrel::GifFrameList list = GlintGif::frameList({100, 150});
    EXPECT_EQ(std::tuple(list.unit, list.repeats), std::tuple(50, std::vector<std::int64_t>{2, 3}));
    // Rounded delays keep the divisor at 10 ms: 211 entries, not 2109 as 2009 ms would give.
    EXPECT_EQ(GlintGif::frameList({GlintGif::milliseconds(2.01), 100}).entries, 211u);
    // Zero delays have no common divisor; the list still never divides by 0.
    EXPECT_EQ(std::tuple(GlintGif::gcdForArray({0, 0}), GlintGif::frameList({0, 0}).unit), std::tuple(0, 1));
    EXPECT_EQ(std::tuple(GlintGif::gcdForPair(std::nullopt, 7), GlintGif::gcdForPair(-12, 18)), std::tuple(7, 6));
}

TEST(GlintGifTest, DelayRuleAndUnusableDelays) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ImageSource source;
    for (auto gif : std::vector<std::optional<GifFrameProperties>>{
             GifFrameProperties{0, 0.05}, GifFrameProperties{0, 0.2}, GifFrameProperties{0.02, 0.1}, std::nullopt,
             GifFrameProperties{nan, nan}, GifFrameProperties{-3, -3}, GifFrameProperties{0, nan}})
        source.frames.push_back({std::nullopt, gif});
    const std::vector<double> expected = {0.1, 0.2, 0.1, 0.1, 0.1, 0.1, 0.1};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_DOUBLE_EQ(GlintGif::delayForImageAtIndex(i, source), expected[i]) << "frame " << i;
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
}

TEST(GlintGifTest, UnusableBytesAreRefusedAndSayWhy) {
    std::string huge = gifWithDelays({10});
    huge[6] = huge[7] = huge[8] = huge[9] = '\xFF';  // a 65535 x 65535 screen
    GifLimits shortList;
    shortList.maxFrameListEntries = 100;
    LogCapture log;
    EXPECT_FALSE(GlintGif::gifWithData(huge) || GlintGif::gifWithData(gifWithDelays({65535, 11}), shortList) ||
                 GlintGif::gifWithData("not a picture"));
    EXPECT_TRUE(log.contains("GlintGif: Source for the image is over a limit: the canvas pixel count 4294836225"));
    EXPECT_TRUE(log.contains("GlintGif: The frame list of 65546 entries"));
    EXPECT_TRUE(log.contains("GlintGif: Source for the image does not exist"));
}

TEST(GlintGifTest, LoadsFromBundlesAndAddresses) {
    // The kit's own spinner.
    auto bundle = vistrel::vistrelBundle();
    auto spinner = GlintGif::gifNamed("spinner", bundle.get());
    EXPECT_NEAR(spinner ? spinner->duration() : 0, 1.2, 1e-9);

    testsupport::TempDir folder;
    folder.write("dots.gif", gifWithDelays({10, 20}));
    auto given = platform::Bundle::atPath(folder.path());
    EXPECT_EQ(frameTimes(GlintGif::gifNamed("dots", given.get())), (Millis{100, 200}));

    testsupport::LoopbackServer server;
    testsupport::CannedAnswer gif;
    gif.body = gifWithDelays({30, 30});
    server.answer(gif);
    EXPECT_EQ(frameTimes(GlintGif::gifWithURL(server.url("/a.gif"))), (Millis{300, 300}));

    LogCapture log;
    testsupport::CannedAnswer reset;
    reset.reset = true;
    server.answer(reset);
    EXPECT_FALSE(GlintGif::gifNamed("missing", given.get()) || GlintGif::gifWithURL(server.url("/gone.gif")));
    EXPECT_TRUE(log.contains("GlintGif: This image named \"missing\" does not exist"));
    EXPECT_TRUE(log.contains("/gone.gif\" into NSData"));
}

}  // namespace
