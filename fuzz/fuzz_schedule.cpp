// Text in, schedule out: any schedule file must load or be refused without a crash, and the
// scheduler must then make progress on it: each pass ends, plays at most once, never plays an
// occurrence again and never runs the clock backwards.
#include "FuzzSupport.h"
#include "Platform.h"
#include "Schedule.h"
#include "SoundLibrary.h"
#include "TestSupport.h"
#include "TimeRecord.h"
#include "VirtualPlatform.h"

#include <memory>
#include <set>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

// A small stick of a few announcements and every time sound, so chains have durations. It is
// removed when the run ends.
const CSoundLibrary& Library() {
    static const CTempDir stick;
    static const bool written = [] {
        std::vector<std::string> names = CTimeRecord::AllTitles();
        names.insert(names.end(), {"intro", "a", "now"});
        for (const std::string& name : names)
            stick.WriteWav(name + ".wav", 0.1 * double(1 + name.size() % 7));
        return true;
    }();
    static const CSoundLibrary library(written ? stick.Path() : "");
    return library;
}

// Checks one pass; a_Played collects the occurrences (key and announce time) played so far.
void CheckPass(CVirtualPlatform& a_Platform, const CTimeVal& a_Before, std::size_t a_PlaysBefore,
               std::set<std::pair<float, std::int64_t>>& a_Played) {
    if (a_Platform.Now() < a_Before)
        FuzzFail("the clock went backwards");
    if (a_Platform.m_Playbacks.size() > a_PlaysBefore + 1)
        FuzzFail("one pass played more than once");
    if (a_Platform.m_Playbacks.size() == a_PlaysBefore)
        return;
    const CPlayback& played = a_Platform.m_Playbacks.back().second;
    if (!a_Played.insert({played.m_Key, played.m_AnnounceTime.Seconds()}).second)
        FuzzFail("an occurrence was played twice");
}

// A pass may wait up to two intervals of virtual time; long intervals get one pass.
void RunPasses(CSchedule& a_Schedule, CVirtualPlatform& a_Platform) {
    std::set<std::pair<float, std::int64_t>> played;
    const int passes = a_Schedule.FrequencySecs() <= 900 ? 3 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const CTimeVal before = a_Platform.Now();
        const std::size_t plays = a_Platform.m_Playbacks.size();
        a_Schedule.PlayNextSound();
        CheckPass(a_Platform, before, plays, played);
    }
}

// A chain keyed beyond the longest interval would never play, or make a pass wait until a
// far-off key while every nearer occurrence goes by: the loader must have dropped it.
bool KeysWithinInterval(const CSchedule& a_Schedule) {
    const auto& program = a_Schedule.Program();
    return program.empty() ||
           (program.begin()->first >= 0 &&
            program.rbegin()->first <= float(CInterval::LongestSecs(a_Schedule.FrequencySecs())));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "UTC", 1);
    Library();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* a_Data, std::size_t a_Size) {
    std::ostringstream out;
    // 2024-03-14 14:31:05 UTC: mid-interval, so both the current and the next are searched.
    CVirtualPlatform platform(CTimeVal(timeval{1710426665, 0}));
    platform.m_PlayMicros = 1500000;
    CSchedule schedule("/nonexistent", platform, out);
    if (!schedule.LoadText(std::string(reinterpret_cast<const char*>(a_Data), a_Size)))
        return 0;
    if (schedule.FrequencySecs() <= 0)
        FuzzFail("accepted an interval of " + std::to_string(schedule.FrequencySecs()));
    if (!KeysWithinInterval(schedule))
        FuzzFail("kept a chain keyed outside the interval");
    if (schedule.LeadInSecs() > 0)
        schedule.UseLeadIn("/run/quillane/lead-in.wav");
    schedule.PlayGreeting();
    RunPasses(schedule, platform);
    return 0;
}
