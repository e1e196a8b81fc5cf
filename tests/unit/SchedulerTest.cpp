#include "Schedule.h"
#include "ScheduleText.h"
#include "ScopedTimeZone.h"
#include "SoundLibrary.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {
constexpr std::int64_t c_Second = 1000000;

CTimeVal At(int a_Hour, int a_Min, int a_Sec, int a_MicroSecs = 0) {
    return CVirtualPlatform::Local(2024, 3, 14, a_Hour, a_Min, a_Sec, a_MicroSecs);
}

// Chains used by the walk-throughs: hello (2 s) starting at its key, followed by the time;
// ann8 (8 s) finishing at its key; chime (0.2 s) starting at its key.
const std::string c_Hello60 = Rec("hello", "Custom", "1:00.0") + Rec("now", "Timed", "", true);
const std::string c_Ann8At10 = Rec("ann8", "Custom", "0:10.0", false, "1");
const std::string c_Hello120 = Rec("hello", "Custom", "2:00.0");

// A schedule over generated recordings, driven by a virtual clock, in UTC.
class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteWav(m_Dir, "hello.wav", 2.0);
        WriteWav(m_Dir, "ann8.wav", 8.0);
        WriteWav(m_Dir, "chime.wav", 0.2);
        for (const char* name :
             {"cdnum13", "cdnum14", "cdnum15", "cdnum25", "cdnum35", "cdnum40", "cdhour15"})
            WriteWav(m_Dir, std::string("times/") + name + ".wav", 1.0);
        m_Library = std::make_unique<CSoundLibrary>(m_Dir.Path());
    }

    void Load(const std::string& a_Records, const std::string& a_Frequency = "5:00") {
        ASSERT_TRUE(m_Schedule.LoadText(ScheduleFile(a_Records, a_Frequency)));
    }
    // Runs one pass and returns what it printed.
    std::string Pass() {
        m_Out.str("");
        m_Schedule.PlayNextSound();
        return m_Out.str();
    }
    std::string Files(std::initializer_list<const char*> a_Names) const {
        std::string files;
        for (const char* name : a_Names)
            files += m_Dir.Path() + (std::string(name).rfind("cd", 0) == 0 ? "/times/" : "/") +
                     name + ".wav ";
        return files;
    }
    void ExpectOnePlayback(const CTimeVal& a_Start, const std::string& a_Files) {
        ASSERT_EQ(m_Platform.Playbacks().size(), 1u);
        EXPECT_EQ(m_Platform.Playbacks()[0].m_Start.TimeString(), a_Start.TimeString());
        EXPECT_EQ(m_Platform.Playbacks()[0].m_Start, a_Start);
        EXPECT_EQ(m_Platform.Playbacks()[0].m_FileNames, a_Files);
    }

    CScopedTimeZone m_Zone{"UTC0"};
    CTempDir m_Dir;
    std::unique_ptr<CSoundLibrary> m_Library;
    CVirtualPlatform m_Platform{At(14, 30, 0)};
    std::ostringstream m_Out;
    CSchedule m_Schedule{m_Dir.Path(), m_Platform, m_Out};
};
} // namespace

TEST_F(SchedulerTest, PastTheLastKeyTheSearchWrapsToTheNextInterval) {
    Load(c_Hello60);
    m_Platform.SetWall(At(14, 31, 30));
    EXPECT_EQ(Pass(), "GetTimeOffset: 14:31:30 90\n"
                      "Base time is 14:30:00.0\n"
                      "Found chain with offset 60\n"
                      "\n"
                      "Looking for next recording to play, basetime is: 14:30:00.0 offset 90\n"
                      "wrapping to next interval\n"
                      "\n"
                      "Looking for next recording to play, basetime is: 14:35:00.0 offset 0\n"
                      "startTime was 14:35:00.0 adding on 60 secs\n"
                      "startTime was 14:36:00.0 looking at Anchored Start: 1\n"
                      "Chosen chain with offset 60 start time is 14:36:00.0\n"
                      "startTime now 14:36:00.0 at time 14:31:30.0\n"
                      "sleeping for 270seconds\n"
                      "woken at 14:36:00.0\n");
    // What it speaks is computed for the start of the interval after the one it plays in.
    ExpectOnePlayback(At(14, 36, 0), Files({"hello", "cdnum14", "cdnum40"}));
    EXPECT_EQ(m_Schedule.LastChoice().m_AnnounceTime, At(14, 40, 0));
}

TEST_F(SchedulerTest, KeyAheadInTheCurrentIntervalIsWaitedFor) {
    Load(c_Hello60);
    m_Platform.SetWall(At(14, 30, 20));
    EXPECT_EQ(Pass(), "GetTimeOffset: 14:30:20 20\n"
                      "Base time is 14:30:00.0\n"
                      "Found chain with offset 60\n"
                      "\n"
                      "Looking for next recording to play, basetime is: 14:30:00.0 offset 20\n"
                      "startTime was 14:30:00.0 adding on 60 secs\n"
                      "startTime was 14:31:00.0 looking at Anchored Start: 1\n"
                      "Chosen chain with offset 60 start time is 14:31:00.0\n"
                      "startTime now 14:31:00.0 at time 14:30:20.0\n"
                      "sleeping for 40seconds\n"
                      "woken at 14:31:00.0\n");
    ExpectOnePlayback(At(14, 31, 0), Files({"hello", "cdnum14", "cdnum35"}));
    const CSchedule::Choice& choice = m_Schedule.LastChoice();
    EXPECT_EQ(choice.m_Key, 60.0f);
    EXPECT_EQ(choice.m_StartTime, At(14, 31, 0));
    EXPECT_EQ(choice.m_Chain, m_Schedule.Program().at(60.0f));
    // Every wait is made of steps of at most one second.
    for (std::int64_t sleep : m_Platform.Sleeps())
        EXPECT_LE(sleep, c_Second);
}

TEST_F(SchedulerTest, ChainFinishingAtItsKeyStartsItsDurationEarlier) {
    Load(Rec("ann8", "Custom", "2:00.0", false, "1"));
    m_Platform.SetWall(At(14, 30, 10));
    EXPECT_EQ(Pass(), "GetTimeOffset: 14:30:10 10\n"
                      "Base time is 14:30:00.0\n"
                      "Found chain with offset 120\n"
                      "\n"
                      "Looking for next recording to play, basetime is: 14:30:00.0 offset 10\n"
                      "startTime was 14:30:00.0 adding on 120 secs\n"
                      "startTime was 14:32:00.0 looking at Anchored Start: 0\n"
                      "Chosen chain with offset 120 start time is 14:31:52.0\n"
                      "startTime now 14:31:52.0 at time 14:30:10.0\n"
                      "sleeping for 102seconds\n"
                      "woken at 14:31:52.0\n");
    ExpectOnePlayback(At(14, 31, 52), Files({"ann8"}));
}

TEST_F(SchedulerTest, FinishingChainLongerThanTheOffsetIsPassedOver) {
    Load(c_Ann8At10 + c_Hello120);
    m_Platform.SetWall(At(14, 30, 5));
    EXPECT_EQ(Pass(), "GetTimeOffset: 14:30:5 5\n"
                      "Base time is 14:30:00.0\n"
                      "Found chain with offset 10\n"
                      "Found chain with offset 120\n"
                      "\n"
                      "Looking for next recording to play, basetime is: 14:30:00.0 offset 5\n"
                      "startTime was 14:30:00.0 adding on 120 secs\n"
                      "startTime was 14:32:00.0 looking at Anchored Start: 1\n"
                      "Chosen chain with offset 120 start time is 14:32:00.0\n"
                      "startTime now 14:32:00.0 at time 14:30:05.0\n"
                      "sleeping for 115seconds\n"
                      "woken at 14:32:00.0\n");
    ExpectOnePlayback(At(14, 32, 0), Files({"hello"}));
}

TEST_F(SchedulerTest, FinishingChainFoundAgainFromTheLaterSearchStart) {
    Load(c_Ann8At10 + c_Hello120);
    m_Platform.SetWall(At(14, 30, 1));
    std::string out = Pass();
    EXPECT_NE(out.find("startTime was 14:30:10.0 looking at Anchored Start: 0\n"
                       "Chosen chain with offset 10 start time is 14:30:02.0\n"
                       "startTime now 14:30:02.0 at time 14:30:01.0\n"
                       "sleeping for 1seconds\n"
                       "woken at 14:30:02.0\n"),
              std::string::npos)
        << out;
    ExpectOnePlayback(At(14, 30, 2), Files({"ann8"}));
}

TEST_F(SchedulerTest, StartTimeAlreadyPassedPlaysAtOnce) {
    Load(c_Ann8At10 + c_Hello120);
    m_Platform.SetWall(At(14, 30, 9, 250000));
    std::string out = Pass();
    EXPECT_NE(out.find("Chosen chain with offset 10 start time is 14:30:02.0\n"
                       "startTime now 14:30:02.0 at time 14:30:09.250\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("sleeping"), std::string::npos);
    ExpectOnePlayback(At(14, 30, 9, 250000), Files({"ann8"}));
}

TEST_F(SchedulerTest, ChainAtKeyZeroPlaysAtOnceAtTheIntervalStart) {
    Load(Rec("chime", "Custom", "0:00.0"));
    m_Platform.SetWall(At(14, 30, 0, 400000));
    std::string out = Pass();
    EXPECT_NE(out.find("startTime now 14:30:00.0 at time 14:30:00.400\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("sleeping"), std::string::npos);
    ExpectOnePlayback(At(14, 30, 0, 400000), Files({"chime"}));
}

TEST_F(SchedulerTest, OffsetAndBaseTimeComeFromOneClockReading) {
    // Every reading takes a microsecond, so a second reading would be in the next second.
    Load(c_Hello60);
    m_Platform.SetReadingMicroSecs(1);
    m_Platform.SetWall(At(14, 30, 59, 999999));
    std::string out = Pass();
    EXPECT_EQ(out.substr(0, out.find("Found")), "GetTimeOffset: 14:30:59 59\n"
                                                "Base time is 14:30:00.0\n");
    ASSERT_EQ(m_Platform.Playbacks().size(), 1u);
    EXPECT_EQ(m_Schedule.LastChoice().m_StartTime, At(14, 31, 0));
    EXPECT_EQ(m_Schedule.LastChoice().m_AnnounceTime, At(14, 35, 0));
}

TEST_F(SchedulerTest, ShortChimeRingsOncePerInterval) {
    Load(Rec("chime", "Custom", "0:00.0"));
    m_Platform.SetPlayMicroSecs(200000);
    for (int pass = 0; pass < 3; ++pass)
        Pass();
    const auto& playbacks = m_Platform.Playbacks();
    ASSERT_EQ(playbacks.size(), 3u);
    EXPECT_EQ(playbacks[0].m_Start, At(14, 30, 0));
    EXPECT_EQ(playbacks[1].m_Start, At(14, 35, 0));
    EXPECT_EQ(playbacks[2].m_Start, At(14, 40, 0));
}

TEST_F(SchedulerTest, ChainEndingWithinItsKeySecondIsNotPlayedAgain) {
    Load(c_Ann8At10 + c_Hello120);
    m_Platform.SetWall(At(14, 30, 1));
    m_Platform.SetPlayMicroSecs(8300000);
    Pass();
    std::string out = Pass();
    EXPECT_NE(out.find("GetTimeOffset: 14:30:10 10\n"), std::string::npos) << out;
    const auto& playbacks = m_Platform.Playbacks();
    ASSERT_EQ(playbacks.size(), 2u);
    EXPECT_EQ(playbacks[0].m_Start, At(14, 30, 2));
    EXPECT_EQ(playbacks[1].m_Start, At(14, 32, 0));
    EXPECT_EQ(playbacks[1].m_FileNames, Files({"hello"}));
}

TEST_F(SchedulerTest, KeysSharingOneSecondEachPlayOnce) {
    Load(Rec("hello", "Custom", "2:06.0") + Rec("chime", "Custom", "2:06.5"));
    m_Platform.SetWall(At(14, 32, 5));
    m_Platform.SetPlayMicroSecs(10000);
    for (int pass = 0; pass < 3; ++pass)
        Pass();
    const auto& playbacks = m_Platform.Playbacks();
    ASSERT_EQ(playbacks.size(), 3u);
    EXPECT_EQ(playbacks[0].m_Start, At(14, 32, 6));
    EXPECT_EQ(playbacks[1].m_Start, At(14, 32, 6, 500000));
    EXPECT_EQ(playbacks[1].m_FileNames, Files({"chime"}));
    EXPECT_EQ(playbacks[2].m_Start, At(14, 37, 6));
}

TEST_F(SchedulerTest, ClockSetBackWithinTheIntervalDoesNotRepeatIt) {
    Load(c_Hello60);
    m_Platform.SetWall(At(14, 30, 20));
    // Set back by 30 s while playing: 14:31:00 is over for this interval.
    m_Platform.StepWallAt(At(14, 31, 0, 500000), -30 * c_Second);
    // Set back by two intervals while playing: the clock reads 14:26 again, a new moment.
    m_Platform.StepWallAt(At(14, 36, 0, 500000), -600 * c_Second);
    for (int pass = 0; pass < 3; ++pass)
        Pass();
    const auto& playbacks = m_Platform.Playbacks();
    ASSERT_EQ(playbacks.size(), 3u);
    EXPECT_EQ(playbacks[0].m_Start, At(14, 31, 0));
    EXPECT_EQ(playbacks[1].m_Start, At(14, 36, 0));
    EXPECT_EQ(playbacks[2].m_Start, At(14, 31, 0));
    EXPECT_EQ(m_Schedule.LastChoice().m_AnnounceTime, At(14, 35, 0));
}

TEST_F(SchedulerTest, EmptyProgramWaitsForTheNextIntervalInsteadOfSpinning) {
    Load("");
    m_Platform.SetWall(At(14, 31, 30));
    EXPECT_EQ(Pass(), "GetTimeOffset: 14:31:30 90\n"
                      "Base time is 14:30:00.0\n"
                      "\n"
                      "Looking for next recording to play, basetime is: 14:30:00.0 offset 90\n"
                      "wrapping to next interval\n"
                      "\n"
                      "Looking for next recording to play, basetime is: 14:35:00.0 offset 0\n"
                      "No sound to play :(\n"
                      "sleeping for 210seconds\n"
                      "woken at 14:35:00.0\n");
    Pass();
    EXPECT_EQ(m_Platform.Now(), At(14, 40, 0));
    EXPECT_TRUE(m_Platform.Playbacks().empty());
}

TEST_F(SchedulerTest, UnusableChainsWaitUntilTheHourWhenTheIntervalRunsPastIt) {
    // 7 minutes do not divide the hour: the interval of 14:56 is cut short at 15:00.
    Load(Rec("ann8", "Custom", "0:05.0", false, "1"), "7:00");
    m_Platform.SetWall(At(14, 58, 10));
    std::string out = Pass();
    EXPECT_NE(out.find("No sound to play :(\n"
                       "sleeping for 110seconds\n"
                       "woken at 15:00:00.0\n"),
              std::string::npos)
        << out;
}

TEST_F(SchedulerTest, PassWithoutALoadedScheduleDoesNotSpin) {
    CSchedule unloaded(m_Dir.Path(), m_Platform, m_Out);
    m_Out.str("");
    unloaded.PlayNextSound();
    EXPECT_EQ(m_Out.str(), "No sound to play :(\n");
    EXPECT_EQ(m_Platform.Now(), At(14, 30, 1));
}

TEST_F(SchedulerTest, KeysBeyondHalfAnHourStartExactly) {
    Load(Rec("hello", "Custom", "45:00.0") + Rec("now", "Timed", "", true), "60:00");
    m_Platform.SetWall(At(14, 10, 0));
    std::string out = Pass();
    EXPECT_NE(out.find("startTime was 14:00:00.0 adding on 2700 secs\n"
                       "startTime was 14:45:00.0 looking at Anchored Start: 1\n"
                       "Chosen chain with offset 2700 start time is 14:45:00.0\n"
                       "startTime now 14:45:00.0 at time 14:10:00.0\n"
                       "sleeping for 2100seconds\n"
                       "woken at 14:45:00.0\n"),
              std::string::npos)
        << out;
    ExpectOnePlayback(At(14, 45, 0), Files({"hello", "cdhour15"}));
}

TEST_F(SchedulerTest, WaitsLongerThanAnHourEndExactly) {
    Load(Rec("hello", "Custom", "90:00.0"), "99:00");
    m_Platform.SetWall(At(14, 0, 0));
    std::string out = Pass();
    EXPECT_NE(out.find("sleeping for 5400seconds\nwoken at 15:30:00.0\n"), std::string::npos)
        << out;
    ExpectOnePlayback(At(15, 30, 0), Files({"hello"}));
}

TEST_F(SchedulerTest, WallClockStepDuringTheWaitLeadsToANewPlan) {
    struct Case {
        std::int64_t m_Step;
        CTimeVal m_Start;
        CTimeVal m_Announce;
    };
    const Case cases[] = {
        {3600 * c_Second, At(15, 31, 0), At(15, 35, 0)},
        {-600 * c_Second, At(14, 21, 0), At(14, 25, 0)},
        {-3600 * c_Second, At(13, 31, 0), At(13, 35, 0)},
        {180 * c_Second, At(14, 36, 0), At(14, 40, 0)},
        {-2 * c_Second, At(14, 31, 0), At(14, 35, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_Step);
        CVirtualPlatform platform(At(14, 30, 20));
        platform.StepWallAt(At(14, 30, 30, 500000), c.m_Step);
        std::ostringstream out;
        CSchedule schedule(m_Dir.Path(), platform, out);
        ASSERT_TRUE(schedule.LoadText(ScheduleFile(c_Hello60)));
        schedule.PlayNextSound();
        std::string expectedEnd = "sleeping for 40seconds\nClock stepped by " +
                                  std::to_string(c.m_Step / c_Second) +
                                  " seconds, planning again\n";
        EXPECT_EQ(out.str().substr(out.str().size() - expectedEnd.size()), expectedEnd);
        EXPECT_TRUE(platform.Playbacks().empty());
        // Noticed within a second of the step.
        CTimeVal stepped = At(14, 30, 30, 500000);
        stepped.AddMicroSecs(c.m_Step + c_Second);
        EXPECT_FALSE(stepped < platform.Now());
        schedule.PlayNextSound();
        ASSERT_EQ(platform.Playbacks().size(), 1u);
        EXPECT_EQ(platform.Playbacks()[0].m_Start, c.m_Start);
        EXPECT_EQ(schedule.LastChoice().m_AnnounceTime, c.m_Announce);
    }
}

TEST_F(SchedulerTest, WallClockStepDuringTheIdleWaitEndsThePass) {
    Load("");
    m_Platform.SetWall(At(14, 31, 30));
    m_Platform.StepWallAt(At(14, 32, 0), -3600 * c_Second);
    std::string out = Pass();
    EXPECT_NE(out.find("sleeping for 210seconds\nClock stepped by -3600 seconds, planning again\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("woken"), std::string::npos);
    EXPECT_FALSE(At(13, 32, 1) < m_Platform.Now());
}

TEST_F(SchedulerTest, WallClockCorrectionOfUnderASecondKeepsThePlan) {
    Load(c_Hello60);
    m_Platform.SetWall(At(14, 30, 20));
    m_Platform.StepWallAt(At(14, 30, 30), 600000);
    std::string out = Pass();
    EXPECT_EQ(out.find("Clock stepped"), std::string::npos) << out;
    EXPECT_NE(out.find("sleeping for 40seconds\nwoken at 14:31:00.600\n"), std::string::npos)
        << out;
    ASSERT_EQ(m_Platform.Playbacks().size(), 1u);
    EXPECT_EQ(m_Schedule.LastChoice().m_StartTime, At(14, 31, 0));
}
