#include "KernelWait.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <poll.h>

CKernelWait::CKernelWait(CServiceNotifier& a_Notifier, const std::string& a_MountTable)
    : m_Notifier(a_Notifier), m_Mounts(a_MountTable) {}

CKernelWait::EEvent CKernelWait::Wait(int a_Fd, std::int64_t a_Deadline) {
    for (;;) {
        pollfd fds[2] = {{m_Mounts.Get(), POLLPRI, 0}, {a_Fd, POLLIN, 0}};
        // A failed poll (a signal) is simply repeated; a descriptor of -1 is never reported.
        if (::poll(fds, 2, TimeoutMillis(a_Deadline)) > 0) {
            if (fds[0].revents & POLLPRI)
                return EEvent::MountsChanged;
            if (fds[1].revents != 0)
                return EEvent::Ready;
        }
        if (a_Deadline >= 0 && SteadyMicroSecs() >= a_Deadline)
            return EEvent::Deadline;
    }
}

std::int64_t CKernelWait::SteadyMicroSecs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * CTimeVal::c_MicrosPerSec + now.tv_nsec / 1000;
}

// Until the deadline or the next watchdog ping, whichever comes first; rounded up, so that the
// poll does not end just before it.
int CKernelWait::TimeoutMillis(std::int64_t a_Deadline) {
    std::int64_t now = SteadyMicroSecs();
    std::int64_t micros = m_Notifier.PingIfDue(now);
    if (a_Deadline >= 0 && (micros < 0 || a_Deadline - now < micros))
        micros = std::max<std::int64_t>(a_Deadline - now, 0);
    return micros < 0 ? -1 : int(std::min<std::int64_t>((micros + 999) / 1000, INT_MAX));
}
