#include "Announcer.h"
#include "RealPlatform.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"
#include "Wave.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

// The announcer on a virtual clock, with a mount table of its own: a stick with hello (2 s) at
// 1:00 of every 5:00, then the time, a lead-in of a second and hello as its greeting. Planning
// starts at 14:30:20 on the day after the build; 100 s later another disk comes, and at 490 s the
// stick is pulled and one whose schedule cannot be loaded is in (last, at the same mount point).
// Each case: whether the clock was set (or reads 1970 until it is set at 0:02:30), how the player
// ends, what the output holds, and the third status systemd hears.
TEST(AnnouncerTest, AnnouncesFromTheStickUntilItLeaves) {
    CScopedEnv zone("TZ", "UTC0");
    CTempDir dir;
    const std::string root = std::filesystem::canonical(dir.Path()).string();
    const std::string stick = "/dev/sdq1 " + root + "/stick tmpfs ro 0 0\n";
    const std::string removed = "Stick at " + root + "/stick removed, looking for a stick again\n";
    const std::string next = "Next: 14:31:00, chain 60 (hello, cdnum14, cdnum35)";
    // clang-format off
    const std::tuple<bool, EPlayEnd, std::string, std::string> cases[] = {
        {true, EPlayEnd::Finished, removed, next},
        {true, EPlayEnd::Stopped, removed, next},
        {true, EPlayEnd::Failed, removed, next},
        {false, EPlayEnd::Finished, "Waiting for the clock to be set (it reads 1970-01-01 00:02:11)\nClock stepped by ",
         "Waiting for the clock to be set"},
        {true, EPlayEnd::Finished, removed, next},
    };
    // clang-format on
    dir.WriteWav("stick/show/hello.wav", 2.0);
    WriteTimeSounds(dir, "stick/show/times", 1.0);
    dir.Write("stick/show/forVrex.xml",
              "<m_LeadIn>0:01.0</m_LeadIn><m_Greeting>hello</m_Greeting>" +
                  ScheduleFile(Rec("hello", "Custom", "1:00.0") + Rec("now", "Timed", "", true)));
    CScopedEnv runtime("RUNTIME_DIRECTORY", root);
    dir.Write("bad/show/forVrex.xml", ScheduleFile("", "0:00"));
    CTimeVal start = CRealPlatform::BuildTime();
    start.AddSecs(int(86400 - start.Seconds() % 86400 + 14 * 3600 + 30 * 60 + 20));
    for (const auto& [set, end, lines, status] : cases) {
        CVirtualPlatform platform(set ? start : CTimeVal(timeval{10, 0}));
        platform.m_PlayEnd = end;
        platform.m_EarliestSetTime = CRealPlatform::BuildTime();
        // Set to the time it reads when set already, which ends the wait all the same.
        platform.StepWallAt(CTimeVal(timeval{150, 0}), set ? 0 : (start.Seconds() - 150) * 1000000);
        for (auto [secs, table] : {std::pair{100, stick + "/dev/mmcblk0p1 /boot vfat rw 0 0\n"},
                                   {490, "/dev/sdq2 " + root + "/bad tmpfs ro 0 0\n"}}) {
            CTimeVal at = start;
            at.AddSecs(secs);
            bool swap = secs == 490 && &lines == &std::get<2>(std::end(cases)[-1]);
            platform.ChangeMountsAt(at, [&dir, &root, table, swap, stick] {
                if (swap) { // unmounted and another mounted there, both between two looks
                    std::filesystem::rename(root + "/stick", root + "/old");
                    std::filesystem::rename(root + "/bad", root + "/stick");
                }
                dir.Write("mounts", swap ? stick : table);
            });
        }
        dir.Write("mounts", stick);
        std::ostringstream out;
        EXPECT_EQ(CAnnouncer(platform, out, root + "/mounts").Run(), 1) << lines;
        EXPECT_EQ(platform.m_Playbacks.size(), 3u) << lines; // the greeting, then two chains
        EXPECT_EQ(platform.m_Playbacks.at(0).second.m_Slots.size(), set ? 3u : 1u) << lines;
        EXPECT_EQ(platform.m_Playbacks.at(2).first.TimeString(), "14:35:59.0") << lines;
        for (const auto& [start, playback] : platform.m_Playbacks)
            EXPECT_EQ(playback.m_FileNames.rfind(root + "/lead-in.wav " + root + "/stick/", 0), 0u);
        EXPECT_NE(out.str().find(lines), std::string::npos) << out.str();
        EXPECT_EQ(platform.m_Statuses.at(2), status) << lines;
        EXPECT_FLOAT_EQ(CWave(root + "/lead-in.wav").getDuration(), 1.0f);
    }
}
