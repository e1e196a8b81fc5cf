#include "ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// The program as execvp would find it through PATH; empty when there is none. Looked up here
// rather than left to posix_spawnp, so that a missing player is reported alike everywhere: an
// emulated board sees a failed exec only as the child's exit status 127.
std::string FindProgram(const std::string& a_Name) {
    if (a_Name.find('/') != std::string::npos)
        return a_Name;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t begin = 0; begin <= dirs.size();) {
        std::size_t end = std::min(dirs.find(':', begin), dirs.size());
        std::string dir = dirs.substr(begin, end - begin);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + a_Name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return "";
}
} // namespace

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
    std::string program = FindProgram(a_Argv.empty() ? "" : a_Argv[0]);
    int error = program.empty()
                    ? ENOENT
                    : ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
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
