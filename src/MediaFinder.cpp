#include "MediaFinder.h"

#include "MountTable.h"
#include "Schedule.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {
constexpr std::int64_t c_RetryMicroSecs = 10 * CTimeVal::c_MicrosPerSec;
const char* const c_DevicePrefix = "/dev/sd";

struct CDirCloser {
    void operator()(DIR* a_Dir) const { closedir(a_Dir); }
};
using CDirHandle = std::unique_ptr<DIR, CDirCloser>;

// A directory entry worth searching: a directory, asked of the file system itself when the
// listing leaves the type unreported (DT_UNKNOWN); symbolic links are not followed.
bool IsSearchableDir(const std::string& a_Path, unsigned char a_Type) {
    if (a_Type != DT_UNKNOWN)
        return a_Type == DT_DIR;
    // Some file systems leave the type unreported; ask the entry itself, without following a
    // symbolic link, so the answer is the one a reporting file system would have given.
    struct stat info {};
    return lstat(a_Path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
} // namespace

CMediaFinder::CMediaFinder(CPlatform& a_Platform, std::ostream& a_Out, std::string a_MountTable)
    : m_MountTable(std::move(a_MountTable)), m_Platform(a_Platform), m_Out(a_Out) {}

bool CMediaFinder::FindDir(std::string& a_Dir) {
    for (;;) {
        std::vector<CMountTable::Mount> mounts;
        // Retrying on a table that cannot be read would wait forever on it.
        if (!CMountTable::Read(m_MountTable, mounts)) {
            m_Out << m_MountTable << " not opened\n" << std::flush;
            return false;
        }
        if (SearchMounts(mounts, a_Dir))
            return true;
        m_Out << "Didn't find candidate directory, sleeping for 10 seconds" << std::endl;
        // A stick put in meanwhile changes the mount table, which ends the wait at once.
        m_Platform.SleepForOrChange(c_RetryMicroSecs);
    }
}

bool CMediaFinder::SearchMounts(const std::vector<CMountTable::Mount>& a_Mounts,
                                std::string& a_Dir) {
    for (const CMountTable::Mount& mount : a_Mounts)
        if (mount.m_Device.compare(0, 7, c_DevicePrefix) == 0 &&
            FindDirOnMount(mount.m_Point, a_Dir))
            return true;
    return false;
}

bool CMediaFinder::FindDirOnMount(const std::string& a_Mount, std::string& a_Dir) {
    std::vector<std::string> dirs = ScheduleDirsOnMount(a_Mount);
    if (dirs.empty())
        return false;
    a_Dir = dirs.front();
    return true;
}

std::vector<std::string> CMediaFinder::ScheduleDirsOnMount(const std::string& a_Mount) {
    std::vector<std::string> dirs;
    CDirHandle dir(opendir(a_Mount.c_str()));
    if (!dir)
        return dirs;
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        std::string candidate = a_Mount + "/" + entry->d_name;
        struct stat info {};
        if (IsSearchableDir(candidate, entry->d_type) &&
            stat((candidate + "/" + CSchedule::c_FileName).c_str(), &info) == 0)
            dirs.push_back(candidate);
    }
    return dirs;
}
