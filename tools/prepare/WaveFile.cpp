#include "prepare/WaveFile.h"

#include "Wave.h"
#include "prepare/MonoSound.h"
#include "shared/Failure.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

std::string CWaveFile::Bytes(const CMonoSound& a_Sound) {
    std::string samples = a_Sound.Pcm16();
    return CWave::headerFor(CWave::DWORD(samples.size())) + samples;
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
