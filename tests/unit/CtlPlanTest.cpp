#include "Ctl.h"
#include "CtlSupport.h"
#include "Planner.h"
#include "ScheduleText.h"
#include "ScopedTimeZone.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

namespace {
CTimeVal At(int a_Hour, int a_Min, int a_Sec) {
    return CVirtualPlatform::Local(2024, 3, 14, a_Hour, a_Min, a_Sec);
}

std::vector<std::string> SplitLines(const std::string& a_Text) {
    std::vector<std::string> lines;
    std::istringstream in(a_Text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The walk-throughs of the scheduler over a medium of known durations, in UTC: intro 4 s,
// hello 2 s, ann8 8 s, chime 0.2 s, every time sound 1 s.
class CtlPlanTest : public ::testing::Test {
protected:
    CtlPlanTest() {
        WriteTimeSounds(m_Dir, "times", 1.0);
        WriteWav(m_Dir, "intro.wav", 4.0);
        WriteWav(m_Dir, "hello.wav", 2.0);
        WriteWav(m_Dir, "ann8.wav", 8.0);
        WriteWav(m_Dir, "chime.wav", 0.2);
    }
    void Schedule(const std::string& a_Records, const std::string& a_Frequency = "5:00") {
        m_Dir.Write("forVrex.xml", ScheduleFile(a_Records, a_Frequency));
    }
    std::vector<std::string> Plan(const CTimeVal& a_At, long a_Count) {
        std::ostringstream out, err;
        EXPECT_EQ(CPlanner::Run(m_Dir.Path(), a_At, a_Count, out, err), 0);
        EXPECT_EQ(err.str(), "");
        return SplitLines(out.str());
    }

    CScopedTimeZone m_Zone{"UTC0"};
    CTempDir m_Dir;
};

const std::string c_Hello60 = Rec("hello", "Custom", "1:00.0") + Rec("now", "Timed", "", true);

TEST_F(CtlPlanTest, FinishingChainStartsSoThatItEndsAtItsKey) {
    Schedule(Rec("intro", "Custom", "2:00.0", false, "1") + Rec("now", "Timed", "", true));
    EXPECT_EQ(Plan(At(14, 31, 5), 1),
              std::vector<std::string>{"14:31:54.000\t120\tintro cdnum14 cdnum35"});
}

TEST_F(CtlPlanTest, AnchoredChainLaterInTheInterval) {
    Schedule(c_Hello60);
    EXPECT_EQ(Plan(At(14, 30, 20), 1),
              std::vector<std::string>{"14:31:00.000\t60\thello cdnum14 cdnum35"});
}

TEST_F(CtlPlanTest, PastTheLastKeyWrapsToTheNextInterval) {
    Schedule(c_Hello60);
    EXPECT_EQ(Plan(At(14, 31, 30), 3),
              (std::vector<std::string>{"14:36:00.000\t60\thello cdnum14 cdnum40",
                                        "14:41:00.000\t60\thello cdnum14 cdnum45",
                                        "14:46:00.000\t60\thello cdnum14 cdnum50"}));
}

TEST_F(CtlPlanTest, TheHourIsSpokenAsCdhour) {
    Schedule(c_Hello60);
    EXPECT_EQ(Plan(At(14, 55, 30), 2),
              (std::vector<std::string>{"14:56:00.000\t60\thello cdhour15",
                                        "15:01:00.000\t60\thello cdnum15 cdnum05"}));
}

TEST_F(CtlPlanTest, FinishingChainLongerThanTheOffsetIsPassedOver) {
    Schedule(Rec("ann8", "Custom", "0:10.0", false, "1") + Rec("hello", "Custom", "2:00.0"));
    // Offset 5: ann8 lasts 8 s, the search moves on to 13 and finds the chain at 120.
    EXPECT_EQ(Plan(At(14, 30, 5), 1), std::vector<std::string>{"14:32:00.000\t120\thello"});
    // Offset 1: the search from 9 finds ann8 again; it starts one second ahead.
    EXPECT_EQ(Plan(At(14, 30, 1), 2),
              (std::vector<std::string>{"14:30:02.000\t10\tann8", "14:32:00.000\t120\thello"}));
}

TEST_F(CtlPlanTest, ChainsAlternateThroughTheIntervals) {
    Schedule(Rec("chime", "Custom", "0:00.0") + Rec("intro", "Custom", "2:30.0", false, "1") +
             Rec("now", "Timed", "", true, "1", "-10"));
    EXPECT_EQ(Plan(At(23, 57, 0), 4),
              (std::vector<std::string>{
                  "23:57:24.000\t150\tintro cdnum23 cdnum50", "00:00:00.000\t0\tchime",
                  "00:02:24.000\t150\tintro cdnum23 cdnum55", "00:05:00.000\t0\tchime"}));
}

TEST_F(CtlPlanTest, ShortChainPlaysOncePerInterval) {
    // 0.2 s: the clock still reads the key's second after it, yet it is not played again.
    Schedule(Rec("chime", "Custom", "0:00.0"));
    EXPECT_EQ(Plan(At(14, 30, 0), 3),
              (std::vector<std::string>{"14:30:00.000\t0\tchime", "14:35:00.000\t0\tchime",
                                        "14:40:00.000\t0\tchime"}));
}

TEST_F(CtlPlanTest, MissingSoundsAreMarkedAndTakeNoTime) {
    for (const char* name : {"cdnum14", "cdnum35"})
        ::remove((m_Dir.Path() + "/times/" + name + ".wav").c_str());
    Schedule(Rec("gone", "Custom", "1:00.0") + Rec("now", "Timed", "", true) +
             Rec("hello", "Custom", "1:00.5"));
    EXPECT_EQ(Plan(At(14, 30, 50), 2),
              (std::vector<std::string>{"14:31:00.000\t60\t!gone !cdnum14 !cdnum35",
                                        "14:31:00.500\t60.5\thello"}));
}

TEST_F(CtlPlanTest, PrintsExactlyCountLines) {
    Schedule(Rec("chime", "Custom", "0:01.0"), "0:30");
    std::vector<std::string> lines = Plan(At(14, 0, 0), 100);
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines.back(), "14:49:31.000\t1\tchime");
}

TEST_F(CtlPlanTest, ScheduleWithNothingToPlayEndsWithOneLine) {
    Schedule("");
    std::ostringstream out, err;
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(CPlanner::Run(m_Dir.Path(), At(14, 0, 0), 12, out, err), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20));
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "quillanectl: nothing plays within two days of schedule time; stopping\n");
}

TEST_F(CtlPlanTest, ScheduleThatDoesNotLoadGivesStatusOne) {
    Schedule(Rec("x", "Daily", "0:10.0"), "5:0");
    std::ostringstream out, err;
    EXPECT_EQ(CPlanner::Run(m_Dir.Path(), At(14, 0, 0), 12, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "quillanectl: the schedule in " + m_Dir.Path() + " cannot be loaded\n");
}

TEST_F(CtlPlanTest, LoaderLinesGoToTheErrorStream) {
    Schedule(c_Hello60 + Rec("x", "Daily", "0:10.0"));
    std::ostringstream out, err;
    EXPECT_EQ(CPlanner::Run(m_Dir.Path(), At(14, 30, 20), 1, out, err), 0);
    EXPECT_EQ(out.str(), "14:31:00.000\t60\thello cdnum14 cdnum35\n");
    EXPECT_EQ(err.str(), "Record x with unknown type Daily found - ignored\n");
}

TEST_F(CtlPlanTest, CommandLineStartsAtTheGivenTimeToday) {
    Schedule(c_Hello60);
    CCtlResult result = RunCtl({"plan", m_Dir.Path(), "--at", "14:30:20", "--count", "2"});
    EXPECT_EQ(result.m_Status, 0);
    std::vector<std::string> lines = SplitLines(result.m_Out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 13), "14:31:00.000\t");
    EXPECT_EQ(lines[1].substr(0, 13), "14:36:00.000\t");
}

TEST(CtlPlanClockTest, TodayAtKeepsTheDate) {
    CScopedTimeZone zone("UTC0");
    EXPECT_EQ(CPlanner::TodayAt(At(3, 4, 5), 14, 31, 5), At(14, 31, 5));
    EXPECT_EQ(CPlanner::TodayAt(At(23, 59, 59), 0, 0, 0), At(0, 0, 0));
}

TEST(CtlPlanClockTest, ParseClockAcceptsOnlyATimeOfDay) {
    int h = -1, m = -1, s = -1;
    EXPECT_TRUE(CCtl::ParseClock("14:31:05", h, m, s));
    EXPECT_EQ((std::vector<int>{h, m, s}), (std::vector<int>{14, 31, 5}));
    EXPECT_TRUE(CCtl::ParseClock("9:05:07", h, m, s));
    EXPECT_EQ((std::vector<int>{h, m, s}), (std::vector<int>{9, 5, 7}));
    EXPECT_TRUE(CCtl::ParseClock("00:00:00", h, m, s));
    EXPECT_TRUE(CCtl::ParseClock("23:59:59", h, m, s));
    for (const char* bad :
         {"24:00:00", "14:60:00", "14:00:60", "14:5:00", "1:02:3", "14:00", "", "14:00:00:00",
          "a:bb:cc", "-1:00:00", " 1:00:00", "123:00:00", "14:00:00 ", "+1:00:00", "1:0x:00"})
        EXPECT_FALSE(CCtl::ParseClock(bad, h, m, s)) << bad;
}
} // namespace
