#include "VirtualPlatform.h"

#include <ctime>

namespace {
constexpr std::int64_t c_MicrosPerSec = 1000000;

std::int64_t ToMicros(const CTimeVal& a_Time) {
    return a_Time.Seconds() * c_MicrosPerSec + a_Time.MicroSecs();
}

CTimeVal FromMicros(std::int64_t a_Micros) {
    timeval time{};
    time.tv_sec = static_cast<decltype(time.tv_sec)>(a_Micros / c_MicrosPerSec);
    time.tv_usec = static_cast<decltype(time.tv_usec)>(a_Micros % c_MicrosPerSec);
    return CTimeVal(time);
}
} // namespace

CVirtualPlatform::CVirtualPlatform(CTimeVal a_Wall) {
    // The steady clock starts at an arbitrary origin unrelated to the wall clock.
    m_Steady = 5000 * c_MicrosPerSec;
    SetWall(a_Wall);
}

CTimeVal CVirtualPlatform::Now() {
    CTimeVal now = FromMicros(Wall());
    Advance(m_ReadingMicros);
    return now;
}

void CVirtualPlatform::SleepMicroSecs(std::int64_t a_MicroSecs) {
    m_Sleeps.push_back(a_MicroSecs);
    if (a_MicroSecs > 0)
        Advance(a_MicroSecs);
}

void CVirtualPlatform::Play(const std::string& a_FileNames) {
    m_Playbacks.push_back(Playback{a_FileNames, FromMicros(Wall())});
    Advance(m_PlayMicros);
}

void CVirtualPlatform::SetWall(CTimeVal a_Wall) {
    m_WallOffset = ToMicros(a_Wall) - m_Steady;
}

void CVirtualPlatform::StepWallAt(CTimeVal a_At, std::int64_t a_StepMicroSecs) {
    m_Steps.push_back(Step{ToMicros(a_At), a_StepMicroSecs});
}

void CVirtualPlatform::Advance(std::int64_t a_MicroSecs) {
    std::int64_t end = m_Steady + a_MicroSecs;
    for (auto step = NextStep(end); step != m_Steps.end(); step = NextStep(end)) {
        m_Steady = step->m_AtWall - m_WallOffset;
        m_WallOffset += step->m_By;
        m_Steps.erase(step);
    }
    m_Steady = end;
}

std::vector<CVirtualPlatform::Step>::iterator CVirtualPlatform::NextStep(std::int64_t a_End) {
    auto next = m_Steps.end();
    for (auto it = m_Steps.begin(); it != m_Steps.end(); ++it) {
        std::int64_t atSteady = it->m_AtWall - m_WallOffset;
        bool due = atSteady >= m_Steady && atSteady <= a_End;
        if (due && (next == m_Steps.end() || it->m_AtWall < next->m_AtWall))
            next = it;
    }
    return next;
}

CTimeVal CVirtualPlatform::Local(int a_Year, int a_Month, int a_Day, int a_Hour, int a_Min,
                                 int a_Sec, int a_MicroSecs) {
    std::tm fields{};
    fields.tm_year = a_Year - 1900;
    fields.tm_mon = a_Month - 1;
    fields.tm_mday = a_Day;
    fields.tm_hour = a_Hour;
    fields.tm_min = a_Min;
    fields.tm_sec = a_Sec;
    fields.tm_isdst = -1;
    return FromMicros(std::int64_t(std::mktime(&fields)) * c_MicrosPerSec + a_MicroSecs);
}
