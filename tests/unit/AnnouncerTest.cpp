#include "Announcer.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

// The announcer on a virtual clock, with a mount table of its own: a stick with hello (2 s) at
// 1:00 of every 5:00, then the time. Planning starts at 14:30:20; 100 s later another disk
// comes, and at 490 s the stick is pulled and one whose schedule cannot be loaded is in. Each
// case: how the player ends.
TEST(AnnouncerTest, AnnouncesFromTheStickUntilItLeaves) {
    CScopedEnv zone("TZ", "UTC0");
    CTempDir dir;
    const std::string root = std::filesystem::canonical(dir.Path()).string();
    const std::string stick = "/dev/sdq1 " + root + "/stick tmpfs ro 0 0\n";
    const std::string removed = "Stick at " + root + "/stick removed, looking for a stick again\n";
    const EPlayEnd cases[] = {EPlayEnd::Finished, EPlayEnd::Stopped, EPlayEnd::Failed};
    dir.WriteWav("stick/show/hello.wav", 2.0);
    WriteTimeSounds(dir, "stick/show/times", 1.0);
    dir.Write("stick/show/forVrex.xml",
              ScheduleFile(Rec("hello", "Custom", "1:00.0") + Rec("now", "Timed", "", true)));
    dir.Write("bad/show/forVrex.xml", ScheduleFile("", "0:00"));
    const CTimeVal start = At(14, 30, 20);
    for (EPlayEnd end : cases) {
        CVirtualPlatform platform(start);
        platform.m_PlayEnd = end;
        for (auto [secs, table] : {std::pair{100, stick + "/dev/mmcblk0p1 /boot vfat rw 0 0\n"},
                                   {490, "/dev/sdq2 " + root + "/bad tmpfs ro 0 0\n"}}) {
            CTimeVal at = start;
            at.AddSecs(secs);
            platform.ChangeMountsAt(at, [&dir, table] { dir.Write("mounts", table); });
        }
        dir.Write("mounts", stick);
        std::ostringstream out;
        EXPECT_EQ(CAnnouncer(platform, out, root + "/mounts").Run(), 1) << int(end);
        EXPECT_EQ(platform.m_Playbacks.size(), 2u) << int(end);
        EXPECT_EQ(platform.m_Playbacks.at(1).first.TimeString(), "14:36:00.0") << int(end);
        EXPECT_NE(out.str().find(removed), std::string::npos) << out.str();
    }
}
