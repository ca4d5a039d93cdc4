#include "fire/frame_rate.h"

#include <gtest/gtest.h>

#include <climits>

using pyrelle::timer_period_ms;

TEST(FrameRate, TimerPeriodUsesTheStoredRateOnlyWithin1To1000)
{
    const struct {
        std::int32_t rate;
        std::int32_t period_ms;
    } cases[] = {{24, 41}, {30, 33}, {1, 1000}, {1000, 1}, {0, 41}, {-1, 41}, {1001, 41}, {INT_MIN, 41}, {INT_MAX, 41}};
    for (const auto& c : cases) {
        EXPECT_EQ(timer_period_ms(c.rate), c.period_ms) << c.rate;
    }
}
