#include "shared/WaveFile.h"

#include "Wave.h"
#include "shared/Failure.h"
#include "shared/MonoSound.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

// Built in one string: a recording of an hour is 159 MB.
std::string CWaveFile::Bytes(const CMonoSound& a_Sound) {
    std::string bytes = CWave::headerFor(CWave::DWORD(a_Sound.Samples().size() * 2));
    a_Sound.AppendPcm16(bytes);
    return bytes;
}

bool CWaveFile::MakeDir(const std::string& a_Path, std::string& a_Why) {
    if (::mkdir(a_Path.c_str(), 0755) == 0)
        return true;
    struct stat st {};
    if (errno == EEXIST && ::stat(a_Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    if (errno == EEXIST)
        errno = ENOTDIR;
    return Fail(a_Why, "cannot make the directory " + a_Path + ": " + std::strerror(errno));
}
