#include "prepare/WaveFile.h"

#include "Wave.h"
#include "prepare/MonoSound.h"
#include "shared/Failure.h"
#include "shared/ToolText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
// Why a_What on a_Path failed, from errno.
std::string Reason(const std::string& a_What, const std::string& a_Path) {
    return "cannot " + a_What + " " + a_Path + ": " + std::strerror(errno);
}

// A temporary file in the target's directory, removed unless it was renamed into place.
class CTempFile {
public:
    explicit CTempFile(const std::string& a_Target)
        : m_Path(DirOf(a_Target) + "/.quillane-XXXXXX"), m_Fd(::mkstemp(&m_Path[0])) {
        if (m_Fd >= 0)
            return;
        m_LastError = Reason("write in", DirOf(a_Target));
        m_Path.clear(); // nothing was made, so nothing may be removed
    }
    ~CTempFile() {
        if (m_Fd >= 0)
            ::close(m_Fd);
        if (!m_Path.empty())
            ::unlink(m_Path.c_str());
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    bool isValid() const { return m_LastError.empty(); }
    const std::string& lastError() const { return m_LastError; }

    bool Write(const std::string& a_Bytes, const std::string& a_Target, std::string& a_Why) {
        for (std::size_t done = 0; done < a_Bytes.size();) {
            ssize_t n = ::write(m_Fd, a_Bytes.data() + done, a_Bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return Fail(a_Why, Reason("write", a_Target));
            done += std::size_t(n);
        }
        return true;
    }
    // Readable by the announcer's user, whatever mkstemp chose; on disk before the rename.
    bool Commit(const std::string& a_Target, std::string& a_Why) {
        if (::fchmod(m_Fd, 0644) != 0 || ::fsync(m_Fd) != 0)
            return Fail(a_Why, Reason("write", a_Target));
        // Closed once only, even when closing fails.
        if (::close(std::exchange(m_Fd, -1)) != 0 ||
            ::rename(m_Path.c_str(), a_Target.c_str()) != 0)
            return Fail(a_Why, Reason("write", a_Target));
        m_Path.clear();
        return true;
    }

private:
    std::string m_Path;
    int m_Fd;
    std::string m_LastError;
};
} // namespace

bool CWaveFile::Write(const std::string& a_Path, const CMonoSound& a_Sound, std::string& a_Why) {
    std::string samples = a_Sound.Pcm16();
    if (samples.size() > 0xFFFFFFFFu - 36)
        return Fail(a_Why, a_Path + " would be too long for a WAV file");
    return WriteText(a_Path, CWave::headerFor(CWave::DWORD(samples.size())) + samples, a_Why);
}

bool CWaveFile::WriteText(const std::string& a_Path, const std::string& a_Text,
                          std::string& a_Why) {
    CTempFile temp(a_Path);
    if (!temp.isValid())
        return Fail(a_Why, temp.lastError());
    return temp.Write(a_Text, a_Path, a_Why) && temp.Commit(a_Path, a_Why);
}

bool CWaveFile::MakeDir(const std::string& a_Path, std::string& a_Why) {
    if (::mkdir(a_Path.c_str(), 0755) == 0)
        return true;
    struct stat st {};
    if (errno == EEXIST && ::stat(a_Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    if (errno == EEXIST)
        errno = ENOTDIR;
    return Fail(a_Why, Reason("make the directory", a_Path));
}
