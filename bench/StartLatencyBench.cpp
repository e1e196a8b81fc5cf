#include "Bench.h"

#include "RealPlatform.h"
#include "Schedule.h"
#include "SoundLibrary.h"

#include <fstream>

namespace {
// The real clock and real sleeps; instead of playing, notes how late the player would start.
class CTimingPlatform : public CPlatform {
public:
    explicit CTimingPlatform(std::ostream& a_Out) : m_Real(a_Out) {}

    CTimeVal Now() override { return m_Real.Now(); }
    std::int64_t SteadyMicroSecs() override { return m_Real.SteadyMicroSecs(); }
    void SleepMicroSecs(std::int64_t a_MicroSecs) override { m_Real.SleepMicroSecs(a_MicroSecs); }
    void Play(const CPlayback& a_Playback) override {
        CTimeVal now = m_Real.Now();
        m_LateMs.push_back(double(now - a_Playback.m_StartTime) * 1000.0);
    }

    CRealPlatform m_Real;
    std::vector<double> m_LateMs;
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
} // namespace

LatencyFigures MeasureStartLatency(const CTempDir& a_Dir, const std::string& a_Rel,
                                   int a_Announcements) {
    LatencyFigures figures;
    a_Dir.WriteWav(a_Rel + "/chime.wav", 0.05);
    a_Dir.Write(a_Rel + "/forVrex.xml", FastSchedule());
    const std::string dir = a_Dir.Path() + "/" + a_Rel;
    // The scheduler's lines are written as on a board, only not kept.
    std::ofstream discard("/dev/null");
    CSoundLibrary library(dir);
    CTimingPlatform platform(discard);
    CSchedule schedule(dir, platform, discard);
    if (!schedule.Load())
        return figures;
    // The first pass may pick a chain whose start passed earlier in the current second and
    // play it at once: that measures when the benchmark began, not the scheduler.
    while (int(platform.m_LateMs.size()) < a_Announcements + 1)
        schedule.PlayNextSound();
    figures.m_LateMs.assign(platform.m_LateMs.begin() + 1, platform.m_LateMs.end());
    return figures;
}
