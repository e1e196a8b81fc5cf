#ifndef QUILLANE_STEPTOLERANTWAIT_H
#define QUILLANE_STEPTOLERANTWAIT_H

#include "Platform.h"

#include <cstdint>
#include <iostream>

// A wait for a moment of the wall clock that rides out small steps of it. A step of a second or
// less (a time server trimming the clock) leaves the moment as it was and the wait goes on to
// it; a larger one ends the wait, said in one line, so that the caller plans again. A change of
// the mount table ends it too.
class CStepTolerantWait {
public:
    // Wall and steady clocks may part by this much before the plan is redone.
    static constexpr std::int64_t c_MaxStepMicroSecs = CTimeVal::c_MicrosPerSec;

    CStepTolerantWait(CPlatform& a_Platform, std::ostream& a_Out)
        : m_Platform(a_Platform), m_Out(a_Out) {}

    // Until the wall clock reads a_Until; steps count from a_WallStart, the wall clock when the
    // moment was planned.
    EWaitEnd Until(const CTimeVal& a_Until, const CTimeVal& a_WallStart);

private:
    bool Stepped(const CTimeVal& a_WallStart, std::int64_t a_SteadyStart);

    CPlatform& m_Platform;
    std::ostream& m_Out;
};

#endif
