#include "plan/PlanPlatform.h"

#include "Interval.h"
#include "shared/ToolText.h"

#include <cstdio>

CPlanPlatform::CPlanPlatform(const CTimeVal& a_Start, std::ostream& a_Out)
    : m_Now(a_Start), m_Out(a_Out) {}

void CPlanPlatform::SleepFor(std::int64_t a_MicroSecs) {
    if (a_MicroSecs > 0)
        Advance(a_MicroSecs);
}

EWaitEnd CPlanPlatform::WaitUntilOrChange(const CTimeVal& a_Until) {
    if (m_Now < a_Until)
        Advance(m_Now.MicroSecsTo(a_Until));
    return EWaitEnd::Reached;
}

EPlayEnd CPlanPlatform::Play(const CPlayback& a_Playback) {
    std::string names;
    for (const CSlot& slot : a_Playback.m_Slots)
        names += (names.empty() ? "" : " ") + std::string(slot.m_FileName.empty() ? "!" : "") +
                 Printable(slot.m_SoundName);
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", m_Now.MilliSec());
    m_Out << m_Now.ClockText() << millis << '\t' << CInterval::SecondsText(a_Playback.m_Key) << '\t'
          << names << '\n';
    ++m_Plays;
    double secs = double(a_Playback.m_LeadInSecs) + double(a_Playback.m_Duration);
    Advance(std::int64_t(secs * double(CTimeVal::c_MicrosPerSec)));
    return EPlayEnd::Finished;
}

void CPlanPlatform::Advance(std::int64_t a_MicroSecs) {
    m_Now.AddMicroSecs(a_MicroSecs);
    m_SteadyMicroSecs += a_MicroSecs;
}
