#ifndef QUILLANE_CHILDPROCESS_H
#define QUILLANE_CHILDPROCESS_H

#include "FileDescriptor.h"

#include <string>
#include <sys/types.h>
#include <vector>

// A program started with an argument vector, no shell between; still running when this goes,
// it is killed.
class CChildProcess {
public:
    // Starts a_Argv[0], found through PATH as the shell would.
    explicit CChildProcess(const std::vector<std::string>& a_Argv);
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Started() const { return m_Error.empty(); }
    // Why it could not be started.
    const std::string& Error() const { return m_Error; }
    // Readable once the process has ended; -1 where the kernel has no process descriptors.
    int Fd() const { return m_PidFd.Get(); }
    // True once it has ended; its wait status is then Status().
    bool Ended();
    int Status() const { return m_Status; }
    void Signal(int a_Signal) const;

private:
    static pid_t Spawn(const std::vector<std::string>& a_Argv, std::string& a_Error);
    static int OpenPidFd(pid_t a_Pid);

    std::string m_Error;
    pid_t m_Pid;
    CFileDescriptor m_PidFd;
    int m_Status = 0;
};

#endif
