#include "ProcessSupport.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {
[[noreturn]] void Exec(const std::vector<std::string>& a_Argv, int a_PipeFd, bool a_Capture) {
    if (a_Capture)
        ::dup2(a_PipeFd, STDOUT_FILENO);
    ::close(a_PipeFd);
    std::vector<char*> args;
    for (const std::string& arg : a_Argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

std::string Drain(int a_Fd) {
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(a_Fd, buf, sizeof buf)) > 0)
        text.append(buf, std::size_t(n));
    return text;
}
} // namespace

int RunProgram(const std::vector<std::string>& a_Argv, std::string* a_Out) {
    int fds[2];
    if (a_Argv.empty() || ::pipe(fds) != 0)
        return -1;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        Exec(a_Argv, fds[1], a_Out != nullptr);
    }
    ::close(fds[1]);
    std::string text = Drain(fds[0]);
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    if (a_Out)
        *a_Out = text;
    return WEXITSTATUS(status);
}

bool HaveProgram(const std::string& a_Name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (std::size_t begin = 0; begin <= dirs.size();) {
        std::size_t end = dirs.find(':', begin);
        end = end == std::string::npos ? dirs.size() : end;
        std::string dir = dirs.substr(begin, end - begin);
        if (!dir.empty() && ::access((dir + "/" + a_Name).c_str(), X_OK) == 0)
            return true;
        begin = end + 1;
    }
    return false;
}

CScopedEnv::CScopedEnv(std::string a_Name, const char* a_Value) : m_Name(std::move(a_Name)) {
    const char* old = std::getenv(m_Name.c_str());
    m_HadValue = old != nullptr;
    m_OldValue = old ? old : "";
    if (a_Value)
        ::setenv(m_Name.c_str(), a_Value, 1);
    else
        ::unsetenv(m_Name.c_str());
}

CScopedEnv::~CScopedEnv() {
    if (m_HadValue)
        ::setenv(m_Name.c_str(), m_OldValue.c_str(), 1);
    else
        ::unsetenv(m_Name.c_str());
}

CScopedCwd::CScopedCwd(const std::string& a_Dir) {
    char* old = ::getcwd(nullptr, 0);
    m_Old = old ? old : "/";
    std::free(old);
    if (::chdir(a_Dir.c_str()) != 0)
        throw std::runtime_error("cannot enter " + a_Dir);
}

CScopedCwd::~CScopedCwd() {
    if (::chdir(m_Old.c_str()) != 0) {
        // The old directory is gone; the root always exists.
        int ignored = ::chdir("/");
        (void)ignored;
    }
}

std::vector<std::string> ListDir(const std::string& a_Dir) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(a_Dir.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}
