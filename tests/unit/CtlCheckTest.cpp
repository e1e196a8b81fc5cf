#include "CheckJson.h"
#include "CheckText.h"
#include "Schedule.h"
#include "SoundLibrary.h"
#include "StickCheck.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>

TEST(CtlCheckTest, EachMistakeIsOneFinding) {
    CScopedEnv zone("TZ", "UTC0");
    // intro (2 s) finishing at 2:00, followed by the time.
    const std::string r =
        Rec("intro", "Custom", "2:00.0", false, "1") + Rec("now", "Timed", "", true);
    const std::string at1 = Rec("intro", "Custom", "0:01.0"),
                      at60 = Rec("intro", "Custom", "1:00.0");
    // clang-format off
    const std::string wav = WavBytes(1);
    const char* both = "missing-time-sounds needed-time-sounds-missing";
    // A schedule, a file put in (or deleted, for no bytes), the findings expected, words of the text.
    const std::tuple<std::string, std::string, std::string, const char*, const char*> cases[] = {
        {r, "", "", "", "No problems found: the stick is usable."},
        {r, "bad.wav", "RIFF", "refused", "bad.wav: Couldn't read RIFF data"},
        {r, "old/intro.wav", wav, "replaced", "Two files give the sound intro"},
        {r + Rec("outro", "Custom", "4:00.0"), "", "", "missing-announcement", "\"outro\" (chain 240) is not on"},
        {r, "times/cdnum35.wav", "", both, "spoken as silence): cdnum35"},
        {r, "times/cdhour00.wav", "", both, "spoken as silence): cdhour00"},
        {r, "times/cdnum00.wav", "", both, "spoken as silence): cdnum00"},
        {r + Rec("x", "Daily", "3:00.0"), "", "", "unknown-type", "Record x has type \"Daily\""},
        {Rec("intro", "Custom", "0:01.0", false, "1"), "", "", "longer-than-key", "in 288 of the day's 288"},
        {at60 + Rec("intro", "Custom", "1:01.0"), "", "", "runs-past-next", "until up to 62 s"},
        {at1 + Rec("intro", "Custom", "4:59.5"), "", "", "runs-past-next", "start of chain 1 in the next"},
        {at60 + Rec("intro", "Custom", "1:02.0"), "", "", "", "No problems found"},
        {"", "", "", "empty-program", "no chains"},
    };
    // clang-format on
    for (const auto& [records, rel, bytes, kinds, words] : cases) {
        CTempDir dir; // every time sound (0.5 s) and intro (2 s)
        WriteTimeSounds(dir, "show/times", 0.5);
        dir.WriteWav("show/intro.wav", 2.0);
        dir.Write("show/forVrex.xml", ScheduleFile(records));
        if (!bytes.empty())
            dir.Write("show/" + rel, bytes);
        else if (!rel.empty())
            std::remove((dir.Path() + "/show/" + rel).c_str());
        CCheckReport report = CStickCheck::Run(dir.Path(), At(14, 31, 5));
        std::ostringstream text, json;
        CCheckText::Write(report, text);
        CCheckJson::Write(report, json);
        std::string found;
        nlohmann::json parsed = nlohmann::json::parse(json.str());
        for (const auto& finding : parsed["findings"])
            found += (found.empty() ? "" : " ") + finding["kind"].get<std::string>();
        EXPECT_EQ(found, kinds) << text.str();
        EXPECT_NE(text.str().find(words), std::string::npos) << text.str();
    }
}

// What check says of each chain, the intervals of a day it plays in, is what the scheduler then
// plays over that day.
TEST(CtlCheckTest, CheckAndTheSchedulerAgreeOnEveryKey) {
    CScopedEnv zone("TZ", "UTC0");
    // clang-format off
    const std::tuple<const char*, const char*, const char*, std::size_t> cases[] = { // finishing: "1"
        {"5:00", "0:00.0", "0", 288}, {"5:00", "2:30.0", "0", 288}, {"5:00", "5:00.0", "0", 288},
        {"5:00", "5:00.0", "1", 288}, {"5:00", "5:00.1", "0", 0},   {"0:30", "0:30.0", "1", 2880},
        {"5:00", "0:00.5", "1", 0},   {"45:00", "10:00.0", "0", 48}, {"45:00", "20:00.0", "0", 24},
        {"90:00", "59:59.0", "1", 24},
    };
    // clang-format on
    for (const auto& [frequency, key, finish, plays] : cases) {
        CTempDir dir;
        dir.WriteWav("show/intro.wav", 1.0);
        dir.Write("show/forVrex.xml",
                  ScheduleFile(Rec("intro", "Custom", key, false, finish), frequency));
        CCheckReport report = CStickCheck::Run(dir.Path(), At(14, 31, 5));
        EXPECT_EQ(report.m_Chains.empty() ? 0 : report.m_Chains[0].m_PlaysPerDay, plays)
            << frequency << " " << key;
        bool cut = std::string(frequency) != "5:00" && std::string(frequency) != "0:30";
        std::ostringstream json;
        CCheckJson::Write(report, json);
        EXPECT_EQ(json.str().find("interval-cut") != std::string::npos, cut) << frequency;
        CSoundLibrary library(dir.Path() + "/show");
        CVirtualPlatform platform(At(0, 0));
        std::ostringstream out;
        CSchedule schedule(dir.Path() + "/show", platform, out);
        ASSERT_TRUE(schedule.Load());
        while (platform.Now() < At(24, 0, 1))
            schedule.PlayNextSound();
        std::size_t played = 0; // in the intervals that end on the day
        for (const auto& [start, playback] : platform.m_Playbacks)
            played += At(0, 0) < playback.m_AnnounceTime && !(At(24, 0) < playback.m_AnnounceTime);
        EXPECT_EQ(played, plays) << frequency << " " << key;
    }
}
