#include "Calendar.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using P = CCalendar::EProblem;
constexpr int c_Year = 366 * 24 * 3600;
} // namespace

TEST(CalendarTest, ItemsCoverTheirMomentsAndNoOthers) {
    CScopedEnv zone("TZ", "UTC0");
    struct Case {
        const char* m_Text;
        std::vector<const char*> m_Covered, m_Uncovered;
    };
    // 2 March 2026 is a Monday.
    // clang-format off
    const Case cases[] = {
        {"22:00-06:00", {"2026-03-02 22:00", "2026-03-03 05:59:59"},
         {"2026-03-02 21:59:59", "2026-03-03 06:00"}},
        {"8:00-9:00; 18:00-24:00", {"2026-03-02 08:00", "2026-03-02 23:59:59"},
         {"2026-03-02 09:00", "2026-03-02 17:59:59", "2026-03-03 00:00"}},
        {" sat, SUN ", {"2026-03-07 00:00", "2026-03-08 23:59:59"},
         {"2026-03-06 23:59:59", "2026-03-09 00:00"}},
        {"Fri-Mon", {"2026-03-06 12:00", "2026-03-08 12:00", "2026-03-09 12:00"},
         {"2026-03-05 12:00", "2026-03-03 12:00"}},
        {"Mon-Fri 12:00-13:00", {"2026-03-02 12:00", "2026-03-06 12:59:59"},
         {"2026-03-06 11:59:59", "2026-03-06 13:00", "2026-03-07 12:30", "2026-03-08 12:30"}},
        {"Fri 22:00-06:00", {"2026-03-06 22:00", "2026-03-07 05:59:59"},
         {"2026-03-06 05:00", "2026-03-06 21:59:59", "2026-03-07 22:00"}},
        {"12-25", {"2026-12-25 00:00", "2031-12-25 23:59:59"},
         {"2026-12-24 23:59:59", "2026-12-26 00:00"}},
        {"02-29", {"2028-02-29 12:00"},
         {"2027-02-28 12:00", "2027-03-01 12:00", "2028-03-01 00:00"}},
        {"2026-12-24", {"2026-12-24 12:00"}, {"2025-12-24 12:00", "2027-12-24 12:00"}},
        {"2026-12-24..2027-01-01", {"2026-12-24 00:00", "2027-01-01 23:59:59"},
         {"2026-12-23 23:59:59", "2027-01-02 00:00", "2027-12-25 12:00"}},
        {"12-24..01-02", {"2026-12-24 00:00", "2029-12-31 12:00", "2027-01-02 23:59:59"},
         {"2026-12-23 23:59:59", "2027-01-03 00:00", "2026-06-15 12:00"}},
        {"2028-02-29", {"2028-02-29 12:00"}, {"2032-02-29 12:00"}},
        {"01-31; 03-31; 05-31; 07-31; 08-31; 10-31", {"2026-10-31 12:00"}, {"2026-11-01 12:00"}},
        {"Sun;12-25;; ", {"2026-03-08 12:00", "2026-12-25 12:00"}, {"2026-03-09 12:00"}},
        {"", {}, {"2026-03-02 12:00"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        CCalendar calendar(c.m_Text);
        EXPECT_TRUE(calendar.Problems().empty()) << c.m_Text;
        for (const char* moment : c.m_Covered)
            EXPECT_TRUE(calendar.Covers(Moment(moment))) << c.m_Text << " at " << moment;
        for (const char* moment : c.m_Uncovered)
            EXPECT_FALSE(calendar.Covers(Moment(moment))) << c.m_Text << " at " << moment;
    }
}

TEST(CalendarTest, UnreadableItemsAreNamedAndLeftOut) {
    CScopedEnv zone("TZ", "UTC0");
    // clang-format off
    const std::pair<const char*, P> cases[] = {
        {"Holidays", P::NotAnItem}, {"*", P::NotAnItem}, {"Sunday", P::BadDays},
        {"Mon-", P::BadDays}, {"Sat,", P::BadDays}, {"Sat,,Sun", P::BadDays},
        {"Mon-Fry 12:00-13:00", P::BadDays}, {"25:00-06:00", P::BadWindow},
        {"22:00-24:01", P::BadWindow}, {"24:00-06:00", P::BadWindow}, {"22:60-23:00", P::BadWindow},
        {"22:00", P::BadWindow}, {"Mon 9-17", P::BadWindow}, {"12:00-12:00", P::EmptyWindow},
        {"Sat 0:00-00:00", P::EmptyWindow}, {"12/25", P::BadDate}, {"2026-1-5", P::BadDate},
        {"12-25..", P::BadDate}, {"122-25", P::BadDate}, {"20261-01-01", P::BadDate},
        {"02-30", P::NoSuchDate}, {"2027-02-29", P::NoSuchDate}, {"2100-02-29", P::NoSuchDate},
        {"13-01", P::NoSuchDate}, {"12-00", P::NoSuchDate}, {"04-31", P::NoSuchDate},
        {"06-31", P::NoSuchDate}, {"09-31", P::NoSuchDate}, {"11-31", P::NoSuchDate},
        {"01-32", P::NoSuchDate}, {"03-32", P::NoSuchDate}, {"05-32", P::NoSuchDate},
        {"07-32", P::NoSuchDate}, {"08-32", P::NoSuchDate}, {"10-32", P::NoSuchDate},
        {"12-32", P::NoSuchDate}, {"12-24..02-30", P::NoSuchDate},
        {"2027-01-01..2026-12-24", P::BadRange}, {"12-24..2027-01-01", P::BadRange},
    };
    // clang-format on
    for (const auto& [item, problem] : cases) {
        CCalendar calendar(std::string("Sun ;  ") + item + " ;");
        ASSERT_EQ(calendar.Problems().size(), 1u) << item;
        EXPECT_EQ(calendar.Problems()[0].m_Item, item);
        EXPECT_EQ(calendar.Problems()[0].m_Problem, problem) << item;
        EXPECT_TRUE(calendar.Covers(Moment("2026-03-08 12:00"))) << item;
        EXPECT_FALSE(calendar.Covers(Moment("2026-03-09 12:00"))) << item;
        EXPECT_NE(std::string(CCalendar::ProblemText(problem)).find(" like "), std::string::npos);
    }
}

TEST(CalendarTest, NextChangeIsExactAcrossDaysDatesAndSummerTime) {
    CScopedEnv zone("TZ", "Europe/Berlin");
    // clang-format off
    // Summer time in 2026: 29 March 02:00 +01 becomes 03:00 +02; 25 October 03:00 +02 becomes
    // 02:00 +01. 5 January is a Monday.
    const std::tuple<const char*, const char*, int, const char*> cases[] = { // from, limit: change
        {"22:00-06:00", "2026-01-05 23:00+01", c_Year, "2026-01-06 06:00+01"},
        {"22:00-06:00", "2026-01-06 12:00:30+01", c_Year, "2026-01-06 22:00+01"},
        {"22:00-06:00; Sat,Sun", "2026-01-09 23:00+01", c_Year, "2026-01-12 06:00+01"},
        {"Mon-Fri 22:00-06:00; Sat,Sun", "2026-01-10 12:00+01", c_Year, "2026-01-12 00:00+01"},
        {"Fri 22:00-06:00", "2026-01-10 05:00+01", c_Year, "2026-01-10 06:00+01"},
        {"22:00-06:00; 12-25", "2026-12-24 23:00+01", c_Year, "2026-12-26 06:00+01"},
        {"12-25", "2026-06-01 12:00+02", c_Year, "2026-12-25 00:00+01"},
        {"12-25", "2026-12-24 12:00+01", 12 * 3600, "2026-12-25 00:00+01"},
        {"12-25", "2026-12-24 12:00+01", 12 * 3600 - 1, ""},
        {"2026-12-24..2027-01-01; 22:00-06:00", "2026-12-23 23:00+01", c_Year,
         "2027-01-02 06:00+01"},
        {"12-24..01-02", "2027-01-01 12:00+01", c_Year, "2027-01-03 00:00+01"},
        {"02:00-03:00", "2026-03-28 12:00+01", c_Year, "2026-03-30 02:00+02"},
        {"01:30-02:30", "2026-03-29 01:45:17+01", c_Year, "2026-03-29 03:00+02"},
        {"02:30-04:00", "2026-03-29 01:00:07+01", c_Year, "2026-03-29 03:00+02"},
        {"01:00-02:30", "2026-10-25 01:10+02", c_Year, "2026-10-25 02:30+02"},
        {"01:00-02:30", "2026-10-25 02:40:13+02", c_Year, "2026-10-25 02:00+01"},
        {"01:00-02:30", "2026-10-25 02:00+01", c_Year, "2026-10-25 02:30+01"},
        {"06:00-22:00; 22:00-06:00", "2026-01-05 12:00+01", c_Year, ""},
        {"Mon-Sun", "2026-01-05 12:00+01", c_Year, ""},
        {"", "2026-01-05 12:00+01", c_Year, ""},
    };
    // clang-format on
    for (const auto& [text, from, limit, change] : cases) {
        CTimeVal end = Moment(from);
        end.AddSecs(limit);
        std::optional<CTimeVal> found = CCalendar(text).NextChange(Moment(from), end);
        std::string what = std::string(text) + " from " + from;
        EXPECT_EQ(found ? found->Seconds() - Moment(from).Seconds() : -1,
                  *change ? Moment(change).Seconds() - Moment(from).Seconds() : -1)
            << what;
    }
}
