#include "audio/demo_track.h"

#include <gtest/gtest.h>

TEST(DemoTrack, EachSampleIsTakenAtItsOwnFractionalTime)
{
    // Sample i is the sound at i / 44100 s: pinned values (within what libm builds may differ by)
    // at the first samples, mid-beat and across channels.
    const pyrelle::pcm_audio demo = pyrelle::demo::make_demo_track();
    ASSERT_EQ(demo.frame_count(), 8u * 44100u);
    const struct {
        std::size_t frame;
        float left, right;
    } pinned[] = {{1, 0.0739380717f, 0.0739380717f},
                  {2, 0.146177784f, 0.146177784f},
                  {22057, 0.15266259f, 0.165195599f},
                  {100003, -0.0365459472f, -0.0422209799f}};
    for (const auto& p : pinned) {
        EXPECT_NEAR(demo.samples[2 * p.frame], p.left, 1e-6) << p.frame;
        EXPECT_NEAR(demo.samples[2 * p.frame + 1], p.right, 1e-6) << p.frame;
    }
}
