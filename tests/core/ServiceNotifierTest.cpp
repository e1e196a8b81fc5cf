#include "ServiceNotifier.h"
#include "BuildInfo.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// systemd's end: the datagram socket NOTIFY_SOCKET names, and the watchdog's interval in
// WATCHDOG_USEC (none when empty), as the service manager sets them for the service.
class CServiceManager {
public:
    CServiceManager(const CTempDir& a_Dir, const std::string& a_WatchdogMicros)
        : m_Socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)),
          m_Notify("NOTIFY_SOCKET", a_Dir.Path() + "/notify"),
          m_Watchdog("WATCHDOG_USEC", a_WatchdogMicros) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = a_Dir.Path() + "/notify";
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ::unlink(path.c_str());
        ::bind(m_Socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~CServiceManager() { ::close(m_Socket); }

    // What the service told it since last asked, one message a line.
    std::string Heard() {
        std::string heard;
        char message[512];
        for (ssize_t got; (got = ::recv(m_Socket, message, sizeof message, 0)) > 0;)
            heard += std::string(message, std::size_t(got)) + "|";
        return heard;
    }

private:
    int m_Socket;
    CScopedEnv m_Notify, m_Watchdog;
};
} // namespace

// Each case: the watchdog's interval, then what the announcer does (a status, or a look at the
// watchdog at a steady time in seconds) and what systemd hears then, and the microseconds until
// the next ping is due.
TEST(ServiceNotifierTest, SystemdHearsReadinessStatusAndWatchdogPings) {
#ifndef QUILLANE_HAVE_SYSTEMD
    GTEST_SKIP() << "built without libsystemd: the announcer tells systemd nothing";
#endif
    struct Step {
        const char* m_Status; // or nullptr for a look at the watchdog
        double m_Secs;
        const char* m_Heard;
        std::int64_t m_UntilPing = 0;
    };
    // clang-format off
    const std::pair<const char*, std::vector<Step>> cases[] = {
        {"", {{nullptr, 100, "", -1}, {"Waiting for a stick", 0, "READY=1\nSTATUS=Waiting for a stick|"},
              {"Schedule loaded", 0, "STATUS=Schedule loaded|"}}},
        {"10000000", {{nullptr, 100, "WATCHDOG=1|", 5000000}, {nullptr, 103, "", 2000000},
                      {nullptr, 104.9, "", 100000}, {nullptr, 105, "WATCHDOG=1|", 5000000},
                      {"Next", 0, "READY=1\nSTATUS=Next|"}}},
        {"1000", {{nullptr, 100, "WATCHDOG=1|", 1000}, {nullptr, 100.0005, "", 500},
                  {nullptr, 100.001, "WATCHDOG=1|", 1000}}},
    };
    // clang-format on
    for (const auto& [watchdog, steps] : cases) {
        CTempDir dir;
        CServiceManager systemd(dir, watchdog);
        CServiceNotifier notifier;
        for (const Step& step : steps) {
            std::int64_t untilPing = 0;
            if (step.m_Status)
                notifier.Status(step.m_Status);
            else
                untilPing = notifier.PingIfDue(std::int64_t(step.m_Secs * 1e6 + 0.5));
            EXPECT_EQ(systemd.Heard(), step.m_Heard) << watchdog << " at " << step.m_Secs;
            EXPECT_EQ(untilPing, step.m_Status ? 0 : step.m_UntilPing)
                << watchdog << " at " << step.m_Secs;
        }
    }
}
