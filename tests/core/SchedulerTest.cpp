#include "Schedule.h"
#include "SchedulerCases.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
// The recordings of the scheduler's table; the clock is read in Berlin, summer time included.
class SchedulerTest : public ::testing::Test {
protected:
    CScopedEnv m_Zone{"TZ", "Europe/Berlin"};
    CSchedulerStick m_Stick;
};
} // namespace

// Every line of one pass, as the journal shows it. Each clock reading takes a microsecond, so
// the offset and the interval start agree only when taken from one reading.
TEST_F(SchedulerTest, PassPrintsItsReasoning) {
    CVirtualPlatform platform(At(14, 31, 29, 999999));
    platform.m_ReadingMicros = 1;
    std::ostringstream out;
    CSchedule schedule(m_Stick.Path(), platform, out);
    ASSERT_TRUE(schedule.LoadText(ScheduleFile(Rec("ann8", "Custom", "0:10.0", false, "1") +
                                               Rec("hello", "Custom", "1:00.0") +
                                               Rec("now", "Timed", "", true))));
    schedule.PlayNextSound();
    EXPECT_EQ(out.str(), "GetTimeOffset: 14:31:29 89\n"
                         "Base time is 14:30:00.0\n"
                         "Found chain with offset 10\n"
                         "Found chain with offset 60\n"
                         "\n"
                         "Looking for next recording to play, basetime is: 14:30:00.0 offset 89\n"
                         "wrapping to next interval\n"
                         "\n"
                         "Looking for next recording to play, basetime is: 14:35:00.0 offset 0\n"
                         "startTime was 14:35:00.0 adding on 10 secs\n"
                         "startTime was 14:35:10.0 looking at Anchored Start: 0\n"
                         "Chosen chain with offset 10 start time is 14:35:02.0\n"
                         "startTime now 14:35:02.0 at time 14:31:30.0\n"
                         "sleeping for 212seconds\n"
                         "woken at 14:35:02.0\n");
}

// The table in SchedulerCases.cpp, on the board's virtual clock.
TEST_F(SchedulerTest, PlaysEachChainAtItsTimeSpeakingTheNextInterval) {
    for (const CSchedulerCase& c : SchedulerCases()) {
        CVirtualPlatform platform(c.m_Wall);
        platform.m_PlayMicros = c.m_PlayMicros;
        for (const auto& [at, by] : c.m_Steps)
            platform.StepWallAt(at, by);
        std::ostringstream out;
        CSchedule schedule(m_Stick.Path(), platform, out);
        ASSERT_TRUE(PlayCase(schedule, c)) << c.m_Plays;
        EXPECT_EQ(PlaysText(out.str(), platform.m_Playbacks, platform.Now()), c.m_Plays);
        EXPECT_TRUE(c.m_Waits < 0 || platform.m_Waits == c.m_Waits) << platform.m_Waits;
    }
}
