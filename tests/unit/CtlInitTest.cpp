#include "CtlSupport.h"
#include "ScopedTimeZone.h"
#include "StarterStick.h"
#include "StickCheck.h"
#include "Wave.h"

#include <gtest/gtest.h>

TEST(CtlInitTest, MakesAStickThatChimesAndSpeaksTheTimeAsTheIntervalEnds) {
    CScopedTimeZone zone("UTC0");
    CTempDir stick;
    CCtlResult made = RunCtl({"init", stick.Path()});
    ASSERT_EQ(made.m_Status, 0) << made.m_Err;
    for (const char* rel : {"chime.wav", "time-is.wav", "times/cdnum35.wav", "times/cdhour00.wav"})
        EXPECT_TRUE(CWave(stick.Path() + "/announcer/" + rel).isValid()) << rel;
    CCheckReport report = CStickCheck::Run(stick.Path(), CTimeVal());
    EXPECT_EQ(report.m_TimeSounds, 93u);
    for (const CCheckFinding& finding : report.m_Findings)
        ADD_FAILURE() << finding.m_Text;
    CCtlResult plan = RunCtl({"plan", stick.Path(), "--at", "14:30:00", "--count", "2"});
    std::string second = plan.m_Out.substr(plan.m_Out.find('\n') + 1);
    EXPECT_EQ(plan.m_Out.substr(0, plan.m_Out.find('\n')), "14:30:30.000\t30\tchime");
    EXPECT_EQ(second.substr(0, 7), "14:34:5") << "ends as 14:35 begins";
    EXPECT_EQ(second.substr(12), "\t300\ttime-is cdnum14 cdnum35\n");
    std::string xml = ReadFile(stick.Path() + "/announcer/forVrex.xml");
    for (std::size_t at = 0; (at = xml.find("<!--", at)) != std::string::npos; ++at)
        EXPECT_EQ(xml.substr(at + 4, xml.find("-->", at) - at - 4).find_first_of("<>"),
                  std::string::npos)
            << "a tag inside a comment";
}

TEST(CtlInitTest, RefusesAStickWithAScheduleUnlessForcedAndKeepsOtherRecordings) {
    const char* const schedules[] = {"announcer/forVrex.xml", "old/forVrex.xml", "forVrex.xml"};
    for (const char* schedule : schedules) {
        CTempDir stick;
        stick.Write(schedule, "<Schedule/>");
        std::string welcome = WriteWav(stick, "announcer/welcome.wav", 1.0);
        CCtlResult refused = RunCtl({"init", stick.Path(), "--interval", "2:00"});
        EXPECT_EQ(refused.m_Status, 1) << schedule;
        EXPECT_NE(refused.m_Err.find("already holds a schedule"), std::string::npos) << schedule;
        EXPECT_EQ(ReadFile(stick.Path() + "/" + schedule), "<Schedule/>") << schedule;
        EXPECT_EQ(RunCtl({"init", stick.Path(), "--force"}).m_Status, 0) << schedule;
        EXPECT_TRUE(CWave(welcome).isValid()) << schedule;
    }
}

TEST(CtlInitTest, StarterScheduleKeysFollowTheInterval) {
    // interval, chime key, key of "the time is" (the interval's end)
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"5:00", "0:30.0", "5:00.0"}, {"60:00", "0:30.0", "60:00.0"}, {"0:15", "0:07.5", "0:15.0"}};
    for (const auto& [interval, chimeKey, timeKey] : cases) {
        int secs = 0;
        ASSERT_TRUE(CStarterStick::ParseInterval(interval, secs)) << interval;
        std::string xml = CStarterStick::ScheduleText(secs);
        EXPECT_NE(xml.find(std::string("<m_Frequency>") + interval + "<"), std::string::npos);
        EXPECT_NE(
            xml.find(std::string("<m_Name>chime</m_Name> <Type>Custom</Type> <m_TimingTime>") +
                     chimeKey + "<"),
            std::string::npos)
            << interval;
        EXPECT_NE(xml.find(std::string("<Type>Timed</Type> <m_TimingTime>") + timeKey + "<"),
                  std::string::npos)
            << interval;
    }
    for (const char* bad : {"0:00", "60:01", "5:60", "5", "1:5", "100:00", "x:00", "5:00 "}) {
        CCtlResult result = RunCtl({"init", "stick", "--interval", bad});
        EXPECT_EQ(result.m_Status, 2) << bad;
        EXPECT_NE(result.m_Err.find("not an interval M:SS"), std::string::npos) << bad;
    }
}
