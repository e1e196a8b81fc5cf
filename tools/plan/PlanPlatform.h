#ifndef QUILLANE_PLANPLATFORM_H
#define QUILLANE_PLANPLATFORM_H

#include "Platform.h"

#include <cstddef>
#include <iostream>

// A virtual clock for previewing a timetable: sleeps advance it at once, and playing a chain
// writes one line and advances it by the chain's duration instead of making a sound.
class CPlanPlatform : public CPlatform {
public:
    CPlanPlatform(const CTimeVal& a_Start, std::ostream& a_Out);

    std::size_t Plays() const { return m_Plays; }

    CTimeVal Now() override { return m_Now; }
    std::int64_t SteadyMicroSecs() override { return m_SteadyMicroSecs; }
    void SleepFor(std::int64_t a_MicroSecs) override;
    // The clock is never stepped and the mount table never changes.
    EWaitEnd WaitUntilOrChange(const CTimeVal& a_Until) override;
    // Writes "HH:MM:SS.mmm<TAB>key<TAB>names", a missing sound as "!" and its name.
    EPlayEnd Play(const CPlayback& a_Playback) override;

private:
    void Advance(std::int64_t a_MicroSecs);

    CTimeVal m_Now;
    std::int64_t m_SteadyMicroSecs = 0;
    std::ostream& m_Out;
    std::size_t m_Plays = 0;
};

#endif
