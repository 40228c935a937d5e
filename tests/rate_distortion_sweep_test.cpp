// The sweep engine's order of work: stopped early, it has measured every
// codec at its first qualities rather than tamr alone.

#include <gtest/gtest.h>

#include <atomic>

#include "document/RateDistortionSweep.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

TEST(RateDistortionSweep, StoppedEarlyItHasEveryQualityCodecAtTheFirstQuality)
{
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 64;
    layout.height = 48;
    layout.rows = test::RandomBytes(64 * 48 * 3, 7);
    const auto picture = scratch / "noise.bmp";
    test::WriteBytes(picture, test::BuildBmp(layout));

    std::atomic<bool> stop{false};
    SweepRequest request;
    request.qualities = {10, 30, 50, 70, 90};
    request.peers = {FindCodec("jpeg"), FindCodec("webp")};
    request.threads = 1;
    request.stop = &stop;
    ScriptedPrompter prompter;
    // One point per codec, then stop.
    const auto result = RunSweep(picture, request, prompter, [&stop](std::size_t done, std::size_t) {
        if (done == 3)
            stop = true;
    });
    ASSERT_TRUE(result.has_value());
    std::size_t measured = 0;
    for (const SweepPoint& point : result->points) {
        if (point.Failed()) {
            EXPECT_EQ(point.failure, kSweepStopped);
            continue;
        }
        ++measured;
        EXPECT_EQ(point.quality, 10) << point.codec->name;
    }
    EXPECT_EQ(measured, 3U);
    // The points are listed by codec, then quality, whatever order they were made in.
    ASSERT_EQ(result->points.size(), 15U);
    EXPECT_EQ(result->points[5].codec, FindCodec("jpeg"));
    EXPECT_EQ(result->points[5].quality, 10);
}

} // namespace
} // namespace tamr
