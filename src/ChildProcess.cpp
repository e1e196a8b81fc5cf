#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

CChildProcess::CChildProcess(const std::vector<std::string>& a_Argv)
    : m_Pid(Spawn(a_Argv, m_Error)), m_PidFd(OpenPidFd(m_Pid)) {}

// A process that ignores even SIGKILL (stuck in a device driver) is not waited for: the
// announcer must go on.
CChildProcess::~CChildProcess() {
    if (Ended())
        return;
    Signal(SIGKILL);
    ::waitpid(m_Pid, &m_Status, WNOHANG);
}

pid_t CChildProcess::Spawn(const std::vector<std::string>& a_Argv, std::string& a_Error) {
    std::vector<char*> argv;
    for (const std::string& word : a_Argv)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    int error = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error == 0)
        return pid;
    a_Error = std::strerror(error);
    return -1;
}

int CChildProcess::OpenPidFd(pid_t a_Pid) {
#ifdef SYS_pidfd_open
    if (a_Pid > 0)
        return int(::syscall(SYS_pidfd_open, a_Pid, 0));
#endif
    return -1;
}

// Reaped, or lost (ECHILD): either way it is not running any more.
bool CChildProcess::Ended() {
    pid_t got = m_Pid > 0 ? ::waitpid(m_Pid, &m_Status, WNOHANG) : -1;
    if (got != 0 && !(got < 0 && errno == EINTR))
        m_Pid = -1;
    return m_Pid <= 0;
}

void CChildProcess::Signal(int a_Signal) const {
    if (m_Pid > 0)
        ::kill(m_Pid, a_Signal);
}
