#ifndef QUILLANE_SERVICENOTIFIER_H
#define QUILLANE_SERVICENOTIFIER_H

#include <cstdint>
#include <string>

// Tells systemd what the announcer is doing and pings its watchdog. Without systemd (started by
// hand, or built without libsystemd) every call does nothing.
class CServiceNotifier {
public:
    CServiceNotifier();

    // The first status also says the announcer is ready.
    void Status(const std::string& a_Text);
    // Pings the watchdog when half its interval has passed since the last ping. Returns the
    // microseconds until the next ping is due, or -1 when systemd asks for none.
    std::int64_t PingIfDue(std::int64_t a_SteadyMicroSecs);

private:
    std::int64_t m_PingMicros = -1;
    std::int64_t m_LastPing = 0;
    bool m_Ready = false;
};

#endif
