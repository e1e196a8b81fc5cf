#include "ServiceNotifier.h"

#include "BuildInfo.h"

#include <algorithm>

#ifdef QUILLANE_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#else
namespace {
int sd_notify(int, const char*) {
    return 0;
}
int sd_watchdog_enabled(int, std::uint64_t*) {
    return 0;
}
} // namespace
#endif

CServiceNotifier::CServiceNotifier() {
    std::uint64_t watchdogMicros = 0;
    if (sd_watchdog_enabled(0, &watchdogMicros) > 0)
        m_PingMicros = std::max<std::int64_t>(std::int64_t(watchdogMicros / 2), 1000);
}

void CServiceNotifier::Status(const std::string& a_Text) {
    sd_notify(0, ((m_Ready ? "" : "READY=1\n") + ("STATUS=" + a_Text)).c_str());
    m_Ready = true;
}

std::int64_t CServiceNotifier::PingIfDue(std::int64_t a_SteadyMicroSecs) {
    if (m_PingMicros < 0)
        return -1;
    if (a_SteadyMicroSecs - m_LastPing >= m_PingMicros) {
        sd_notify(0, "WATCHDOG=1");
        m_LastPing = a_SteadyMicroSecs;
    }
    return m_LastPing + m_PingMicros - a_SteadyMicroSecs;
}
