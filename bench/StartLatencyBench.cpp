#include "Bench.h"

#include "LeadInFile.h"
#include "RealPlatform.h"
#include "Schedule.h"
#include "SoundLibrary.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
// The real platform, taking note of when each chain's player was planned to start.
class CNotingPlatform : public CPlatform {
public:
    explicit CNotingPlatform(std::ostream& a_Out) : m_Real(a_Out) {}

    CTimeVal Now() override { return m_Real.Now(); }
    std::int64_t SteadyMicroSecs() override { return m_Real.SteadyMicroSecs(); }
    void SleepFor(std::int64_t a_MicroSecs) override { m_Real.SleepFor(a_MicroSecs); }
    EWaitEnd WaitUntilOrChange(const CTimeVal& a_Until) override {
        return m_Real.WaitUntilOrChange(a_Until);
    }
    EPlayEnd Play(const CPlayback& a_Playback) override {
        m_Planned.push_back(a_Playback.PlayerStart());
        return m_Real.Play(a_Playback);
    }

    CRealPlatform m_Real;
    std::vector<CTimeVal> m_Planned;
};

// A 10-second interval with one chain in each second, at tenths 0 to 9: even seconds start at
// their key, odd ones finish at it; each plays a chime of 0.05 s.
std::string FastSchedule() {
    std::string records;
    for (int sec = 0; sec < 10; ++sec) {
        std::string key = "0:0" + std::to_string(sec) + "." + std::to_string(sec);
        records += "<Record><m_Name>chime</m_Name><Type>Custom</Type><m_TimingTime>" + key +
                   "</m_TimingTime><m_FinishAtTime>" + std::to_string(sec % 2) +
                   "</m_FinishAtTime><m_AfterMsg>0</m_AfterMsg></Record>\n";
    }
    return "<m_Frequency>0:10</m_Frequency>\n<Records>\n" + records + "</Records>\n";
}

// How late each start noted by the stand-in player came against the planned start.
std::vector<double> LateMs(const std::string& a_Starts, const std::vector<CTimeVal>& a_Planned) {
    std::ifstream starts(a_Starts);
    std::vector<double> late;
    long long secs = 0;
    long nanos = 0;
    for (const CTimeVal& planned : a_Planned) {
        if (!(starts >> secs >> nanos))
            break;
        late.push_back(double(secs - planned.Seconds()) * 1000.0 +
                       (double(nanos) / 1000.0 - double(planned.MicroSecs())) / 1000.0);
    }
    return late;
}
} // namespace

LatencyFigures MeasureStartLatency(const CTempDir& a_Dir, const std::string& a_Rel,
                                   int a_Announcements, const std::string& a_LeadIn) {
    LatencyFigures figures;
    a_Dir.WriteWav(a_Rel + "/chime.wav", 0.05);
    std::string leadIn = a_LeadIn.empty() ? "" : "<m_LeadIn>" + a_LeadIn + "</m_LeadIn>\n";
    a_Dir.Write(a_Rel + "/forVrex.xml", leadIn + FastSchedule());
    // Each measurement with a player and a log of its own.
    const std::string dir = a_Dir.Path() + "/" + a_Rel, starts = dir + "-starts",
                      bin = dir + "-bin";
    std::filesystem::create_directory(bin);
    std::filesystem::create_symlink(QUILLANE_BENCH_PLAYER, bin + "/aplay");
    const char* oldPath = std::getenv("PATH");
    CScopedEnv path("PATH", bin + ":" + (oldPath ? oldPath : "/usr/bin:/bin"));
    CScopedEnv log("QUILLANE_BENCH_STARTS", starts);
    // The scheduler's lines are written as on a board, only not kept.
    std::ofstream discard("/dev/null");
    CSoundLibrary library(dir);
    CNotingPlatform platform(discard);
    CSchedule schedule(dir, platform, discard);
    CLeadInFile silence;
    std::string file, error;
    if (!schedule.Load() ||
        (schedule.LeadInSecs() > 0 && !silence.Write(schedule.LeadInSecs(), file, error)))
        return figures;
    if (!file.empty())
        schedule.UseLeadIn(file);
    // The first pass may pick a chain whose start passed earlier in the current second and
    // play it at once: that measures when the benchmark began, not the scheduler.
    while (int(platform.m_Planned.size()) < a_Announcements + 1)
        schedule.PlayNextSound();
    std::vector<double> late = LateMs(starts, platform.m_Planned);
    if (late.size() == platform.m_Planned.size())
        figures.m_LateMs.assign(late.begin() + 1, late.end());
    return figures;
}
