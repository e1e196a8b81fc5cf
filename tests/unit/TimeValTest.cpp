#include "TimeVal.h"

#include "ProcessSupport.h"

#include <cmath>
#include <cstdint>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {
CTimeVal At(std::int64_t a_Secs, std::int64_t a_Micros) {
    timeval tv{};
    tv.tv_sec = time_t(a_Secs);
    tv.tv_usec = suseconds_t(a_Micros);
    return CTimeVal(tv);
}

// Pins the local time zone for one test and restores the machine's afterwards.
class CScopedTimeZone {
public:
    explicit CScopedTimeZone(const char* a_Zone) : m_Env(new CScopedEnv("TZ", a_Zone)) { tzset(); }
    ~CScopedTimeZone() {
        m_Env.reset();
        tzset();
    }

private:
    std::unique_ptr<CScopedEnv> m_Env;
};

// 2024-01-15 14:00:00 UTC.
constexpr std::int64_t c_TwoPm = 1705327200;
} // namespace

TEST(TimeValTest, AddSecsFloatCarriesAcrossTheSecondBothWays) {
    CTimeVal back = At(100, 0);
    back.AddSecs(-2.5f);
    EXPECT_EQ(back.Seconds(), 97);
    EXPECT_EQ(back.MicroSecs(), 500000);

    CTimeVal forward = At(100, 600000);
    forward.AddSecs(0.75f);
    EXPECT_EQ(forward.Seconds(), 101);
    EXPECT_EQ(forward.MicroSecs(), 350000);
}

TEST(TimeValTest, AddSecsFloatMovesLongOffsetsInFull) {
    CTimeVal t = At(1000, 0);
    t.AddSecs(3000.0f);
    EXPECT_EQ(t.Seconds(), 4000);
    EXPECT_EQ(t.MicroSecs(), 0);

    // The longest interval a schedule can name, 99:99, backwards.
    CTimeVal back = At(100000, 250000);
    back.AddSecs(-6039.0f);
    EXPECT_EQ(back.Seconds(), 100000 - 6039);
    EXPECT_EQ(back.MicroSecs(), 250000);
}

TEST(TimeValTest, KeyOfFortyFiveMinutesLandsOnTheMinute) {
    CScopedTimeZone zone("UTC0");
    CTimeVal start = At(c_TwoPm, 0);
    start.AddSecs(45.0f * 60.0f + 0.0f);
    EXPECT_EQ(start.Hour(), 14);
    EXPECT_EQ(start.Min(), 45);
    EXPECT_EQ(start.Sec(), 0);
    EXPECT_EQ(start.MicroSecs(), 0);
}

TEST(TimeValTest, AddSecsFloatStaysDefinedForAbsurdValues) {
    CTimeVal huge = At(c_TwoPm, 0);
    huge.AddSecs(1e20f);
    CTimeVal infinite = At(c_TwoPm, 0);
    infinite.AddSecs(-std::numeric_limits<float>::infinity());
    CTimeVal nan = At(c_TwoPm, 5);
    nan.AddSecs(std::nanf(""));
    EXPECT_EQ(nan, At(c_TwoPm, 5));
    EXPECT_GE(infinite.MicroSecs(), 0);
    EXPECT_LT(huge.MicroSecs(), 1000000);
    // A 32-bit time_t cannot hold the bounded results; the direction holds with 64 bits.
    if (sizeof(time_t) >= 8) {
        EXPECT_GT(huge.Seconds(), c_TwoPm);
        EXPECT_LT(infinite.Seconds(), c_TwoPm);
    }
}

TEST(TimeValTest, AddMicroSecsTakesSixtyFourBitCounts) {
    CTimeVal t = At(0, 999999);
    t.AddMicroSecs(5000000001LL); // beyond 32 bits
    EXPECT_EQ(t.Seconds(), 5001);
    EXPECT_EQ(t.MicroSecs(), 0);

    t.AddMicroSecs(-1);
    EXPECT_EQ(t.Seconds(), 5000);
    EXPECT_EQ(t.MicroSecs(), 999999);

    // The extremes must not overflow on the way; their seconds fit only a 64-bit time_t.
    CTimeVal most = At(0, 999999);
    most.AddMicroSecs(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(most.MicroSecs(), 775806);
    CTimeVal least = At(0, 0);
    least.AddMicroSecs(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(least.MicroSecs(), 224192);
    if (sizeof(time_t) >= 8) {
        EXPECT_EQ(most.Seconds(), 9223372036855LL);
        EXPECT_EQ(least.Seconds(), -9223372036855LL);
    }
}

TEST(TimeValTest, AddSecsIntTouchesOnlySeconds) {
    CTimeVal t = At(50, 123456);
    t.AddSecs(-60);
    EXPECT_EQ(t.Seconds(), -10);
    EXPECT_EQ(t.MicroSecs(), 123456);
}

TEST(TimeValTest, OrderingAndDifference) {
    EXPECT_TRUE(At(10, 1) < At(10, 2));
    EXPECT_FALSE(At(10, 2) < At(10, 1));
    EXPECT_FALSE(At(10, 2) < At(10, 2));
    EXPECT_TRUE(At(9, 999999) < At(10, 0));
    EXPECT_FALSE(At(11, 0) < At(10, 999999));

    EXPECT_FLOAT_EQ(At(10, 0) - At(9, 500000), 0.5f);
    EXPECT_FLOAT_EQ(At(9, 500000) - At(10, 0), -0.5f);
    // Large epoch values keep their sub-second difference.
    EXPECT_FLOAT_EQ(At(c_TwoPm, 250000) - At(c_TwoPm, 0), 0.25f);
}

TEST(TimeValTest, TimeStringAndFieldsUseLocalTime) {
    CScopedTimeZone zone("UTC0");
    std::int64_t nineOhFive = c_TwoPm - 5 * 3600 + 5 * 60 + 7; // 09:05:07
    EXPECT_EQ(At(nineOhFive, 42000).TimeString(), "9:05:07.42");
    EXPECT_EQ(At(nineOhFive, 420000).TimeString(), "9:05:07.420");
    EXPECT_EQ(At(nineOhFive, 7999).TimeString(), "9:05:07.7");
    EXPECT_EQ(At(c_TwoPm + 10 * 3600, 0).TimeString(), "0:00:00.0");
    EXPECT_EQ(At(nineOhFive, 999999).MilliSec(), 999);
    {
        CScopedTimeZone plusTwo("QQQ-2");
        EXPECT_EQ(At(nineOhFive, 0).Hour(), 11);
        EXPECT_EQ(At(nineOhFive, 0).TimeString(), "11:05:07.0");
    }
}

TEST(TimeValTest, DefaultIsNow) {
    std::int64_t before = std::time(nullptr);
    CTimeVal now;
    std::int64_t after = std::time(nullptr);
    EXPECT_GE(now.Seconds(), before);
    EXPECT_LE(now.Seconds(), after);
    EXPECT_GE(now.MicroSecs(), 0);
    EXPECT_LT(now.MicroSecs(), 1000000);
}
