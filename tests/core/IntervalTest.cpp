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

TEST(IntervalTest, KeysAreWrittenAsTheScheduleWritesThemToTheNearestTenth) {
    // clang-format off
    const std::pair<float, const char*> cases[] = {
        {0, "0:00.0"}, {120.5f, "2:00.5"}, {59.96f, "1:00.0"}, {3600, "60:00.0"}, {605.2f, "10:05.2"},
        {0.04f, "0:00.0"}, {-1.5f, "-0:01.5"}, {-61.25f, "-1:01.3"}, {-0.04f, "0:00.0"},
    };
    // clang-format on
    for (const auto& [secs, text] : cases)
        EXPECT_EQ(CInterval::KeyText(secs), text) << secs;
}
