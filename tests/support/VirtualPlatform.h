#ifndef QUILLANE_VIRTUALPLATFORM_H
#define QUILLANE_VIRTUALPLATFORM_H

#include "Platform.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// Time that passes only when the announcer sleeps, plays or reads the clock. The wall clock is
// the steady clock plus an offset that jumps when the wall clock reaches a moment the test chose;
// at other chosen moments the mount table changes (a_Change runs then). Steps and changes are
// given in time order. The player records each chain with the wall-clock time it starts, and
// ends as the test chose.
class CVirtualPlatform : public CPlatform {
public:
    explicit CVirtualPlatform(CTimeVal a_Wall) : m_Offset(Micros(a_Wall) - m_Steady) {}

    CTimeVal Now() override;
    std::int64_t SteadyMicroSecs() override { return m_Steady; }
    void SleepFor(std::int64_t a_MicroSecs) override {
        Advance(std::max<std::int64_t>(a_MicroSecs, 0));
    }
    EWaitEnd WaitUntilOrChange(const CTimeVal& a_Until) override;
    EPlayEnd Play(const CPlayback& a_Playback) override;
    void Status(const std::string& a_Text) override { m_Statuses.push_back(a_Text); }
    CTimeVal EarliestSetTime() override { return m_EarliestSetTime; }
    // When the wall clock reaches a_At, it jumps by a_By.
    void StepWallAt(CTimeVal a_At, std::int64_t a_By) {
        m_Cues.push_back({Micros(a_At), a_By, {}});
    }
    void ChangeMountsAt(CTimeVal a_At, std::function<void()> a_Change) {
        m_Cues.push_back({Micros(a_At), 0, std::move(a_Change)});
    }

    std::int64_t m_PlayMicros = 1000000;     // how long each playback lasts
    std::int64_t m_ReadingMicros = 0;        // how long each clock reading takes
    EPlayEnd m_PlayEnd = EPlayEnd::Finished; // Stopped: after the time limit
    CTimeVal m_EarliestSetTime{timeval{0, 0}};
    std::vector<std::pair<CTimeVal, CPlayback>> m_Playbacks; // with the wall clock at the start
    std::vector<std::string> m_Statuses;
    int m_Waits = 0; // waits for a wall-clock moment

private:
    static std::int64_t Micros(const CTimeVal& a_Time) {
        return a_Time.Seconds() * 1000000 + a_Time.MicroSecs();
    }
    CTimeVal Wall() const;
    void Advance(std::int64_t a_MicroSecs);

    std::int64_t m_Steady = 3LL * 86400 * 1000000; // as on a board up for three days
    std::int64_t m_Offset;                         // the wall clock less the steady clock
    // The moments the test chose, each a step of the wall clock or a change of the mount table.
    struct Cue {
        std::int64_t m_At, m_By;
        std::function<void()> m_Change; // empty for a step
    };
    std::deque<Cue> m_Cues;
};

#endif
