#include "WaveFile.h"

#include "MonoSound.h"
#include "Wave.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::runtime_error Failure(const std::string& a_What, const std::string& a_Path) {
    return std::runtime_error("cannot " + a_What + " " + a_Path + ": " + std::strerror(errno));
}

std::string DirOf(const std::string& a_Path) {
    std::size_t slash = a_Path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : a_Path.substr(0, slash);
}

// A temporary file in the target's directory, removed unless it was renamed into place.
class CTempFile {
public:
    explicit CTempFile(const std::string& a_Target)
        : m_Path(DirOf(a_Target) + "/.quillane-XXXXXX"), m_Fd(::mkstemp(&m_Path[0])) {
        if (m_Fd < 0)
            throw Failure("write in", DirOf(a_Target));
    }
    ~CTempFile() {
        if (m_Fd >= 0)
            ::close(m_Fd);
        if (!m_Path.empty())
            ::unlink(m_Path.c_str());
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    void Write(const std::string& a_Bytes, const std::string& a_Target) {
        for (std::size_t done = 0; done < a_Bytes.size();) {
            ssize_t n = ::write(m_Fd, a_Bytes.data() + done, a_Bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw Failure("write", a_Target);
            done += std::size_t(n);
        }
    }
    // Readable by the announcer's user, whatever mkstemp chose; on disk before the rename.
    void Commit(const std::string& a_Target) {
        if (::fchmod(m_Fd, 0644) != 0 || ::fsync(m_Fd) != 0 || ::close(m_Fd) != 0) {
            m_Fd = -1;
            throw Failure("write", a_Target);
        }
        m_Fd = -1;
        if (::rename(m_Path.c_str(), a_Target.c_str()) != 0)
            throw Failure("write", a_Target);
        m_Path.clear();
    }

private:
    std::string m_Path;
    int m_Fd;
};
} // namespace

void CWaveFile::Write(const std::string& a_Path, const CMonoSound& a_Sound) {
    std::string samples = a_Sound.Pcm16();
    if (samples.size() > 0xFFFFFFFFu - 36)
        throw std::runtime_error(a_Path + " would be too long for a WAV file");
    WriteText(a_Path, CWave::headerFor(CWave::DWORD(samples.size())) + samples);
}

void CWaveFile::WriteText(const std::string& a_Path, const std::string& a_Text) {
    CTempFile temp(a_Path);
    temp.Write(a_Text, a_Path);
    temp.Commit(a_Path);
}

void CWaveFile::MakeDir(const std::string& a_Path) {
    if (::mkdir(a_Path.c_str(), 0755) == 0)
        return;
    struct stat st {};
    if (errno == EEXIST && ::stat(a_Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return;
    if (errno == EEXIST)
        errno = ENOTDIR;
    throw Failure("make the directory", a_Path);
}
