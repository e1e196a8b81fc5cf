#include "Schedule.h"
#include "SoundLibrary.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {
constexpr std::int64_t c_Second = 1000000;
// hello (2 s) at 1:00 followed by the time; ann8 (8 s) finishing at 0:10; hello at 2:00.
const std::string c_Hello60 = Rec("hello", "Custom", "1:00.0") + Rec("now", "Timed", "", true);
const std::string c_Ann8At10 = Rec("ann8", "Custom", "0:10.0", false, "1");
const std::string c_Hello120 = Rec("hello", "Custom", "2:00.0");

// Recordings in a temporary directory; the clock is read in UTC.
class SchedulerTest : public ::testing::Test {
protected:
    SchedulerTest() {
        for (auto [name, secs] : {std::pair{"hello", 2.0}, {"ann8", 8.0}, {"chime", 0.2}})
            m_Dir.WriteWav(std::string(name) + ".wav", secs);
        for (const char* name : {"cdnum14", "cdnum15", "cdnum35", "cdnum40", "cdhour15"})
            m_Dir.WriteWav(std::string("times/") + name + ".wav", 1.0);
        m_Library = std::make_unique<CSoundLibrary>(m_Dir.Path());
    }
    CScopedEnv m_Zone{"TZ", "UTC0"};
    CTempDir m_Dir;
    std::unique_ptr<CSoundLibrary> m_Library;
};
} // namespace

// Every line of one pass, as the journal shows it. Each clock reading takes a microsecond, so
// the offset and the interval start agree only when taken from one reading.
TEST_F(SchedulerTest, PassPrintsItsReasoning) {
    CVirtualPlatform platform(At(14, 31, 29, 999999));
    platform.m_ReadingMicros = 1;
    std::ostringstream out;
    CSchedule schedule(m_Dir.Path(), platform, out);
    ASSERT_TRUE(schedule.LoadText(ScheduleFile(c_Ann8At10 + c_Hello60)));
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

// Each case: the schedule, the wall clock at the start, how many passes, what they play (start
// and sound names, or where the clock is when nothing plays, after any step of the wall clock
// the scheduler saw), how long each playback lasts, and where the wall clock jumps.
TEST_F(SchedulerTest, PlaysEachChainAtItsTimeSpeakingTheNextInterval) {
    struct Case {
        std::string m_Records;
        const char* m_Frequency;
        CTimeVal m_Wall;
        int m_Passes;
        std::string m_Plays;
        std::int64_t m_PlayMicros = c_Second;
        std::vector<std::pair<CTimeVal, std::int64_t>> m_Steps = {};
    };
    const std::string a = c_Ann8At10 + c_Hello120, s = "hello cdnum14 cdnum35";
    // clang-format off
    const Case cases[] = {
        {c_Hello60, "5:00", At(14, 31, 30), 1, "14:36:00.0 hello cdnum14 cdnum40\n"}, // past the last key
        {c_Hello60, "5:00", At(14, 30, 20), 1, "14:31:00.0 " + s + "\n"},
        {Rec("ann8", "Custom", "2:00.0", false, "1"), "5:00", At(14, 30, 10), 1, "14:31:52.0 ann8\n"},
        {a, "5:00", At(14, 30, 5), 1, "14:32:00.0 hello\n"}, // ann8 is longer than the offset
        {a, "5:00", At(14, 30, 1), 1, "14:30:02.0 ann8\n"},  // found again from the later start
        {a, "5:00", At(14, 30, 9, 250000), 1, "14:30:09.250 ann8\n"}, // its start passed: at once
        {Rec("chime", "Custom", "0:00.0"), "5:00", At(14, 30, 0, 400000), 3,
         "14:30:00.400 chime\n14:35:00.0 chime\n14:40:00.0 chime\n", 200000},
        {a, "5:00", At(14, 30, 1), 2, "14:30:02.0 ann8\n14:32:00.0 hello\n", 8300000}, // ends in its key's second
        {Rec("hello", "Custom", "2:06.0") + Rec("chime", "Custom", "2:06.5"), "5:00", At(14, 32, 5), 3,
         "14:32:06.0 hello\n14:32:06.500 chime\n14:37:06.0 hello\n", 10000},
        {Rec("hello", "Custom", "45:00.0") + Rec("now", "Timed", "", true), "60:00", At(14, 10), 1,
         "14:45:00.0 hello cdhour15\n"},
        {c_Hello60, "5:00", At(14, 30, 20), 3,
         "14:31:00.0 " + s + "\n14:36:00.0 hello cdnum14 cdnum40\n14:31:00.0 " + s + "\n",
         c_Second, {{At(14, 31, 0, 500000), -30 * c_Second}, {At(14, 36, 0, 500000), -600 * c_Second}}},
        {c_Hello60, "5:00", At(14, 30, 20), 2,
         "Clock stepped by 3600 seconds, planning again\n15:31:00.0 hello cdnum15 cdnum35\n", c_Second,
         {{At(14, 30, 30), 3600 * c_Second}}},
        // A step within a second is not planned anew, and the wait still ends at the moment itself.
        {c_Hello60, "5:00", At(14, 30, 20), 1, "14:31:00.0 " + s + "\n", c_Second, {{At(14, 30, 30), -900000}}},
        // The last interval of an hour ends at the full hour and speaks it; a key beyond is not in it.
        {Rec("hello", "Custom", "5:00.0") + Rec("now", "Timed", "", true), "45:00", At(14, 40), 1,
         "14:50:00.0 hello cdhour15\n"},
        {Rec("hello", "Custom", "20:00.0"), "45:00", At(14, 46), 1, "15:20:00.0 hello\n"},
        {Rec("hello", "Custom", "9:00.0") + Rec("now", "Timed", "", true), "90:00", At(14, 0), 1,
         "14:09:00.0 hello cdhour15\n"},
        {Rec("chime", "Custom", "0:00.0"), "0:01", At(14, 30), 2, "14:30:00.0 chime\n14:30:01.0 chime\n", 200000},
        {"", "5:00", At(14, 31, 30), 2, "idle until 14:40:00.0"},
        // 7 minutes do not divide the hour: the interval of 14:56 ends at 15:00.
        {Rec("ann8", "Custom", "0:05.0", false, "1"), "7:00", At(14, 58, 10), 1, "idle until 15:00:00.0"},
    };
    // clang-format on
    for (const Case& c : cases) {
        CVirtualPlatform platform(c.m_Wall);
        platform.m_PlayMicros = c.m_PlayMicros;
        for (const auto& [at, by] : c.m_Steps)
            platform.StepWallAt(at, by);
        std::ostringstream out, plays;
        CSchedule schedule(m_Dir.Path(), platform, out);
        ASSERT_TRUE(schedule.LoadText(ScheduleFile(c.m_Records, c.m_Frequency))) << c.m_Plays;
        for (int pass = 0; pass < c.m_Passes; ++pass)
            schedule.PlayNextSound();
        std::istringstream lines(out.str()); // how far the wall clock was seen to step
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("Clock stepped", 0) == 0)
                plays << line << "\n";
        for (const auto& [start, playback] : platform.m_Playbacks) {
            std::istringstream paths(playback.m_FileNames);
            plays << start.TimeString();
            for (std::string path; paths >> path;)
                plays << " " << CSoundLibrary::SoundName(path);
            plays << "\n";
        }
        if (platform.m_Playbacks.empty())
            plays << "idle until " << platform.Now().TimeString();
        EXPECT_EQ(plays.str(), c.m_Plays);
    }
}
