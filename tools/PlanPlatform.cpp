#include "PlanPlatform.h"

#include "Schedule.h"
#include "ToolText.h"

CPlanPlatform::CPlanPlatform(const CTimeVal& a_Start, std::ostream& a_Out)
    : m_Now(a_Start), m_Out(a_Out) {}

void CPlanPlatform::SleepMicroSecs(std::int64_t a_MicroSecs) {
    if (a_MicroSecs > 0)
        Advance(a_MicroSecs);
}

void CPlanPlatform::Play(const std::string&) {
    const CSchedule::Choice* choice = m_Schedule ? &m_Schedule->LastChoice() : nullptr;
    if (!choice || !choice->m_Chain)
        return;
    std::string names;
    for (const CSlot& slot : choice->m_Chain->RecordsForTime(choice->m_AnnounceTime))
        names += (names.empty() ? "" : " ") + std::string(slot.m_FileName.empty() ? "!" : "") +
                 Printable(slot.m_SoundName);
    m_Out << ClockTextMs(m_Now) << '\t' << FloatText(choice->m_Key) << '\t' << names << '\n';
    ++m_Plays;
    float duration = choice->m_Chain->DurationForTime(choice->m_AnnounceTime);
    Advance(std::int64_t(double(duration) * 1000000.0));
}

void CPlanPlatform::Advance(std::int64_t a_MicroSecs) {
    m_Now.AddMicroSecs(a_MicroSecs);
    m_SteadyMicroSecs += a_MicroSecs;
}
