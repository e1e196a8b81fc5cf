#include "run/PlayerCheck.h"

#include "ElementScanner.h"
#include "FileDescriptor.h"
#include "shared/ToolText.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {
// The last line of aplay's messages that says something.
std::string LastLine(const std::string& a_Text) {
    std::string line, last;
    for (char c : a_Text + "\n")
        if (c != '\n')
            line += c;
        else if (!CElementScanner::Trimmed(line).empty())
            last = CElementScanner::Trimmed(std::exchange(line, ""));
        else
            line.clear();
    return last;
}

// aplay with its standard error into a_Err, standard input and output on /dev/null.
pid_t Spawn(const std::vector<std::string>& a_Argv, int a_Err) {
    std::vector<char*> argv;
    for (const std::string& arg : a_Argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, a_Err, 2);
    pid_t pid = -1;
    int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    errno = error;
    return error == 0 ? pid : -1;
}
} // namespace

std::vector<std::string> CPlayerCheck::Options(const std::string& a_Device) {
    if (a_Device.empty())
        return {};
    return {"-D", a_Device};
}

CPlayerCheck::EResult CPlayerCheck::Check(const std::string& a_Device, std::string& a_Why) {
    std::vector<std::string> argv{"aplay", "-q"}, options = Options(a_Device);
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"-t", "raw", "-f", "S16_LE", "-r", "22050", "-c", "1", "/dev/null"});
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        a_Why = std::string("cannot start aplay: ") + std::strerror(errno);
        return EResult::Fails;
    }
    CFileDescriptor read(fds[0]);
    pid_t pid = Spawn(argv, fds[1]);
    int error = errno;
    ::close(fds[1]);
    std::string said;
    int status = 0;
    if (pid < 0)
        a_Why = error == ENOENT ? "aplay is not installed: install the package alsa-utils"
                                : std::string("cannot start aplay: ") + std::strerror(error);
    else if (!Collect(read.Get(), pid, said, status))
        a_Why = "aplay did not answer within " + std::to_string(c_TimeoutSecs) +
                " seconds: the sound output is busy or stuck";
    else if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        a_Why = said.empty() ? "aplay ended with status " + std::to_string(status)
                             : Printable(LastLine(said));
    else
        return EResult::Plays;
    return pid < 0 && error == ENOENT ? EResult::Missing : EResult::Fails;
}

// What aplay writes on its standard error until it ends, and its wait status; false when it
// did not end in time (it is killed then).
bool CPlayerCheck::Collect(int a_Fd, int a_Pid, std::string& a_Text, int& a_Status) {
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        long left = c_TimeoutSecs * 1000L - (now.tv_sec - start.tv_sec) * 1000L;
        pollfd wanted{a_Fd, POLLIN, 0};
        char buffer[512];
        int ready = left > 0 ? ::poll(&wanted, 1, int(left)) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        ssize_t n = ::read(a_Fd, buffer, sizeof buffer);
        if (n > 0)
            a_Text.append(buffer, std::size_t(n));
        else if (n == 0 || errno != EINTR)
            return ::waitpid(a_Pid, &a_Status, 0) == a_Pid;
    }
    ::kill(a_Pid, SIGKILL);
    ::waitpid(a_Pid, nullptr, 0);
    return false;
}
