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
        for (const char* name : {"cdnum14", "cdnum15", "cdnum25", "cdnum35", "cdnum40", "cdhour15"})
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

TEST_F(SchedulerTest, PlaysEachChainAtItsTimeSpeakingTheNextInterval) {
    struct Case {
        const char* m_What;
        std::string m_Records;
        const char* m_Frequency;
        CTimeVal m_Wall;
        int m_Passes;
        std::vector<std::pair<CTimeVal, std::string>> m_Plays;
        std::int64_t m_PlayMicros = c_Second;
        std::vector<std::pair<CTimeVal, std::int64_t>> m_Steps = {}; // the wall clock jumps
        CTimeVal m_End = At(0, 0);                                   // the clock after the passes
    };
    const std::string shared = Rec("hello", "Custom", "2:06.0") + Rec("chime", "Custom", "2:06.5");
    const std::string chime = Rec("chime", "Custom", "0:00.0"), s = "hello cdnum14 cdnum35";
    // clang-format off
    const Case cases[] = {
        {"past the last key", c_Hello60, "5:00", At(14, 31, 30), 1, {{At(14, 36), "hello cdnum14 cdnum40"}}},
        {"key ahead", c_Hello60, "5:00", At(14, 30, 20), 1, {{At(14, 31), s}}},
        {"finishing at its key", Rec("ann8", "Custom", "2:00.0", false, "1"), "5:00", At(14, 30, 10), 1,
         {{At(14, 31, 52), "ann8"}}},
        {"too long for the offset", c_Ann8At10 + c_Hello120, "5:00", At(14, 30, 5), 1, {{At(14, 32), "hello"}}},
        {"found again later", c_Ann8At10 + c_Hello120, "5:00", At(14, 30, 1), 1, {{At(14, 30, 2), "ann8"}}},
        {"start passed", c_Ann8At10 + c_Hello120, "5:00", At(14, 30, 9, 250000), 1,
         {{At(14, 30, 9, 250000), "ann8"}}},
        {"once per interval", chime, "5:00", At(14, 30, 0, 400000), 3,
         {{At(14, 30, 0, 400000), "chime"}, {At(14, 35), "chime"}, {At(14, 40), "chime"}}, 200000},
        {"ending in its key's second", c_Ann8At10 + c_Hello120, "5:00", At(14, 30, 1), 2,
         {{At(14, 30, 2), "ann8"}, {At(14, 32), "hello"}}, 8300000},
        {"keys sharing a second", shared, "5:00", At(14, 32, 5), 3,
         {{At(14, 32, 6), "hello"}, {At(14, 32, 6, 500000), "chime"}, {At(14, 37, 6), "hello"}}, 10000},
        {"a key of 45 minutes", Rec("hello", "Custom", "45:00.0") + Rec("now", "Timed", "", true), "60:00",
         At(14, 10), 1, {{At(14, 45), "hello cdhour15"}}},
        {"set back while playing", c_Hello60, "5:00", At(14, 30, 20), 3,
         {{At(14, 31), s}, {At(14, 36), "hello cdnum14 cdnum40"}, {At(14, 31), s}}, c_Second,
         {{At(14, 31, 0, 500000), -30 * c_Second}, {At(14, 36, 0, 500000), -600 * c_Second}}},
        {"an hour on while waiting", c_Hello60, "5:00", At(14, 30, 20), 2, {{At(15, 31), "hello cdnum15 cdnum35"}},
         c_Second, {{At(14, 30, 30), 3600 * c_Second}}},
        {"10 min back while waiting", c_Hello60, "5:00", At(14, 30, 20), 2, {{At(14, 21), "hello cdnum14 cdnum25"}},
         c_Second, {{At(14, 30, 30), -600 * c_Second}}},
        {"corrected by under a second", c_Hello60, "5:00", At(14, 30, 20), 1, {{At(14, 30, 59, 100000), s}},
         c_Second, {{At(14, 30, 30), -900000}}},
        {"nothing to play", "", "5:00", At(14, 31, 30), 2, {}, c_Second, {}, At(14, 40)},
        // 7 minutes do not divide the hour: the interval of 14:56 ends at 15:00.
        {"nothing playable", Rec("ann8", "Custom", "0:05.0", false, "1"), "7:00", At(14, 58, 10), 1, {},
         c_Second, {}, At(15, 0)},
    };
    // clang-format on
    for (const Case& c : cases) {
        CVirtualPlatform platform(c.m_Wall);
        platform.m_PlayMicros = c.m_PlayMicros;
        for (const auto& [at, by] : c.m_Steps)
            platform.StepWallAt(at, by);
        std::ostringstream out, plays, expected;
        CSchedule schedule(m_Dir.Path(), platform, out);
        ASSERT_TRUE(schedule.LoadText(ScheduleFile(c.m_Records, c.m_Frequency))) << c.m_What;
        for (int pass = 0; pass < c.m_Passes; ++pass)
            schedule.PlayNextSound();
        for (const auto& [start, files] : platform.m_Playbacks) {
            std::istringstream paths(files);
            plays << start.TimeString();
            for (std::string path; paths >> path;)
                plays << " " << CSoundLibrary::SoundName(path);
            plays << "\n";
        }
        for (const auto& [start, names] : c.m_Plays)
            expected << start.TimeString() << " " << names << "\n";
        EXPECT_EQ(plays.str(), expected.str()) << c.m_What;
        if (c.m_End.Seconds() != At(0, 0).Seconds()) {
            EXPECT_EQ(platform.Now().TimeString(), c.m_End.TimeString()) << c.m_What;
        }
    }
}
