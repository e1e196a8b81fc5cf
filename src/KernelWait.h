#ifndef QUILLANE_KERNELWAIT_H
#define QUILLANE_KERNELWAIT_H

#include "FileDescriptor.h"
#include "ServiceNotifier.h"
#include "TimeVal.h"

#include <cstdint>
#include <string>

// The one place the announcer blocks: a poll that the kernel ends when a descriptor turns
// readable (a timer, a process), when the mount table changes or at a deadline. The process
// does not wake for anything else, except to ping systemd's watchdog when it asks for pings.
class CKernelWait {
public:
    enum class EEvent { Ready, MountsChanged, Deadline };

    explicit CKernelWait(CServiceNotifier& a_Notifier,
                         const std::string& a_MountTable = "/proc/self/mounts");

    // a_Fd is -1 for none; a_Deadline is on SteadyMicroSecs(), -1 for none.
    EEvent Wait(int a_Fd, std::int64_t a_Deadline);
    static std::int64_t SteadyMicroSecs();

private:
    int TimeoutMillis(std::int64_t a_Deadline);

    CServiceNotifier& m_Notifier;
    // Reports POLLPRI once for each change of the table since the last poll.
    CFileDescriptor m_Mounts;
};

#endif
