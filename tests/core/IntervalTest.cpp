#include "Interval.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(IntervalTest, IntervalsRestartAtEveryFullHourAndEndThereAtTheLatest) {
    CScopedEnv zone("TZ", "UTC0");
    // clang-format off
    const std::tuple<CTimeVal, int, CTimeVal, CTimeVal, int> cases[] = { // moment, length: start, end, offset
        {At(14, 31, 5, 999999), 300, At(14, 30), At(14, 35), 65}, {At(14, 59, 59), 60, At(14, 59), At(15, 0), 59},
        {At(14, 58, 10), 420, At(14, 56), At(15, 0), 130},         {At(14, 50), 2700, At(14, 45), At(15, 0), 300},
        {At(14, 44, 59), 2700, At(14, 0), At(14, 45), 2699},       {At(14, 9), 5400, At(14, 0), At(15, 0), 540},
    };
    // clang-format on
    for (const auto& [moment, length, start, end, offset] : cases) {
        CInterval interval(moment, length);
        std::string what = moment.TimeString() + " in " + std::to_string(length) + " s intervals";
        EXPECT_EQ(interval.Start().TimeString() + "-" + interval.End().TimeString(),
                  start.TimeString() + "-" + end.TimeString())
            << what;
        EXPECT_EQ(interval.Offset(), offset) << what;
        EXPECT_EQ(interval.Next().Start(), interval.End()) << what;
        EXPECT_TRUE(interval.Holds(float(interval.LengthSecs())) &&
                    !interval.Holds(float(interval.LengthSecs()) + 0.1f))
            << what;
    }
}
