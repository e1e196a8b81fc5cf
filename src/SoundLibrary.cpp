#include "SoundLibrary.h"

#include "Wave.h"

#include <fnmatch.h>
#include <ftw.h>
#include <sys/stat.h>

CSoundLibrary* gSoundLibrary = nullptr;

namespace {
// Descriptors the walk may hold open at once.
constexpr int c_MaxOpenDirs = 16;

// Only regular files are candidates: a link is not followed (nothing outside the directory is
// catalogued and a link loop cannot trap the walk), and a FIFO or device is never opened.
int callback(const char* fpath, const struct stat* sb, int typeflag, struct FTW*) {
    if (typeflag == FTW_F && S_ISREG(sb->st_mode) && fnmatch("*.wav", fpath, FNM_CASEFOLD) == 0 &&
        gSoundLibrary)
        gSoundLibrary->ProcessFile(fpath);
    return 0;
}

template <typename T> T Lookup(const std::map<std::string, T>& a_Map, const std::string& a_Key) {
    auto found = a_Map.find(a_Key);
    return found == a_Map.end() ? T() : found->second;
}
} // namespace

CSoundLibrary::CSoundLibrary(std::string a_Dir, CLibraryObserver* a_Observer)
    : m_Observer(a_Observer) {
    gSoundLibrary = this;
    ::nftw(a_Dir.c_str(), callback, c_MaxOpenDirs, FTW_PHYS);
}

CSoundLibrary::~CSoundLibrary() {
    gSoundLibrary = nullptr;
}

std::string CSoundLibrary::GetTimeSndFile(std::string a_Title) const {
    return Lookup(m_TimeSndFiles, a_Title);
}

float CSoundLibrary::GetTimeSndDuration(std::string a_Title) const {
    return Lookup(m_TimeSndDurations, a_Title);
}

std::string CSoundLibrary::GetAnnouncementFile(std::string a_Title) const {
    return Lookup(m_AnnouncementFiles, a_Title);
}

float CSoundLibrary::GetAnnouncementDuration(std::string a_Title) const {
    return Lookup(m_AnnouncementDurations, a_Title);
}

void CSoundLibrary::ProcessFile(std::string a_File) {
    if (a_File.empty())
        return;
    std::string name = SoundName(a_File);
    if (name.empty()) {
        Note(CLibraryObserver::ELeftOut::ShortName, a_File, "");
        return;
    }
    float duration = GetDuration(a_File, name);
    if (duration > 0)
        Store(a_File, name, duration);
}

bool CSoundLibrary::IsTimeFile(const std::string& a_Name) {
    if (a_Name.size() < 6 || a_Name.compare(0, 2, "cd") != 0)
        return false;
    return a_Name.compare(2, 4, "hour") == 0 || a_Name.compare(2, 3, "num") == 0;
}

std::string CSoundLibrary::SoundName(const std::string& a_File) {
    // The base name as basename() gives it (trailing slashes ignored), of any length.
    std::size_t end = a_File.find_last_not_of('/');
    if (end == std::string::npos)
        return "";
    std::size_t slash = a_File.rfind('/', end);
    std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
    std::size_t length = end + 1 - begin;
    return length > 4 ? a_File.substr(begin, length - 4) : "";
}

float CSoundLibrary::GetDuration(const std::string& a_File, const std::string& a_Name) {
    CWave wave(a_File);
    if (!wave.isValid()) {
        Note(CLibraryObserver::ELeftOut::Refused, a_File, a_Name, wave.lastError());
        return 0;
    }
    float duration = wave.getDuration();
    if (!(duration > 0))
        Note(CLibraryObserver::ELeftOut::ZeroLength, a_File, a_Name);
    return duration;
}

void CSoundLibrary::Store(const std::string& a_File, const std::string& a_Name, float a_Duration) {
    bool time = IsTimeFile(a_Name);
    auto& files = time ? m_TimeSndFiles : m_AnnouncementFiles;
    auto& durations = time ? m_TimeSndDurations : m_AnnouncementDurations;
    auto previous = files.find(a_Name);
    if (previous != files.end())
        Note(CLibraryObserver::ELeftOut::Replaced, a_File, a_Name, previous->second);
    files[a_Name] = a_File;
    durations[a_Name] = a_Duration;
}

void CSoundLibrary::Note(CLibraryObserver::ELeftOut a_Why, const std::string& a_Path,
                         const std::string& a_Name, const std::string& a_Detail) {
    if (m_Observer)
        m_Observer->LeftOut(a_Why, a_Path, a_Name, a_Detail);
}
