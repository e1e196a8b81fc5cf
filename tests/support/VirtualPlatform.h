#ifndef QUILLANE_VIRTUALPLATFORM_H
#define QUILLANE_VIRTUALPLATFORM_H

#include "Platform.h"

#include <cstdint>
#include <string>
#include <vector>

// Time that passes only when the announcer sleeps, plays or reads the clock. The wall clock is
// the steady clock plus an offset that the test may step, at once or at a chosen wall-clock
// moment while time passes; the player records each file list with its wall-clock start.
class CVirtualPlatform : public CPlatform {
public:
    struct Playback {
        std::string m_FileNames;
        CTimeVal m_Start;
    };

    explicit CVirtualPlatform(CTimeVal a_Wall);

    CTimeVal Now() override;
    std::int64_t SteadyMicroSecs() override { return m_Steady; }
    void SleepMicroSecs(std::int64_t a_MicroSecs) override;
    void Play(const std::string& a_FileNames) override;

    // Each playback lasts this long (default one second).
    void SetPlayMicroSecs(std::int64_t a_MicroSecs) { m_PlayMicros = a_MicroSecs; }
    // Each clock reading takes this long (default none).
    void SetReadingMicroSecs(std::int64_t a_MicroSecs) { m_ReadingMicros = a_MicroSecs; }
    void SetWall(CTimeVal a_Wall);
    // When the wall clock first reaches a_At while time passes, it jumps by a_Step.
    void StepWallAt(CTimeVal a_At, std::int64_t a_StepMicroSecs);

    const std::vector<Playback>& Playbacks() const { return m_Playbacks; }
    const std::vector<std::int64_t>& Sleeps() const { return m_Sleeps; }
    // Wall-clock instant of a local date and time in the current time zone.
    static CTimeVal Local(int a_Year, int a_Month, int a_Day, int a_Hour, int a_Min, int a_Sec,
                          int a_MicroSecs = 0);

private:
    struct Step {
        std::int64_t m_AtWall;
        std::int64_t m_By;
    };
    void Advance(std::int64_t a_MicroSecs);
    // The earliest step that falls between now and a_End on the steady clock.
    std::vector<Step>::iterator NextStep(std::int64_t a_End);
    std::int64_t Wall() const { return m_Steady + m_WallOffset; }

    std::int64_t m_Steady = 0;
    std::int64_t m_WallOffset = 0;
    std::int64_t m_PlayMicros = 1000000;
    std::int64_t m_ReadingMicros = 0;
    std::vector<Step> m_Steps;
    std::vector<Playback> m_Playbacks;
    std::vector<std::int64_t> m_Sleeps;
};

#endif
