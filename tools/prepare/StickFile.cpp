#include "prepare/StickFile.h"

#include "shared/Failure.h"
#include "shared/ToolText.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr int c_Signals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary files there are now. Changed only while the signals are held back, so that the
// handler never finds it half-changed.
std::set<std::string>& Pending() {
    static std::set<std::string> s_Pending;
    return s_Pending;
}

// Removes the temporary files, then ends the program as the signal would have.
void RemovePendingAndEnd(int a_Signal) {
    for (const std::string& path : Pending())
        ::unlink(path.c_str());
    ::signal(a_Signal, SIG_DFL);
    ::raise(a_Signal);
}

// A signal ignored when the program started (nohup) stays ignored.
bool InstallHandler() {
    Pending();
    for (int signal : c_Signals) {
        struct sigaction action {
        }, old{};
        action.sa_handler = RemovePendingAndEnd;
        sigemptyset(&action.sa_mask);
        if (::sigaction(signal, &action, &old) == 0 && old.sa_handler == SIG_IGN)
            ::sigaction(signal, &old, nullptr);
    }
    return true;
}

// Holds the signals back while it lives.
class CSignalsHeld {
public:
    CSignalsHeld() {
        static const bool s_Installed = InstallHandler();
        (void)s_Installed;
        sigset_t set;
        sigemptyset(&set);
        for (int signal : c_Signals)
            sigaddset(&set, signal);
        ::sigprocmask(SIG_BLOCK, &set, &m_Old);
    }
    ~CSignalsHeld() { ::sigprocmask(SIG_SETMASK, &m_Old, nullptr); }
    CSignalsHeld(const CSignalsHeld&) = delete;
    CSignalsHeld& operator=(const CSignalsHeld&) = delete;

private:
    sigset_t m_Old;
};

// Why a_What on a_Path failed, from errno.
std::string Reason(const std::string& a_What, const std::string& a_Path) {
    return "cannot " + a_What + " " + a_Path + ": " + std::strerror(errno);
}

std::string Megabytes(double a_Bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", a_Bytes / 1e6);
    return text;
}

// What the files need of one file system, in whole blocks, and what it has free.
struct CRoom {
    std::string m_Dir;
    double m_Needed = 0, m_Free = 0;
    std::size_t m_Count = 0;
};

bool HasRoom(const CStickFile::Files& a_Files, std::string& a_Why) {
    std::map<unsigned long, CRoom> rooms; // by file system
    for (const auto& [path, bytes] : a_Files) {
        struct statvfs fs {};
        if (::statvfs(DirOf(path).c_str(), &fs) != 0)
            continue; // writing will say why
        double block = double(fs.f_frsize ? fs.f_frsize : fs.f_bsize);
        CRoom& room = rooms[fs.f_fsid];
        room.m_Dir = room.m_Dir.empty() ? DirOf(path) : room.m_Dir;
        room.m_Free = double(fs.f_bavail) * block;
        room.m_Needed += std::ceil(double(bytes.size()) / block) * block;
        ++room.m_Count;
    }
    for (const auto& [fs, room] : rooms)
        if (room.m_Needed > room.m_Free)
            return Fail(a_Why, "not enough room on " + room.m_Dir + ": the " +
                                   std::to_string(room.m_Count) + " files need " +
                                   Megabytes(room.m_Needed) + " and " + Megabytes(room.m_Free) +
                                   " is free. Nothing was changed: make room and try again");
    return true;
}
} // namespace

CStickFile::CStickFile(std::string a_Target) : m_Target(std::move(a_Target)) {
    std::string path = DirOf(m_Target) + "/.quillane-XXXXXX";
    CSignalsHeld held;
    m_Fd = ::mkstemp(&path[0]);
    if (m_Fd < 0) {
        m_LastError = Reason("write in", DirOf(m_Target));
        return;
    }
    m_Path = path;
    Pending().insert(m_Path);
}

CStickFile::~CStickFile() {
    if (m_Fd >= 0)
        ::close(m_Fd);
    if (!m_Path.empty()) {
        CSignalsHeld held;
        ::unlink(m_Path.c_str());
        Forget();
    }
}

void CStickFile::Forget() {
    Pending().erase(m_Path);
    m_Path.clear();
}

bool CStickFile::Write(const std::string& a_Bytes, std::string& a_Why) {
    if (m_Fd < 0)
        return Fail(a_Why, m_LastError.empty() ? "cannot write " + m_Target : m_LastError);
    for (std::size_t done = 0; done < a_Bytes.size();) {
        ssize_t n = ::write(m_Fd, a_Bytes.data() + done, a_Bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(a_Why, Reason("write", m_Target));
        done += std::size_t(n);
    }
    // Readable by the announcer's user, whatever mkstemp chose; closed once only, even when
    // closing fails.
    if (::fchmod(m_Fd, 0644) != 0 || ::fsync(m_Fd) != 0 || ::close(std::exchange(m_Fd, -1)) != 0)
        return Fail(a_Why, Reason("write", m_Target));
    return true;
}

bool CStickFile::Commit(std::string& a_Why) {
    if (m_Fd >= 0 || m_Path.empty())
        return Fail(a_Why, "cannot write " + m_Target + ": it was not written in full");
    CSignalsHeld held;
    if (::rename(m_Path.c_str(), m_Target.c_str()) != 0)
        return Fail(a_Why, Reason("write", m_Target));
    Forget();
    return true;
}

bool CStickFile::WriteAll(const Files& a_Files, std::string& a_Why) {
    if (!HasRoom(a_Files, a_Why))
        return false;
    std::deque<CStickFile> files;
    for (const auto& [path, bytes] : a_Files) {
        CStickFile& file = files.emplace_back(path);
        if (!file.isValid())
            return Fail(a_Why, file.lastError());
        if (!file.Write(bytes, a_Why))
            return false;
    }
    for (CStickFile& file : files)
        if (!file.Commit(a_Why))
            return false;
    return true;
}
