#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

// A 32-bit board must count time and file sizes in 64 bits, or times after 2038 and recordings
// beyond 2 GiB go wrong.
static_assert(sizeof(time_t) == 8 && sizeof(off_t) == 8, "build with 64-bit time and offsets");

TEST(TimeValTest, ArithmeticCarriesAcrossSecondsInSixtyFourBits) {
    // clang-format off
    const std::tuple<std::int64_t, float, std::int64_t, std::int64_t> cases[] = { // from, seconds, micros, to
        {10900000, 0.2f, 0, 11100000}, {10100000, -0.2f, 0, 9900000}, {1000000000, 2700.0f, 0, 3700000000},
        {5000000, std::nanf(""), 0, 5000000}, {999999, 0, 5000000000001, 5000001000000},
        {10000000, 0, -1500000, 8500000},
        {2147483647000000, 1.5f, 0, 2147483648500000},
    };
    // clang-format on
    for (const auto& [from, secs, micros, to] : cases) {
        CTimeVal time(timeval{time_t(from / 1000000), long(from % 1000000)});
        time.AddSecs(secs);
        time.AddMicroSecs(micros);
        EXPECT_EQ(time.Seconds() * 1000000 + time.MicroSecs(), to)
            << from << " " << secs << " " << micros;
    }
    EXPECT_TRUE(CTimeVal(timeval{1, 2}) < CTimeVal(timeval{1, 3}));
    EXPECT_FALSE(CTimeVal(timeval{2, 0}) < CTimeVal(timeval{1, 999999}));
    EXPECT_EQ(CTimeVal(timeval{2147483648, 0}) - CTimeVal(timeval{2147483647, 500000}), 0.5f);
    EXPECT_EQ(CTimeVal(timeval{10, 900000}).MicroSecsTo(CTimeVal(timeval{4102444800, 100000})),
              4102444789200000);
}
