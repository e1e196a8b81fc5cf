#include "TestSupport.h"
#include "TimeRecord.h"

#include <gtest/gtest.h>

#include <climits>

TEST(RecordTest, SpokenTimeNamesCoverEveryClockForm) {
    CScopedEnv zone("TZ", "UTC0");
    // clang-format off
    const std::tuple<int, int, int, const char*> cases[] = {
        {14, 35, 0, "cdnum14 cdnum35"}, {7, 5, 0, "cdnum7 cdnum05"},   {1, 5, 0, "cdnum1 cdnum05"},
        {9, 10, 0, "cdnum9 cdnum10"},   {0, 35, 0, "cdnum00 cdnum35"}, {10, 0, 0, "cdhour10"},
        {0, 0, 0, "cdhour00"},          {9, 59, 1, "cdhour10"},        {0, 5, -10, "cdnum23 cdnum55"},
        {23, 55, 10, "cdnum00 cdnum05"}, {1, 0, -61, "cdnum23 cdnum59"}, {14, 35, 3 * 1440, "cdnum14 cdnum35"},
        {14, 35, -1441, "cdnum14 cdnum34"}, {14, 35, INT_MAX, "cdnum16 cdnum42"},
        {14, 35, INT_MIN, "cdnum12 cdnum27"},
    };
    // clang-format on
    for (const auto& [hour, min, offset, spoken] : cases) {
        std::string titles;
        for (const std::string& title : CTimeRecord("now", offset).TitlesForTime(At(hour, min)))
            titles += (titles.empty() ? "" : " ") + title;
        EXPECT_EQ(titles, spoken) << hour << ":" << min << " " << offset;
    }
    CTimeVal utc = At(19, 35); // 14:35 in New York
    CScopedEnv newYork("TZ", "EST5");
    EXPECT_EQ(CTimeRecord("now", 0).TitlesForTime(utc),
              (std::vector<std::string>{"cdnum14", "cdnum35"}));
}
