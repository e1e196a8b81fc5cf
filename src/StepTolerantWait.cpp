#include "StepTolerantWait.h"

#include <cmath>
#include <cstdlib>

EWaitEnd CStepTolerantWait::Until(const CTimeVal& a_Until, const CTimeVal& a_WallStart) {
    std::int64_t steadyStart = m_Platform.SteadyMicroSecs();
    EWaitEnd end = m_Platform.WaitUntilOrChange(a_Until);
    while (end == EWaitEnd::ClockStepped && !Stepped(a_WallStart, steadyStart))
        end = m_Platform.WaitUntilOrChange(a_Until);
    return end;
}

// How far the wall clock moved beyond the time that passed.
bool CStepTolerantWait::Stepped(const CTimeVal& a_WallStart, std::int64_t a_SteadyStart) {
    std::int64_t wallMoved = a_WallStart.MicroSecsTo(m_Platform.Now());
    std::int64_t stepped = wallMoved - (m_Platform.SteadyMicroSecs() - a_SteadyStart);
    if (std::llabs(stepped) <= c_MaxStepMicroSecs)
        return false;
    m_Out << "Clock stepped by " << std::llround(double(stepped) / CTimeVal::c_MicrosPerSec)
          << " seconds, planning again" << std::endl;
    return true;
}
