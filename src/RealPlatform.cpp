#include "RealPlatform.h"

#include "BuildInfo.h"
#include "Sound.h"

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {
// A timer on the wall clock itself, ending at a_Until, or at once when the clock is set.
bool ArmWallTimer(int a_Timer, const CTimeVal& a_Until) {
    itimerspec at{};
    at.it_value = {time_t(a_Until.Seconds()), long(a_Until.MicroSecs()) * 1000};
    return a_Timer >= 0 && ::timerfd_settime(a_Timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET,
                                             &at, nullptr) == 0;
}
} // namespace

CRealPlatform::CRealPlatform(std::ostream& a_Out, std::vector<std::string> a_PlayerOptions)
    : m_Out(a_Out), m_PlayerOptions(std::move(a_PlayerOptions)), m_Wait(m_Notifier) {}

CTimeVal CRealPlatform::Now() {
    return CTimeVal();
}

std::int64_t CRealPlatform::SteadyMicroSecs() {
    return CKernelWait::SteadyMicroSecs();
}

// A change of the mount table meanwhile is taken in and forgotten.
void CRealPlatform::SleepFor(std::int64_t a_MicroSecs) {
    std::int64_t deadline = SteadyMicroSecs() + a_MicroSecs;
    while (m_Wait.Wait(-1, deadline) != CKernelWait::EEvent::Deadline) {
    }
}

EWaitEnd CRealPlatform::SleepForOrChange(std::int64_t a_MicroSecs) {
    bool changed =
        m_Wait.Wait(-1, SteadyMicroSecs() + a_MicroSecs) == CKernelWait::EEvent::MountsChanged;
    return changed ? EWaitEnd::MountsChanged : EWaitEnd::Reached;
}

EWaitEnd CRealPlatform::WaitUntilOrChange(const CTimeVal& a_Until) {
    if (!(Now() < a_Until))
        return EWaitEnd::Reached;
    CFileDescriptor timer(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK));
    if (!ArmWallTimer(timer.Get(), a_Until))
        return WaitSteady(a_Until);
    for (;;) {
        if (m_Wait.Wait(timer.Get(), -1) == CKernelWait::EEvent::MountsChanged)
            return EWaitEnd::MountsChanged;
        std::uint64_t expirations = 0;
        if (::read(timer.Get(), &expirations, sizeof expirations) == sizeof expirations)
            return EWaitEnd::Reached;
        if (errno == ECANCELED)
            return EWaitEnd::ClockStepped;
    }
}

// Without a timer (no descriptor to be had) the steady clock serves, blind to steps.
EWaitEnd CRealPlatform::WaitSteady(const CTimeVal& a_Until) {
    std::int64_t deadline = SteadyMicroSecs() + Now().MicroSecsTo(a_Until);
    bool changed = m_Wait.Wait(-1, deadline) == CKernelWait::EEvent::MountsChanged;
    return changed ? EWaitEnd::MountsChanged : EWaitEnd::Reached;
}

EPlayEnd CRealPlatform::Play(const CPlayback& a_Playback) {
    return CSound(a_Playback.m_FileNames, m_Out, m_PlayerOptions)
        .Play(m_Wait, a_Playback.m_LeadInSecs + a_Playback.m_Duration + c_PlayerGraceSecs);
}

void CRealPlatform::Status(const std::string& a_Text) {
    m_Notifier.Status(a_Text);
}

CTimeVal CRealPlatform::BuildTime() {
    return CTimeVal(timeval{time_t(QUILLANE_BUILD_EPOCH), 0});
}
