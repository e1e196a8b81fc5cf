#include "LeadInFile.h"

#include "FileDescriptor.h"
#include "Wave.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {
const int c_EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What a signal handler removes; it may call nothing that allocates.
char g_PrivateFile[PATH_MAX];
char g_PrivateDir[PATH_MAX];
// What each signal did before: handled here only where it would have ended the process.
struct sigaction g_Before[sizeof c_EndingSignals / sizeof *c_EndingSignals];

void RemovePrivate() {
    ::unlink(g_PrivateFile);
    ::rmdir(g_PrivateDir);
}

// Removes the private directory, then ends the process by the signal as it would have ended.
void EndBySignal(int a_Signal) {
    RemovePrivate();
    ::signal(a_Signal, SIG_DFL);
    ::raise(a_Signal);
}

void Catch() {
    for (std::size_t i = 0; i < std::size(c_EndingSignals); ++i) {
        ::sigaction(c_EndingSignals[i], nullptr, &g_Before[i]);
        if (g_Before[i].sa_handler == SIG_DFL)
            ::signal(c_EndingSignals[i], EndBySignal);
    }
}

void Release() {
    for (std::size_t i = 0; i < std::size(c_EndingSignals); ++i)
        ::sigaction(c_EndingSignals[i], &g_Before[i], nullptr);
}

bool WriteAll(int a_Fd, const std::string& a_Bytes) {
    for (std::size_t done = 0; done < a_Bytes.size();) {
        ssize_t put = ::write(a_Fd, a_Bytes.data() + done, a_Bytes.size() - done);
        if (put < 0 && errno != EINTR)
            return false;
        done += put < 0 ? 0 : std::size_t(put);
    }
    return true;
}
} // namespace

CLeadInFile::~CLeadInFile() {
    if (!m_Private)
        return;
    Release();
    RemovePrivate();
}

bool CLeadInFile::Write(float a_Secs, std::string& a_Path, std::string& a_Error) {
    if (!MakeDir(a_Error))
        return false;
    a_Path = m_Dir + "/" + c_Name;
    auto bytes = CWave::DWORD(2 * std::lround(double(a_Secs) * CWave::c_sample_rate));
    CFileDescriptor file(::open(a_Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (file.Get() >= 0 && WriteAll(file.Get(), CWave::headerFor(bytes) + std::string(bytes, '\0')))
        return true;
    a_Error = "cannot write " + a_Path + ": " + std::strerror(errno);
    return false;
}

// The service manager's runtime directory (the first, if it names several), or a private one.
bool CLeadInFile::MakeDir(std::string& a_Error) {
    if (!m_Dir.empty())
        return true;
    const char* given = std::getenv("RUNTIME_DIRECTORY");
    if (given && *given) {
        m_Dir = std::string(given).substr(0, std::string(given).find(':'));
        return true;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillane-XXXXXX";
    bool fits = dir.size() + std::strlen(c_Name) + 2 <= sizeof g_PrivateFile;
    if (!fits)
        errno = ENAMETOOLONG;
    if (!fits || !::mkdtemp(dir.data())) {
        a_Error = "cannot make a directory like " + dir + ": " + std::strerror(errno);
        return false;
    }
    m_Dir = dir;
    m_Private = true;
    std::snprintf(g_PrivateDir, sizeof g_PrivateDir, "%s", dir.c_str());
    std::snprintf(g_PrivateFile, sizeof g_PrivateFile, "%s/%s", dir.c_str(), c_Name);
    Catch();
    return true;
}
